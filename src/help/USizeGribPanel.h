#pragma once

#include <QFrame>
#include <QRect>

class QSizeGrip;

// The bottom button bar of the resizable windows. Its bottom-right corner carries a size grip:
// pressing there and dragging resizes the window as its own bottom-right corner would.
class TSizeGripPanel : public QFrame {
    Q_OBJECT

public:
    explicit TSizeGripPanel(QWidget* parent = nullptr);

    // Width of the panel's raised edge.
    int BevelWidth() const;
    // The corner that resizes the window: a scroll bar arrow plus the bevel in each direction.
    QRect GripArea() const;
    // True for a point (in panel coordinates) that resizes rather than reaching the panel.
    bool IsInGripArea(const QPoint& point) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    void PlaceGrip();

    QSizeGrip* FGrip = nullptr;
};

#include "help/USizeGribPanel.h"

#include <QChildEvent>
#include <QPainter>
#include <QSizeGrip>
#include <QStyle>
#include <QStyleOptionSizeGrip>

namespace {

// Takes the whole grip area for the mouse but draws the symbol inside the panel's bevel.
class TInsetSizeGrip : public QSizeGrip {
public:
    TInsetSizeGrip(QWidget* parent, int inset) : QSizeGrip(parent), FInset(inset) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOptionSizeGrip option;
        option.initFrom(this);
        option.rect = rect().adjusted(0, 0, -FInset, -FInset);
        option.corner = Qt::BottomRightCorner;
        style()->drawControl(QStyle::CE_SizeGrip, &option, &painter, this);
    }

private:
    int FInset;
};

} // namespace

TSizeGripPanel::TSizeGripPanel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    FGrip = new TInsetSizeGrip(this, BevelWidth());
    FGrip->setObjectName(QStringLiteral("SizeGrip"));
    // Layouts of the panel's buttons keep clear of the grip.
    setContentsMargins(0, 0, GripArea().width(), 0);
    PlaceGrip();
}

int TSizeGripPanel::BevelWidth() const {
    return lineWidth();
}

QRect TSizeGripPanel::GripArea() const {
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int width = extent + BevelWidth();
    const int height = extent + BevelWidth();
    return QRect(rect().right() + 1 - width, rect().bottom() + 1 - height, width, height);
}

bool TSizeGripPanel::IsInGripArea(const QPoint& point) const {
    const QRect grip = GripArea();
    return rect().contains(point) && point.x() >= grip.left() && point.y() >= grip.top();
}

void TSizeGripPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    PlaceGrip();
}

void TSizeGripPanel::childEvent(QChildEvent* event) {
    QFrame::childEvent(event);
    // Buttons added later must not cover the grip.
    if (FGrip && event->added() && event->child() != FGrip)
        FGrip->raise();
}

void TSizeGripPanel::PlaceGrip() {
    FGrip->setGeometry(GripArea());
    FGrip->raise();
}

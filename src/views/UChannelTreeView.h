#pragma once

#include <QPointer>
#include <QTreeView>
#include <functional>

class QDrag;
class QMenu;
class QMimeData;

// A channel tree: the main tree and the restore window's tree. Ticks go through the tick
// helpers, which act on the active tree, so a key in either tree ticks the node the shared
// commands see.
class TChannelTreeView : public QTreeView {
    Q_OBJECT

public:
    explicit TChannelTreeView(QWidget* parent = nullptr);

    // F12 toggles the selected node's tick (the main tree only).
    void SetF12TogglesTick(bool on) { FF12TogglesTick = on; }
    // The popup of a main-channel node and of a sub-channel node; either may be none.
    void SetPopupMenus(QMenu* mainChannelMenu, QMenu* subChannelMenu);

    // Dragging single nodes inside this tree. Without a drop handler nothing can be dragged.
    // CanDrop decides while dragging, Drop acts; both get the dragged (selected) node and the
    // node under the mouse.
    using TDropTest = std::function<bool(const QModelIndex& dragged, const QModelIndex& target)>;
    using TDropAction = std::function<void(const QModelIndex& dragged, const QModelIndex& target)>;
    void SetDropHandlers(TDropTest canDrop, TDropAction drop);

    // The key handling of the channel trees, for a tree that passes its keys on: true when
    // the key was used.
    bool HandleTreeKey(QKeyEvent* event);

    // True when the point (viewport coordinates) lies on a node's tick box.
    bool IsOnTickBox(const QPoint& point) const;

    // Whether the last left press may start a drag: it landed on a node and not on its tick
    // box. Every press decides anew, and a drag that starts uses it up.
    bool DragCanStart() const { return FDragCanStart; }
    QPoint MouseDownPos() const { return FMouseDownPos; }

    // Runs a drag this tree started until it is dropped or given up, and returns the action
    // taken: the platform's drag loop unless one is set. Where the platform has none (the
    // offscreen platform ends every drag at once), tests put in one that plays its part.
    using TDragRunner = std::function<Qt::DropAction(QDrag& drag, Qt::DropActions actions,
                                                     Qt::DropAction defaultAction)>;
    static void SetDragRunner(TDragRunner runner);

Q_SIGNALS:
    // Page Up/Down, Home, End, Up or Down was released: the selection may have moved.
    void NavigationKeyReleased();
    // A click (press and release) landed on a node.
    void NodeClicked(const QModelIndex& node);
    // A popup is about to open for this (now selected) node.
    void PopupAboutToShow(const QModelIndex& node);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    // Whether the drag event carries the drag this tree has under way.
    bool IsOwnDrag(const QDropEvent* event) const;
    bool AcceptsDropAt(const QPoint& point) const;

    bool FF12TogglesTick = false;
    QMenu* FMainChannelMenu = nullptr;
    QMenu* FSubChannelMenu = nullptr;
    TDropTest FCanDrop;
    TDropAction FDrop;
    bool FDragCanStart = false;
    QPoint FMouseDownPos;
    // The data of the drag this tree started, while that drag runs.
    QPointer<QMimeData> FDragData;
};

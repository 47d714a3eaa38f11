#include "views/UChannelTreeView.h"

#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace {

// The distance from the top or bottom edge within which a drag scrolls the tree.
constexpr int DragScrollMargin = 15;
// Rows a change of data may span before the view repaints what it shows instead.
constexpr int LargeChangeRows = 256;

Qt::KeyboardModifiers PlainModifiers(const QKeyEvent* event) {
    // The keypad flag says where a key sits, not which modifier the user holds.
    return event->modifiers() & ~Qt::KeypadModifier;
}

void ToggleSelectedNode() {
    ToggleNodeChecked(ActiveTreeView().SelectedNode());
}

TChannelTreeView::TDragRunner& DragRunner() {
    static TChannelTreeView::TDragRunner runner;
    return runner;
}

} // namespace

TChannelTreeView::TChannelTreeView(QWidget* parent) : QTreeView(parent) {
    setHeaderHidden(true);
    setUniformRowHeights(true); // keeps a tree of 100,000 rows cheap to lay out
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setAutoScroll(true);
    setAutoScrollMargin(DragScrollMargin);
}

void TChannelTreeView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                   const QList<int>& roles) {
    // Qt works out the area to repaint row by row over the whole range, so a bulk tick or
    // rename of 100,000 rows would cost more than the command itself. Rows here keep their
    // height (uniform) and their children (a change of data adds or removes none), and
    // nothing is edited in place: repainting what is visible is all such a change needs.
    if (topLeft.isValid() && bottomRight.isValid() && topLeft.parent() == bottomRight.parent() &&
        bottomRight.row() - topLeft.row() >= LargeChangeRows) {
        viewport()->update();
        return;
    }
    QTreeView::dataChanged(topLeft, bottomRight, roles);
}

void TChannelTreeView::SetPopupMenus(QMenu* mainChannelMenu, QMenu* subChannelMenu) {
    FMainChannelMenu = mainChannelMenu;
    FSubChannelMenu = subChannelMenu;
}

void TChannelTreeView::SetDropHandlers(TDropTest canDrop, TDropAction drop) {
    FCanDrop = std::move(canDrop);
    FDrop = std::move(drop);
    const bool on = FCanDrop && FDrop;
    setDragEnabled(on);
    setAcceptDrops(on);
    setDropIndicatorShown(on);
    setDragDropMode(on ? QAbstractItemView::InternalMove : QAbstractItemView::NoDragDrop);
}

bool TChannelTreeView::IsOnTickBox(const QPoint& point) const {
    const QModelIndex node = indexAt(point);
    if (!node.isValid() || !(node.flags() & Qt::ItemIsUserCheckable))
        return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(node);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    return box.contains(point);
}

bool TChannelTreeView::HandleTreeKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = PlainModifiers(event);
    const int key = event->key();
    if (modifiers == Qt::ShiftModifier && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        // The node being left is the one that changes; the move itself still happens.
        ToggleSelectedNode();
        return false;
    }
    if (FF12TogglesTick && modifiers == Qt::NoModifier && key == Qt::Key_F12) {
        ToggleSelectedNode();
        return true;
    }
    if (event->text() == QLatin1String(" ")) {
        ToggleSelectedNode();
        return true;
    }
    return false;
}

void TChannelTreeView::keyPressEvent(QKeyEvent* event) {
    if (HandleTreeKey(event)) {
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TChannelTreeView::keyReleaseEvent(QKeyEvent* event) {
    QTreeView::keyReleaseEvent(event);
    switch (event->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Up:
    case Qt::Key_Down:
        Q_EMIT NavigationKeyReleased();
        break;
    default:
        break;
    }
}

void TChannelTreeView::mousePressEvent(QMouseEvent* event) {
    // A press on a tick box ticks; only a press on the rest of a node may start a drag.
    const QPoint point = event->position().toPoint();
    FDragCanStart =
        event->button() == Qt::LeftButton && indexAt(point).isValid() && !IsOnTickBox(point);
    if (FDragCanStart)
        FMouseDownPos = point;
    QTreeView::mousePressEvent(event);
}

void TChannelTreeView::SetDragRunner(TDragRunner runner) {
    DragRunner() = std::move(runner);
}

void TChannelTreeView::startDrag(Qt::DropActions supportedActions) {
    if (!FDragCanStart)
        return;
    FDragCanStart = false;
    // The selected node is the one dragged, whatever else the press touched.
    const QModelIndex dragged = currentIndex();
    if (!dragged.isValid() || !model())
        return;
    QMimeData* data = model()->mimeData({dragged});
    if (!data)
        return;
    // Not Qt's own item drag: a move there removes the source rows once the drop is done,
    // while here the drop handler has already put the node where it belongs.
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const QRect rect = visualRect(dragged);
    if (rect.isValid()) {
        drag->setPixmap(viewport()->grab(rect));
        drag->setHotSpot(FMouseDownPos - rect.topLeft());
    }
    FDragData = data;
    if (DragRunner()) {
        DragRunner()(*drag, supportedActions, Qt::MoveAction);
        drag->deleteLater();
    } else
        drag->exec(supportedActions, Qt::MoveAction); // Qt frees the drag
    FDragData = nullptr;
}

void TChannelTreeView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    const QModelIndex node = indexAt(event->position().toPoint());
    if (node.isValid())
        Q_EMIT NodeClicked(node);
}

void TChannelTreeView::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex node = indexAt(event->pos());
    if (!node.isValid())
        return;
    if (selectionModel())
        selectionModel()->setCurrentIndex(node, QItemSelectionModel::ClearAndSelect);
    Q_EMIT PopupAboutToShow(node);
    QMenu* menu = TChannelTreeModel::IsTopLevel(node) ? FMainChannelMenu : FSubChannelMenu;
    if (menu)
        menu->popup(event->globalPos());
    event->accept();
}

bool TChannelTreeView::IsOwnDrag(const QDropEvent* event) const {
    if (!FCanDrop || !FDrop)
        return false;
    // Qt names the source only while its own drag loop runs; the data this tree handed to
    // its running drag tells the same where another loop carries it.
    return event->source() == this || (FDragData && event->mimeData() == FDragData.data());
}

bool TChannelTreeView::AcceptsDropAt(const QPoint& point) const {
    const QModelIndex target = indexAt(point);
    const QModelIndex dragged = currentIndex();
    return target.isValid() && dragged.isValid() && FCanDrop(dragged, target);
}

void TChannelTreeView::dragEnterEvent(QDragEnterEvent* event) {
    if (IsOwnDrag(event) && (event->possibleActions() & Qt::MoveAction)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else
        event->ignore();
}

void TChannelTreeView::dragMoveEvent(QDragMoveEvent* event) {
    if (!IsOwnDrag(event)) {
        event->ignore();
        return;
    }
    const QPoint point = event->position().toPoint();
    if (point.y() < DragScrollMargin)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() >= viewport()->height() - DragScrollMargin)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (AcceptsDropAt(point)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else
        event->ignore();
}

void TChannelTreeView::dropEvent(QDropEvent* event) {
    FDragCanStart = false;
    const QPoint point = event->position().toPoint();
    if (!IsOwnDrag(event) || !AcceptsDropAt(point)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    FDrop(currentIndex(), indexAt(point));
}

#include "main/UStructureTreeView.h"

#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "structure/UStructure.h"

#include <QKeyEvent>

QModelIndex TStructureTreeView::MainNodeOf(const QModelIndex& node) const {
    const TChannelTree& main = MainTreeView();
    const auto* channel = reinterpret_cast<const TChannel*>(
        node.data(TStructureModel::ChannelRole).value<quintptr>());
    if (!main.IsValid() || !channel)
        return QModelIndex();
    // The pane is rebuilt after every command that moves channels, so the number it shows
    // is the channel's row; a search covers a pane that is behind.
    const int no = node.data(TStructureModel::ChannelNoRole).toInt();
    if (no >= 0 && no < main.Model->TopCount() && main.Model->ChannelAt(no) == channel)
        return main.Model->NodeIndex(no);
    for (int row = 0; row < main.Model->TopCount(); ++row)
        if (main.Model->ChannelAt(row) == channel)
            return main.Model->NodeIndex(row);
    return QModelIndex();
}

void TStructureTreeView::keyPressEvent(QKeyEvent* event) {
    // The keypad flag says where a key sits, not which modifier the user holds.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (modifiers == Qt::ShiftModifier && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        // The node being left is the one that changes; the move itself still happens.
        ToggleNodeChecked(MainNodeOf(currentIndex()));
        QTreeView::keyPressEvent(event);
        return;
    }
    if (event->text() == QLatin1String(" ")) {
        ToggleNodeChecked(MainNodeOf(currentIndex()));
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TStructureTreeView::dataChanged(const QModelIndex&, const QModelIndex&, const QList<int>&) {
    // Rows here all have one height, none is edited in place, and a change of data never adds
    // or removes rows; yet Qt would look up every changed row among the laid-out ones (a
    // search through all of them for a row in a closed branch) and measure it. Repainting
    // what is visible is all such a change needs.
    viewport()->update();
}

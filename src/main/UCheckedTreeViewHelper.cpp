#include "main/UCheckedTreeViewHelper.h"

#include "main/UChannelTreeModel.h"

#include <QItemSelectionModel>

namespace {

struct TTrees {
    TChannelTree Main;
    TChannelTree Restore;
    TChannelTree Active;
};

TTrees& Trees() {
    static TTrees trees;
    return trees;
}

TChannelTreeModel* WritableModelOf(const QModelIndex& node) {
    if (!node.isValid() || !TChannelTreeModel::IsTopLevel(node))
        return nullptr;
    return qobject_cast<TChannelTreeModel*>(const_cast<QAbstractItemModel*>(node.model()));
}

} // namespace

bool TChannelTree::HasNodes() const {
    return Model && !Model->IsEmpty();
}

QModelIndex TChannelTree::SelectedNode() const {
    if (!Selection)
        return QModelIndex();
    const QModelIndex current = Selection->currentIndex();
    if (current.isValid() && Selection->isSelected(current))
        return current;
    const QModelIndexList selected = Selection->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : selected.constFirst();
}

TChannel* TChannelTree::SelectedChannel() const {
    return Model ? Model->ChannelOf(SelectedNode()) : nullptr;
}

void TChannelTree::Select(const QModelIndex& node) const {
    if (!Selection)
        return;
    if (!node.isValid()) {
        Selection->clear();
        return;
    }
    Selection->setCurrentIndex(node, QItemSelectionModel::ClearAndSelect);
}

void SetMainTreeView(const TChannelTree& tree) {
    Trees().Main = tree;
    Trees().Active = tree;
}

const TChannelTree& MainTreeView() {
    return Trees().Main;
}
const TChannelTree& ActiveTreeView() {
    return Trees().Active;
}
void SetActiveTreeView(const TChannelTree& tree) {
    Trees().Active = tree;
}
bool IsMainTreeViewActive() {
    return Trees().Active == Trees().Main;
}
void SetRestoreTreeView(const TChannelTree& tree) {
    Trees().Restore = tree;
}

int CheckedCount() {
    return Trees().Main.Model ? Trees().Main.Model->CheckedCount() : 0;
}

int RestoreCheckedCount() {
    return Trees().Restore.Model ? Trees().Restore.Model->CheckedCount() : 0;
}

bool IsNodeChecked(const QModelIndex& node) {
    TChannelTreeModel* model = WritableModelOf(node);
    return model && model->IsNodeChecked(node.row());
}

void ToggleNodeChecked(const QModelIndex& node) {
    if (TChannelTreeModel* model = WritableModelOf(node))
        model->ToggleNodeChecked(node.row());
}

void CheckNode(const QModelIndex& node) {
    if (TChannelTreeModel* model = WritableModelOf(node))
        model->CheckNode(node.row());
}

void UncheckNode(const QModelIndex& node) {
    if (TChannelTreeModel* model = WritableModelOf(node))
        model->UncheckNode(node.row());
}

#pragma once

#include <QModelIndex>

class QItemSelectionModel;
class TChannelTreeModel;
class TChannel;

// A channel tree as the shared commands see it: its model and the selection of its view.
struct TChannelTree {
    TChannelTreeModel* Model = nullptr;
    QItemSelectionModel* Selection = nullptr;

    bool IsValid() const { return Model != nullptr; }
    bool HasNodes() const;
    // The selected node (the view's current index), or an invalid index.
    QModelIndex SelectedNode() const;
    // The selected node's channel, or none.
    TChannel* SelectedChannel() const;
    // Makes the node the only selected and the current one.
    void Select(const QModelIndex& node) const;
    bool operator==(const TChannelTree& other) const { return Model == other.Model; }
};

// The main window's tree; registered once by the main window.
void SetMainTreeView(const TChannelTree& tree);
const TChannelTree& MainTreeView();

// The tree that the shared tick, search, bookmark and information commands act on: the main
// tree, or the restore window's tree while that window is shown.
const TChannelTree& ActiveTreeView();
void SetActiveTreeView(const TChannelTree& tree);
bool IsMainTreeViewActive();

// Ticked top-level nodes of the main tree, and of the restore window's tree.
int CheckedCount();
int RestoreCheckedCount();
void SetRestoreTreeView(const TChannelTree& tree);

bool IsNodeChecked(const QModelIndex& node);
// These ignore an invalid node and child nodes.
void ToggleNodeChecked(const QModelIndex& node);
void CheckNode(const QModelIndex& node);
void UncheckNode(const QModelIndex& node);

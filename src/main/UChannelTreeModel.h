#pragma once

#include <QAbstractItemModel>
#include <functional>
#include <memory>
#include <vector>

class TChannel;
class TChannels;

// The channel tree: one top-level row per main channel, its further audio tracks as child
// rows. The row order is the channel order the user sees and saves; the row number is the
// channel number, so renumbering is free and display texts are computed on demand.
//
// Every bulk change is one pass over the rows inside one layout change or one range
// signal, so a command on 100,000 channels stays a single repaint.
class TChannelTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum TRole {
        ChannelRole = Qt::UserRole + 1, // TChannel* as quintptr
        NodeImageRole,                  // 1..8
        SelectedImageRole,              // 13 or 14
        StateImageRole,                 // 1 unticked, 2 ticked, -1 none
    };

    // Pictures are the GUI's business: it maps image indexes to icons through this.
    using TDecorationProvider = std::function<QVariant(int nodeImage, int selectedImage)>;

    explicit TChannelTreeModel(QObject* parent = nullptr);
    ~TChannelTreeModel() override;

    // QAbstractItemModel
    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A node is dragged to a new place, never copied: a platform that honours the actions a
    // drag offers refuses a drop the source did not declare.
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    // The dragged node's position ("row" or "row/sub"); the tree reads what it drops from its
    // own selection, so the data only names the drag as one of a channel tree's.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    void SetDecorationProvider(TDecorationProvider provider);

    // "Channel Numbers": "[No] " in front of every main channel's text.
    bool ShowChannelNumbers() const { return FShowChannelNumbers; }
    void SetShowChannelNumbers(bool show);

    // Node access. Rows are 0-based positions of top-level nodes.
    int TopCount() const { return static_cast<int>(FNodes.size()); }
    bool IsEmpty() const { return FNodes.empty(); }
    TChannel* ChannelAt(int row) const;
    const std::vector<TChannel*>& SubChannelsAt(int row) const;
    bool IsNodeChecked(int row) const;
    QModelIndex NodeIndex(int row) const;
    QModelIndex SubIndex(int row, int sub) const;
    static bool IsTopLevel(const QModelIndex& index);
    static const QString NodeMimeType;
    TChannel* ChannelOf(const QModelIndex& index) const;
    // Position of a top-level node or of the parent of a child node; for an index that is
    // not in the tree, the number of top-level nodes minus 1.
    int GetActualChannelNo(const QModelIndex& index) const;
    // The number of ticked top-level nodes, kept step by step.
    int CheckedCount() const { return FCheckedCount; }
    // Changes whenever the tree tells its views of a change, and is never the same for two
    // trees: what is worked out from the whole tree can be kept until it changes.
    quint64 Revision() const { return FRevision; }

    // The node picture of a channel (1..8: radio, encrypted and bookmark add 1, 2 and 4) and
    // its picture while selected (13, or 14 when bookmarked); every channel tree uses these.
    static int NodeImageOf(const TChannel& c);
    static int SelectedImageOf(const TChannel& c);

    // Text of a node for channel c at number no.
    QString GetTreeViewName(const TChannel& c, int no) const;

    // Building.
    void Clear();
    // Rebuilds from the whole list: every main channel, unticked, its sub-channels below it.
    void DisplayTreeView(const TChannels& channels);
    // Adds nodes for the list's channels from index first on, ticked when the channel is.
    void AddAppendedToTree(const TChannels& channels, int first);
    // Appends one ticked node per given main channel, with its sub-channels taken from the
    // list (restore). The channels must be main channels of the list.
    void AppendRestoredNodes(const std::vector<TChannel*>& mains, const TChannels& channels);

    // Ticks. Each returns whether anything changed; counts and channel flags follow.
    bool CheckNode(int row);
    bool UncheckNode(int row);
    bool ToggleNodeChecked(int row);
    void CheckAll();
    void UncheckAll();
    void InvertChecking();
    // Ticks (or unticks) every top-level node whose row the predicate accepts, in one pass
    // with one change signal; returns how many nodes changed.
    int SetCheckedWhere(const std::function<bool(int row)>& predicate, bool checked);
    // Bookmarks live in the channels; these refresh the node pictures.
    void ToggleBookmark(int row);
    void DeleteAllBookmarks();

    // Reordering.
    // Moves every ticked node before (or after) the target, keeping their order; the
    // first-and-last special cases keep "to top" and "to bottom" stable when the first or
    // last node is itself ticked.
    void InsertCheckedAt(int targetRow, bool before);
    // Moves one node so that it stands directly before the node now at row `before`.
    void MoveNodeBefore(int from, int before);
    // Puts the top-level nodes into the given order (a permutation of all rows).
    void ApplyOrder(const std::vector<int>& newOrderOfOldRows);
    // Removes the ticked nodes and hands back their channels in tree order.
    std::vector<TChannel*> RemoveCheckedNodes();
    // Removes the nodes at the given rows (any order) and hands back their channels.
    std::vector<TChannel*> RemoveNodes(std::vector<int> rows);
    // The parent node takes the sub-channel as its channel and the former main channel
    // becomes that child (the list exchange is the caller's); the tick stays on the parent.
    void ExchangeMainAndSub(int row, int sub);
    // Two children of one parent exchange their channels.
    void SwapSubs(int row, int subA, int subB);

    // Texts: every node, or the main nodes between two positions.
    void ChangeTreeViewNames();
    void ChangeTreeViewNamesBetween(int a, int b);
    void RefreshNode(int row);

Q_SIGNALS:
    // The ticked count changed (a tick, a bulk tick command, a removal, an addition).
    void CheckedCountChanged(int count);

private:
    struct TNode {
        TChannel* Channel = nullptr;
        bool Checked = false;
        int Row = 0;
        std::vector<TChannel*> Subs;
    };

    TNode* NodeOf(const QModelIndex& index) const;
    void Renumber(int from);
    void SetChecked(TNode& node, bool checked);
    void EmitAllChanged(const QList<int>& roles = {});
    void EmitRangeChanged(int first, int last, const QList<int>& roles = {});
    // Puts the nodes at the given old rows, in that order, in place of all nodes, in one
    // layout change with persistent indexes remapped; rows not named are dropped and their
    // persistent indexes become invalid.
    void ReplaceOrder(const std::vector<int>& oldRows);
    void AddNode(TChannel* channel, bool checked, std::vector<TChannel*> subs);
    void NotifyCount(int before);

    std::vector<std::unique_ptr<TNode>> FNodes;
    int FCheckedCount = 0;
    quint64 FRevision = 0;
    bool FShowChannelNumbers = true;
    TDecorationProvider FDecorationProvider;
};

// Inline: the views and the structure call these once per row of the whole list.
inline TChannel* TChannelTreeModel::ChannelAt(int row) const {
    if (row < 0 || row >= TopCount())
        return nullptr;
    return FNodes[static_cast<size_t>(row)]->Channel;
}

inline bool TChannelTreeModel::IsTopLevel(const QModelIndex& index) {
    return index.isValid() && index.internalPointer() == nullptr;
}

inline TChannelTreeModel::TNode* TChannelTreeModel::NodeOf(const QModelIndex& index) const {
    if (!index.isValid() || index.internalPointer() != nullptr)
        return nullptr;
    if (index.row() < 0 || index.row() >= TopCount())
        return nullptr;
    return FNodes[static_cast<size_t>(index.row())].get();
}

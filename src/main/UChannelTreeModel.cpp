#include "main/UChannelTreeModel.h"

#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "settings/USettings.h"

#include <QMimeData>
#include <algorithm>
#include <atomic>
#include <unordered_map>

namespace {

const std::vector<TChannel*> NoSubs;

// The sub-channels of the main channel at list position index: the sub-channels that
// directly follow it.
std::vector<TChannel*> SubsAfter(const TChannels& channels, int index) {
    std::vector<TChannel*> subs;
    for (int i = index + 1; i < channels.Count(); ++i) {
        TChannel* c = channels.Channel(i);
        if (!c->IsSubChannel())
            break;
        subs.push_back(c);
    }
    return subs;
}

} // namespace

int TChannelTreeModel::NodeImageOf(const TChannel& c) {
    return 1 + (c.IsVideo() ? 0 : 1) + (c.IsEncrypted() ? 2 : 0) + (c.IsBookMarked ? 4 : 0);
}

int TChannelTreeModel::SelectedImageOf(const TChannel& c) {
    return c.IsBookMarked ? 14 : 13;
}

namespace {

// Shared by every tree, so that a tree made where another one was never repeats its number.
quint64 NextRevision() {
    static std::atomic<quint64> last{0};
    return ++last;
}

} // namespace

TChannelTreeModel::TChannelTreeModel(QObject* parent)
    : QAbstractItemModel(parent), FRevision(NextRevision()) {
    // Every change the views hear of is a change of revision.
    const auto changed = [this] { FRevision = NextRevision(); };
    connect(this, &QAbstractItemModel::dataChanged, this, changed);
    connect(this, &QAbstractItemModel::layoutChanged, this, changed);
    connect(this, &QAbstractItemModel::rowsInserted, this, changed);
    connect(this, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(this, &QAbstractItemModel::rowsMoved, this, changed);
    connect(this, &QAbstractItemModel::modelReset, this, changed);
}

TChannelTreeModel::~TChannelTreeModel() = default;

QModelIndex TChannelTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return QModelIndex();
    if (!parent.isValid())
        return row < TopCount() ? createIndex(row, 0, nullptr) : QModelIndex();
    TNode* node = NodeOf(parent);
    if (!node || row >= static_cast<int>(node->Subs.size()))
        return QModelIndex();
    return createIndex(row, 0, node);
}

QModelIndex TChannelTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalPointer() == nullptr)
        return QModelIndex();
    const TNode* node = static_cast<const TNode*>(child.internalPointer());
    return createIndex(node->Row, 0, nullptr);
}

int TChannelTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return TopCount();
    if (parent.column() != 0)
        return 0;
    const TNode* node = NodeOf(parent);
    return node ? static_cast<int>(node->Subs.size()) : 0;
}

int TChannelTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

TChannel* TChannelTreeModel::ChannelOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return nullptr;
    if (index.internalPointer() == nullptr)
        return ChannelAt(index.row());
    const TNode* parent = static_cast<const TNode*>(index.internalPointer());
    if (index.row() < 0 || index.row() >= static_cast<int>(parent->Subs.size()))
        return nullptr;
    return parent->Subs[static_cast<size_t>(index.row())];
}

QVariant TChannelTreeModel::data(const QModelIndex& index, int role) const {
    TChannel* c = ChannelOf(index);
    if (!c)
        return QVariant();
    const bool top = IsTopLevel(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return GetTreeViewName(*c, top ? index.row() : 0);
    case Qt::DecorationRole:
        if (FDecorationProvider)
            return FDecorationProvider(NodeImageOf(*c), SelectedImageOf(*c));
        return QVariant();
    case Qt::CheckStateRole:
        if (!top)
            return QVariant();
        return FNodes[static_cast<size_t>(index.row())]->Checked ? Qt::Checked : Qt::Unchecked;
    case ChannelRole:
        return QVariant::fromValue(reinterpret_cast<quintptr>(c));
    case NodeImageRole:
        return NodeImageOf(*c);
    case SelectedImageRole:
        return SelectedImageOf(*c);
    case StateImageRole:
        if (!top)
            return -1;
        return FNodes[static_cast<size_t>(index.row())]->Checked ? 2 : 1;
    default:
        return QVariant();
    }
}

bool TChannelTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !IsTopLevel(index) || !NodeOf(index))
        return false;
    const bool want = value.toInt() == Qt::Checked;
    return want ? CheckNode(index.row()) : UncheckNode(index.row());
}

Qt::ItemFlags TChannelTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (IsTopLevel(index)) {
        f |= Qt::ItemIsUserCheckable | Qt::ItemIsDropEnabled;
        const TNode* node = NodeOf(index);
        if (node && node->Subs.empty())
            f |= Qt::ItemNeverHasChildren;
    } else
        f |= Qt::ItemNeverHasChildren | Qt::ItemIsDropEnabled;
    return f;
}

Qt::DropActions TChannelTreeModel::supportedDragActions() const {
    return Qt::MoveAction;
}

Qt::DropActions TChannelTreeModel::supportedDropActions() const {
    return Qt::MoveAction;
}

const QString TChannelTreeModel::NodeMimeType = QStringLiteral("application/x-orvane-channel-node");

QStringList TChannelTreeModel::mimeTypes() const {
    return {NodeMimeType};
}

QMimeData* TChannelTreeModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty() || !indexes.front().isValid())
        return nullptr;
    const QModelIndex& node = indexes.front();
    const QString position = IsTopLevel(node) ? QString::number(node.row())
                                              : QString::number(node.parent().row()) + u'/' +
                                                    QString::number(node.row());
    auto* data = new QMimeData;
    data->setData(NodeMimeType, position.toLatin1());
    return data;
}

void TChannelTreeModel::SetDecorationProvider(TDecorationProvider provider) {
    FDecorationProvider = std::move(provider);
    EmitAllChanged({Qt::DecorationRole});
}

void TChannelTreeModel::SetShowChannelNumbers(bool show) {
    if (FShowChannelNumbers == show)
        return;
    FShowChannelNumbers = show;
    ChangeTreeViewNames();
}

const std::vector<TChannel*>& TChannelTreeModel::SubChannelsAt(int row) const {
    if (row < 0 || row >= TopCount())
        return NoSubs;
    return FNodes[static_cast<size_t>(row)]->Subs;
}

bool TChannelTreeModel::IsNodeChecked(int row) const {
    if (row < 0 || row >= TopCount())
        return false;
    return FNodes[static_cast<size_t>(row)]->Checked;
}

QModelIndex TChannelTreeModel::NodeIndex(int row) const {
    return index(row, 0);
}

QModelIndex TChannelTreeModel::SubIndex(int row, int sub) const {
    return index(sub, 0, NodeIndex(row));
}

int TChannelTreeModel::GetActualChannelNo(const QModelIndex& index) const {
    if (index.isValid() && index.model() == this) {
        const int row = IsTopLevel(index) ? index.row() : parent(index).row();
        if (row >= 0 && row < TopCount())
            return row;
    }
    return TopCount() - 1;
}

QString TChannelTreeModel::GetTreeViewName(const TChannel& c, int no) const {
    if (c.IsSubChannel())
        return c.Name();
    QString text;
    switch (Settings().PathMode) {
    case 0:
        text = c.Name();
        break;
    case 1:
        text = c.SmallName();
        break;
    default:
        text = c.FullName();
        break;
    }
    if (FShowChannelNumbers)
        return QLatin1Char('[') + QString::number(no) + QLatin1String("] ") + text;
    return text;
}

void TChannelTreeModel::NotifyCount(int before) {
    if (FCheckedCount != before)
        Q_EMIT CheckedCountChanged(FCheckedCount);
}

void TChannelTreeModel::SetChecked(TNode& node, bool checked) {
    if (node.Checked != checked)
        FCheckedCount += checked ? 1 : -1;
    node.Checked = checked;
    node.Channel->IsChecked = checked;
}

void TChannelTreeModel::EmitAllChanged(const QList<int>& roles) {
    if (!FNodes.empty())
        EmitRangeChanged(0, TopCount() - 1, roles);
}

void TChannelTreeModel::EmitRangeChanged(int first, int last, const QList<int>& roles) {
    Q_EMIT dataChanged(NodeIndex(first), NodeIndex(last), roles);
}

void TChannelTreeModel::Clear() {
    const int before = FCheckedCount;
    beginResetModel();
    FNodes.clear();
    FCheckedCount = 0;
    endResetModel();
    NotifyCount(before);
}

void TChannelTreeModel::AddNode(TChannel* channel, bool checked, std::vector<TChannel*> subs) {
    auto node = std::make_unique<TNode>();
    node->Channel = channel;
    node->Row = TopCount();
    node->Subs = std::move(subs);
    SetChecked(*node, checked);
    FNodes.push_back(std::move(node));
}

void TChannelTreeModel::DisplayTreeView(const TChannels& channels) {
    const int before = FCheckedCount;
    beginResetModel();
    FNodes.clear();
    FCheckedCount = 0;
    FNodes.reserve(static_cast<size_t>(channels.Count()));
    for (int i = 0; i < channels.Count(); ++i) {
        TChannel* c = channels.Channel(i);
        if (!c->IsMainChannel())
            continue;
        // A fresh tree starts unticked, whatever the channel says; the channel follows.
        AddNode(c, false, SubsAfter(channels, i));
    }
    FNodes.shrink_to_fit();
    endResetModel();
    NotifyCount(before);
}

void TChannelTreeModel::AddAppendedToTree(const TChannels& channels, int first) {
    std::vector<int> mains;
    for (int i = std::max(first, 0); i < channels.Count(); ++i)
        if (channels.Channel(i)->IsMainChannel())
            mains.push_back(i);
    if (mains.empty())
        return;
    const int before = FCheckedCount;
    beginInsertRows(QModelIndex(), TopCount(), TopCount() + static_cast<int>(mains.size()) - 1);
    for (int i : mains) {
        TChannel* c = channels.Channel(i);
        AddNode(c, c->IsChecked, SubsAfter(channels, i));
    }
    endInsertRows();
    NotifyCount(before);
}

void TChannelTreeModel::AppendRestoredNodes(const std::vector<TChannel*>& mains,
                                            const TChannels& channels) {
    if (mains.empty())
        return;
    // One pass to find every channel's list position: restoring many channels must not
    // search the list once per channel.
    std::unordered_map<const TChannel*, int> position;
    position.reserve(mains.size());
    for (TChannel* c : mains)
        position.emplace(c, -1);
    for (int i = 0; i < channels.Count(); ++i) {
        auto it = position.find(channels.Channel(i));
        if (it != position.end() && it->second < 0)
            it->second = i;
    }
    const int before = FCheckedCount;
    beginInsertRows(QModelIndex(), TopCount(), TopCount() + static_cast<int>(mains.size()) - 1);
    for (TChannel* c : mains) {
        const int at = position[c];
        AddNode(c, true, at >= 0 ? SubsAfter(channels, at) : std::vector<TChannel*>());
    }
    endInsertRows();
    NotifyCount(before);
}

bool TChannelTreeModel::CheckNode(int row) {
    if (row < 0 || row >= TopCount())
        return false;
    TNode& node = *FNodes[static_cast<size_t>(row)];
    const bool changed = !node.Checked;
    const int before = FCheckedCount;
    SetChecked(node, true);
    if (changed)
        EmitRangeChanged(row, row, {Qt::CheckStateRole, StateImageRole});
    NotifyCount(before);
    return changed;
}

bool TChannelTreeModel::UncheckNode(int row) {
    if (row < 0 || row >= TopCount())
        return false;
    TNode& node = *FNodes[static_cast<size_t>(row)];
    const bool changed = node.Checked;
    const int before = FCheckedCount;
    SetChecked(node, false);
    if (changed)
        EmitRangeChanged(row, row, {Qt::CheckStateRole, StateImageRole});
    NotifyCount(before);
    return changed;
}

bool TChannelTreeModel::ToggleNodeChecked(int row) {
    if (row < 0 || row >= TopCount())
        return false;
    return IsNodeChecked(row) ? UncheckNode(row) : CheckNode(row);
}

void TChannelTreeModel::CheckAll() {
    const int before = FCheckedCount;
    for (auto& node : FNodes)
        SetChecked(*node, true);
    EmitAllChanged({Qt::CheckStateRole, StateImageRole});
    NotifyCount(before);
}

void TChannelTreeModel::UncheckAll() {
    const int before = FCheckedCount;
    for (auto& node : FNodes)
        SetChecked(*node, false);
    EmitAllChanged({Qt::CheckStateRole, StateImageRole});
    NotifyCount(before);
}

void TChannelTreeModel::InvertChecking() {
    const int before = FCheckedCount;
    for (auto& node : FNodes)
        SetChecked(*node, !node->Checked);
    EmitAllChanged({Qt::CheckStateRole, StateImageRole});
    NotifyCount(before);
}

int TChannelTreeModel::SetCheckedWhere(const std::function<bool(int row)>& predicate,
                                       bool checked) {
    const int before = FCheckedCount;
    int first = -1;
    int last = -1;
    int changed = 0;
    for (int row = 0; row < TopCount(); ++row) {
        TNode& node = *FNodes[static_cast<size_t>(row)];
        if (node.Checked == checked || !predicate(row))
            continue;
        SetChecked(node, checked);
        if (first < 0)
            first = row;
        last = row;
        ++changed;
    }
    if (changed > 0)
        EmitRangeChanged(first, last, {Qt::CheckStateRole, StateImageRole});
    NotifyCount(before);
    return changed;
}

void TChannelTreeModel::ToggleBookmark(int row) {
    TChannel* c = ChannelAt(row);
    if (!c)
        return;
    c->IsBookMarked = !c->IsBookMarked;
    RefreshNode(row);
}

void TChannelTreeModel::DeleteAllBookmarks() {
    for (auto& node : FNodes)
        node->Channel->IsBookMarked = false;
    EmitAllChanged({Qt::DecorationRole, NodeImageRole, SelectedImageRole});
}

void TChannelTreeModel::RefreshNode(int row) {
    if (row < 0 || row >= TopCount())
        return;
    EmitRangeChanged(row, row);
    const int subs = static_cast<int>(SubChannelsAt(row).size());
    if (subs > 0)
        Q_EMIT dataChanged(SubIndex(row, 0), SubIndex(row, subs - 1));
}

void TChannelTreeModel::Renumber(int from) {
    for (size_t i = static_cast<size_t>(std::max(from, 0)); i < FNodes.size(); ++i)
        FNodes[i]->Row = static_cast<int>(i);
}

void TChannelTreeModel::ReplaceOrder(const std::vector<int>& oldRows) {
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    const QModelIndexList persistent = persistentIndexList();
    // Remember which node each top-level persistent index stood for.
    std::vector<TNode*> persistentNodes;
    persistentNodes.reserve(static_cast<size_t>(persistent.size()));
    for (const QModelIndex& idx : persistent) {
        if (idx.internalPointer() == nullptr && idx.row() >= 0 && idx.row() < TopCount())
            persistentNodes.push_back(FNodes[static_cast<size_t>(idx.row())].get());
        else
            persistentNodes.push_back(nullptr);
    }

    std::vector<std::unique_ptr<TNode>> newNodes;
    newNodes.reserve(oldRows.size());
    for (int old : oldRows)
        newNodes.push_back(std::move(FNodes[static_cast<size_t>(old)]));
    // Whatever was not taken is dropped; mark it so that its indexes become invalid.
    std::vector<std::unique_ptr<TNode>> dropped;
    for (auto& node : FNodes) {
        if (node) {
            node->Row = -1;
            if (node->Checked)
                --FCheckedCount;
            dropped.push_back(std::move(node));
        }
    }
    FNodes = std::move(newNodes);
    Renumber(0);

    QModelIndexList to;
    to.reserve(persistent.size());
    for (qsizetype i = 0; i < persistent.size(); ++i) {
        const QModelIndex& idx = persistent[i];
        if (idx.internalPointer() == nullptr) {
            TNode* node = persistentNodes[static_cast<size_t>(i)];
            to << (node && node->Row >= 0 ? createIndex(node->Row, idx.column(), nullptr)
                                          : QModelIndex());
        } else {
            TNode* parent = static_cast<TNode*>(idx.internalPointer());
            to << (parent->Row >= 0 ? createIndex(idx.row(), idx.column(), parent) : QModelIndex());
        }
    }
    changePersistentIndexList(persistent, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    // The dropped nodes die only now, after no index can reach them any more.
    dropped.clear();
}

void TChannelTreeModel::InsertCheckedAt(int targetRow, bool before) {
    const int n = TopCount();
    if (targetRow < 0 || targetRow >= n)
        return;
    const bool targetTicked = IsNodeChecked(targetRow);
    const bool firstCase = targetRow == 0 && targetTicked && before;
    const bool lastCase = targetRow == n - 1 && targetTicked && !before;

    // The anchor stays where it is; the ticked block goes directly before it, or to the end.
    int anchor = targetRow;
    bool append = false;
    if (!before) {
        if (targetRow + 1 < n)
            anchor = targetRow + 1;
        else
            append = true;
    }

    std::vector<int> block;
    std::vector<int> rest;
    block.reserve(static_cast<size_t>(FCheckedCount));
    rest.reserve(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) {
        if (FNodes[static_cast<size_t>(r)]->Checked && r != anchor)
            block.push_back(r);
        else
            rest.push_back(r);
    }
    std::vector<int> order;
    order.reserve(static_cast<size_t>(n));
    if (append) {
        order = rest;
        order.insert(order.end(), block.begin(), block.end());
    } else {
        for (int r : rest) {
            if (r == anchor)
                order.insert(order.end(), block.begin(), block.end());
            order.push_back(r);
        }
    }
    if (firstCase || lastCase) {
        auto it = std::find(order.begin(), order.end(), targetRow);
        order.erase(it);
        if (firstCase)
            order.insert(order.begin(), targetRow);
        else
            order.push_back(targetRow);
    }
    ReplaceOrder(order);
    ChangeTreeViewNames();
}

void TChannelTreeModel::MoveNodeBefore(int from, int before) {
    const int n = TopCount();
    if (from < 0 || from >= n || before < 0 || before >= n || from == before)
        return;
    // Only the rows between the two positions change; move them with one range signal.
    const int destination = before;
    if (!beginMoveRows(QModelIndex(), from, from, QModelIndex(), destination))
        return;
    auto node = std::move(FNodes[static_cast<size_t>(from)]);
    FNodes.erase(FNodes.begin() + from);
    const int insertAt = from < before ? before - 1 : before;
    FNodes.insert(FNodes.begin() + insertAt, std::move(node));
    for (int r = std::min(from, insertAt); r <= std::max(from, insertAt); ++r)
        FNodes[static_cast<size_t>(r)]->Row = r;
    endMoveRows();
}

void TChannelTreeModel::ApplyOrder(const std::vector<int>& newOrderOfOldRows) {
    if (static_cast<int>(newOrderOfOldRows.size()) != TopCount())
        return;
    ReplaceOrder(newOrderOfOldRows);
    ChangeTreeViewNames();
}

std::vector<TChannel*> TChannelTreeModel::RemoveCheckedNodes() {
    std::vector<int> rows;
    for (int r = 0; r < TopCount(); ++r)
        if (FNodes[static_cast<size_t>(r)]->Checked)
            rows.push_back(r);
    return RemoveNodes(std::move(rows));
}

std::vector<TChannel*> TChannelTreeModel::RemoveNodes(std::vector<int> rows) {
    std::vector<TChannel*> removed;
    if (rows.empty())
        return removed;
    std::vector<char> drop(FNodes.size(), 0);
    for (int r : rows)
        if (r >= 0 && r < TopCount())
            drop[static_cast<size_t>(r)] = 1;
    std::vector<int> keep;
    keep.reserve(FNodes.size());
    for (int r = 0; r < TopCount(); ++r) {
        if (drop[static_cast<size_t>(r)])
            removed.push_back(FNodes[static_cast<size_t>(r)]->Channel);
        else
            keep.push_back(r);
    }
    if (removed.empty())
        return removed;
    const int before = FCheckedCount;
    ReplaceOrder(keep);
    ChangeTreeViewNames();
    NotifyCount(before);
    return removed;
}

void TChannelTreeModel::ExchangeMainAndSub(int row, int sub) {
    if (row < 0 || row >= TopCount())
        return;
    TNode& node = *FNodes[static_cast<size_t>(row)];
    if (sub < 0 || sub >= static_cast<int>(node.Subs.size()))
        return;
    std::swap(node.Channel, node.Subs[static_cast<size_t>(sub)]);
    // The tick belongs to the node: the new main channel carries it.
    node.Channel->IsChecked = node.Checked;
    RefreshNode(row);
}

void TChannelTreeModel::SwapSubs(int row, int subA, int subB) {
    if (row < 0 || row >= TopCount())
        return;
    TNode& node = *FNodes[static_cast<size_t>(row)];
    const int count = static_cast<int>(node.Subs.size());
    if (subA < 0 || subB < 0 || subA >= count || subB >= count || subA == subB)
        return;
    std::swap(node.Subs[static_cast<size_t>(subA)], node.Subs[static_cast<size_t>(subB)]);
    Q_EMIT dataChanged(SubIndex(row, std::min(subA, subB)), SubIndex(row, std::max(subA, subB)));
}

void TChannelTreeModel::ChangeTreeViewNames() {
    // One range signal repaints the view, children included (they are drawn from data() on
    // every paint); a signal per parent would cost a signal per channel.
    EmitAllChanged({Qt::DisplayRole});
}

void TChannelTreeModel::ChangeTreeViewNamesBetween(int a, int b) {
    if (!FShowChannelNumbers || IsEmpty())
        return;
    const int first = std::clamp(std::min(a, b), 0, TopCount() - 1);
    const int last = std::clamp(std::max(a, b), 0, TopCount() - 1);
    EmitRangeChanged(first, last, {Qt::DisplayRole});
}

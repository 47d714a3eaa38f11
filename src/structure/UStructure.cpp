#include "structure/UStructure.h"

#include "channels/UChannel.h"
#include "main/UChannelTreeModel.h"

#include <algorithm>
#include <cstring>

static_assert(sizeof(quintptr) == 8, "structure indexes pack two positions into one id");

namespace {

constexpr quint32 Blue = 0x0000FF;
constexpr quint32 Green = 0x008000;
constexpr quint32 Black = 0x000000;
constexpr quint32 Red = 0xFF0000;

// A field's text length, clamped to what the field holds.
int TextLength(const ShortString25& field) {
    return std::min<int>(field.Len, ShortStringCapacity);
}

bool SameText(const ShortString25& a, const ShortString25& b) {
    const int length = TextLength(a);
    return length == TextLength(b) &&
           std::memcmp(a.Chars, b.Chars, static_cast<size_t>(length)) == 0;
}

// The same root and category bytes land in the same group, whatever the lookups would say.
bool SameGroupBytes(const TChannel& a, const TChannel& b) {
    // Neighbours of one group mostly have identical fields, which compare in a few
    // instructions; fields that differ may still hold the same text before their ends.
    static_assert(sizeof(ShortString25) == ShortStringCapacity + 1);
    if (std::memcmp(&a.Rec.Category, &b.Rec.Category, sizeof(ShortString25)) == 0 &&
        std::memcmp(&a.Rec.Root, &b.Rec.Root, sizeof(ShortString25)) == 0)
        return true;
    return SameText(a.Rec.Category, b.Rec.Category) && SameText(a.Rec.Root, b.Rec.Root);
}

// A number in decimal, written on the stack: the preview writes two for every channel.
class TDecimal {
public:
    explicit TDecimal(int n) {
        unsigned magnitude = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
        char16_t* p = FDigits + sizeof(FDigits) / sizeof(FDigits[0]);
        do {
            *--p = static_cast<char16_t>(u'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (n < 0)
            *--p = u'-';
        FStart = p;
    }
    TDecimal(const TDecimal&) = delete;
    TDecimal& operator=(const TDecimal&) = delete;

    QStringView View() const {
        return QStringView(FStart, FDigits + sizeof(FDigits) / sizeof(FDigits[0]));
    }

private:
    char16_t FDigits[12] = {};
    const char16_t* FStart = nullptr;
};

} // namespace

TStructure::TStructure() = default;
TStructure::~TStructure() = default;

void TStructure::Clear() {
    FRoots.clear();
    FRootByFoldedName.clear();
    FRootByBytes.clear();
    FCategoryByBytes.clear();
    FChannelCount = 0;
}

size_t TStructure::TGroupKeyHash::operator()(const TGroupKey& key) const noexcept {
    return qHashBits(key.Bytes.data(), key.Bytes.size());
}

TStructure::TGroupKey TStructure::GroupKeyOf(const TChannel& channel) {
    static_assert(std::tuple_size_v<decltype(TGroupKey::Bytes)> == 2 * (ShortStringCapacity + 1));
    TGroupKey key;
    char* out = key.Bytes.data();
    for (const ShortString25* field : {&channel.Rec.Root, &channel.Rec.Category}) {
        const int length = TextLength(*field);
        *out = static_cast<char>(length);
        std::memcpy(out + 1, field->Chars, static_cast<size_t>(length));
        out += ShortStringCapacity + 1;
    }
    return key;
}

TStructure::TRoot& TStructure::RootFor(const TChannel& channel) {
    // Most channels share their root's exact bytes: look those up first and decode only
    // the first time a spelling is met.
    const QByteArray bytes = channel.RootBytes();
    auto byBytes = FRootByBytes.constFind(bytes);
    if (byBytes != FRootByBytes.constEnd())
        return *FRoots[static_cast<size_t>(*byBytes)];
    const QString name = channel.Root();
    const QString folded = name.toCaseFolded();
    int index;
    auto byName = FRootByFoldedName.constFind(folded);
    if (byName != FRootByFoldedName.constEnd()) {
        index = *byName;
    } else {
        index = static_cast<int>(FRoots.size());
        auto root = std::make_unique<TRoot>();
        root->Name = name;
        FRoots.push_back(std::move(root));
        FRootByFoldedName.insert(folded, index);
    }
    FRootByBytes.insert(bytes, index);
    return *FRoots[static_cast<size_t>(index)];
}

TStructure::TCategory& TStructure::CategoryFor(TRoot& root, const TChannel& channel) {
    const QByteArray bytes = channel.CategoryBytes();
    auto byBytes = root.ByBytes.constFind(bytes);
    if (byBytes != root.ByBytes.constEnd())
        return *root.Categories[static_cast<size_t>(*byBytes)];
    const QString name = channel.Category();
    const QString folded = name.toCaseFolded();
    int index;
    auto byName = root.ByFoldedName.constFind(folded);
    if (byName != root.ByFoldedName.constEnd()) {
        index = *byName;
    } else {
        index = static_cast<int>(root.Categories.size());
        auto category = std::make_unique<TCategory>();
        category->Name = name;
        root.Categories.push_back(std::move(category));
        root.ByFoldedName.insert(folded, index);
    }
    root.ByBytes.insert(bytes, index);
    return *root.Categories[static_cast<size_t>(index)];
}

void TStructure::Add(TChannel* channel, int No) {
    TRoot& root = RootFor(*channel);
    CategoryFor(root, *channel).Channels.push_back({channel, No});
    ++FChannelCount;
}

void TStructure::UpdateStructure(const TChannelTreeModel& tree) {
    if (tree.IsEmpty())
        return;
    Clear();
    // Neighbours mostly share their group; those skip the lookups.
    const TChannel* previous = nullptr;
    TCategory* category = nullptr;
    const int count = tree.TopCount();
    for (int row = 0; row < count; ++row) {
        TChannel* channel = tree.ChannelAt(row);
        if (!previous || !SameGroupBytes(*previous, *channel)) {
            const TGroupKey key = GroupKeyOf(*channel);
            auto known = FCategoryByBytes.find(key);
            if (known == FCategoryByBytes.end()) {
                TRoot& root = RootFor(*channel);
                known = FCategoryByBytes.emplace(key, TGroup{&root, &CategoryFor(root, *channel)})
                            .first;
            }
            category = known->second.Category;
        }
        category->Channels.push_back({channel, row});
        previous = channel;
    }
    FChannelCount = count;
    DisplayTreeView();
}

namespace {

// The order that sorts items by key, and whether it differs from the order they are in.
template <typename TItems, typename TKey>
std::vector<int> OrderBy(const TItems& items, TKey key, bool& changed) {
    std::vector<int> order(items.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return key(*items[static_cast<size_t>(a)]) < key(*items[static_cast<size_t>(b)]);
    });
    changed = false;
    for (size_t i = 0; i < order.size(); ++i)
        changed = changed || order[i] != static_cast<int>(i);
    return order;
}

// Puts items into the order and the lookups' indexes with them.
template <typename TItems, typename... TLookups>
void Reorder(TItems& items, const std::vector<int>& order, TLookups&... lookups) {
    std::vector<int> newIndexOf(order.size());
    TItems sorted;
    sorted.reserve(items.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newIndexOf[static_cast<size_t>(order[i])] = static_cast<int>(i);
        sorted.push_back(std::move(items[static_cast<size_t>(order[i])]));
    }
    items = std::move(sorted);
    const auto remap = [&](auto& lookup) {
        for (auto it = lookup.begin(); it != lookup.end(); ++it)
            it.value() = newIndexOf[static_cast<size_t>(it.value())];
    };
    (remap(lookups), ...);
}

int FirstNo(const TStructure::TCategory& category) {
    return category.Channels.front().No;
}

int FirstNo(const TStructure::TRoot& root) {
    return FirstNo(*root.Categories.front());
}

} // namespace

void TStructure::SortCategories(TRoot& root) {
    bool changed = false;
    const std::vector<int> order = OrderBy(
        root.Categories, [](const TCategory& c) { return FirstNo(c); }, changed);
    if (changed)
        Reorder(root.Categories, order, root.ByFoldedName, root.ByBytes);
}

void TStructure::SortRoots() {
    bool changed = false;
    const std::vector<int> order = OrderBy(
        FRoots, [](const TRoot& r) { return FirstNo(r); }, changed);
    if (changed)
        Reorder(FRoots, order, FRootByFoldedName, FRootByBytes);
}

bool TStructure::MoveNode(const TChannelTreeModel& tree, int oldRow, int newRow) {
    const int count = tree.TopCount();
    if (count != FChannelCount || oldRow < 0 || newRow < 0 || oldRow >= count || newRow >= count)
        return false;
    TChannel* moved = tree.ChannelAt(newRow);
    const auto known = FCategoryByBytes.find(GroupKeyOf(*moved));
    if (known == FCategoryByBytes.end())
        return false;
    TRoot& root = *known->second.Root;
    TCategory& category = *known->second.Category;
    std::vector<TChannelHelper>& list = category.Channels;
    const auto noBelow = [](const TChannelHelper& helper, int no) { return helper.No < no; };
    const auto at = std::lower_bound(list.begin(), list.end(), oldRow, noBelow);
    if (at == list.end() || at->No != oldRow || at->Channel != moved)
        return false;
    if (oldRow == newRow)
        return true;

    // The nodes in between move one place towards where the moved node was. Each category
    // keeps its channels in row order, so the shifted ones are one stretch in each.
    const bool later = oldRow < newRow;
    const int first = later ? oldRow + 1 : newRow;
    const int last = later ? newRow : oldRow - 1;
    const int step = later ? -1 : 1;
    for (const auto& r : FRoots)
        for (const auto& c : r->Categories)
            for (auto h = std::lower_bound(c->Channels.begin(), c->Channels.end(), first, noBelow);
                 h != c->Channels.end() && h->No <= last; ++h)
                h->No += step;
    at->No = newRow;
    if (later) {
        const auto to = std::upper_bound(at + 1, list.end(), newRow,
                                         [](int no, const TChannelHelper& h) { return no < h.No; });
        std::rotate(at, at + 1, to);
    } else {
        const auto to = std::lower_bound(list.begin(), at, newRow, noBelow);
        std::rotate(to, at, at + 1);
    }

    // Only the moved channel's category and root can have a new first channel: the order
    // of groups and the spelling they show follow it.
    SortCategories(root);
    SortRoots();
    category.Name = category.Channels.front().Channel->Category();
    root.Name = root.Categories.front()->Channels.front().Channel->Root();
    DisplayTreeView();
    return true;
}

void TStructure::DisplayTreeView() {
    FIsHappy = true;
    int i = -1;
    for (const auto& root : FRoots)
        for (const auto& category : root->Categories)
            for (const TChannelHelper& helper : category->Channels) {
                ++i;
                if (FIsHappy && i != helper.No)
                    FIsHappy = false;
            }
}

TStructureText::TStructureText() : FLines(1) {
}

QStringView TStructureText::Line(int n) const {
    const size_t i = static_cast<size_t>(n);
    const int start = FLines[i].Start;
    return QStringView(FText.data(), static_cast<qsizetype>(FText.size()))
        .mid(start, FLines[i + 1].Start - start - 2);
}

QStringView TStructureText::Lines(int first, int last) const {
    const int start = FLines[static_cast<size_t>(first)].Start;
    return QStringView(FText.data(), static_cast<qsizetype>(FText.size()))
        .mid(start, FLines[static_cast<size_t>(last) + 1].Start - start);
}

const TStructureTextRun* TStructureText::RunsBegin(int n) const {
    return FRuns.data() + FLines[static_cast<size_t>(n)].FirstRun;
}

const TStructureTextRun* TStructureText::RunsEnd(int n) const {
    return FRuns.data() + FLines[static_cast<size_t>(n) + 1].FirstRun;
}

QStringView TStructureText::RunText(const TStructureTextRun& run) const {
    return QStringView(FText.data(), static_cast<qsizetype>(FText.size()))
        .mid(run.Start, run.Length);
}

void TStructureText::Reserve(int lines, int runs, int characters) {
    FLines.reserve(static_cast<size_t>(lines) + 1);
    FRuns.reserve(static_cast<size_t>(runs));
    FText.reserve(static_cast<size_t>(characters));
}

void TStructureText::Add(std::initializer_list<QStringView> parts, quint32 colour, bool bold) {
    const int start = static_cast<int>(FText.size());
    for (QStringView part : parts)
        FText.insert(FText.end(), part.utf16(), part.utf16() + part.size());
    FRuns.push_back({start, static_cast<int>(FText.size()) - start, colour, bold});
}

void TStructureText::EndLine() {
    FText.push_back(u'\r');
    FText.push_back(u'\n');
    FLines.push_back({static_cast<int>(FText.size()), static_cast<int>(FRuns.size())});
}

void TStructureText::Squeeze() {
    // A copy of the whole text costs more than a quarter of it left unused.
    if (FText.capacity() > FText.size() + FText.size() / 4)
        FText.shrink_to_fit();
    FRuns.shrink_to_fit();
    FLines.shrink_to_fit();
}

TStructureText TStructure::DisplayHappyMan() {
    TStructureText text;
    size_t headers = FRoots.size();
    for (const auto& root : FRoots)
        headers += root->Categories.size();
    // About what a channel line with a short name and a header line take.
    text.Reserve(FChannelCount + static_cast<int>(headers),
                 2 * FChannelCount + static_cast<int>(headers),
                 40 * FChannelCount + 32 * static_cast<int>(headers));
    int m = -1;
    int h = -1;
    int i = -1;
    for (const auto& root : FRoots) {
        text.Add({root->Name}, Blue, true);
        text.EndLine();
        if (m == -1)
            ++h;
        for (const auto& category : root->Categories) {
            text.Add({u"   ", category->Name}, Green, false);
            text.EndLine();
            if (m == -1)
                ++h;
            for (const TChannelHelper& helper : category->Channels) {
                ++i;
                text.Add({u"      [", TDecimal(i).View(), u"] ", helper.Channel->Name()}, Black,
                         false);
                if (i != helper.No) {
                    if (m == -1)
                        m = i;
                    text.Add({u"   [", TDecimal(helper.No).View(), u"]"}, Red, true);
                }
                text.EndLine();
            }
        }
    }
    text.Squeeze();
    FScrollTo = m == -1 ? -1 : h + m + 1;
    return text;
}

std::vector<int> TStructure::GroupedOrder() const {
    std::vector<int> order;
    order.reserve(static_cast<size_t>(FChannelCount));
    for (const auto& root : FRoots)
        for (const auto& category : root->Categories)
            for (const TChannelHelper& helper : category->Channels)
                order.push_back(helper.No);
    return order;
}

void TStructure::MakeManHappy(TChannelTreeModel& tree) {
    const std::vector<int> order = GroupedOrder();
    // The structure must describe the tree as it is; if it does not (a stale rebuild), build
    // it again rather than scramble the list.
    if (static_cast<int>(order.size()) != tree.TopCount())
        return UpdateStructure(tree);
    tree.ApplyOrder(order);
    UpdateStructure(tree);
}

TStructureModel::TStructureModel(const TStructure& structure, QObject* parent)
    : QAbstractItemModel(parent), FStructure(structure) {
}

void TStructureModel::Reset() {
    beginResetModel();
    FShownShape = ShapeOf();
    endResetModel();
}

std::vector<int> TStructureModel::ShapeOf() const {
    std::vector<int> shape;
    const auto& roots = FStructure.Roots();
    shape.push_back(static_cast<int>(roots.size()));
    for (const auto& root : roots) {
        shape.push_back(static_cast<int>(root->Categories.size()));
        for (const auto& category : root->Categories)
            shape.push_back(static_cast<int>(category->Channels.size()));
    }
    return shape;
}

bool TStructureModel::Refresh() {
    if (ShapeOf() != FShownShape) {
        Reset();
        return true;
    }
    // Every index still names the same place, so persistent indexes, expansion and
    // selection stay valid; only the texts and images behind them changed.
    const auto& roots = FStructure.Roots();
    if (roots.empty())
        return false;
    const auto changed = [this](const QModelIndex& parent, int count) {
        if (count > 0)
            Q_EMIT dataChanged(index(0, 0, parent), index(count - 1, 0, parent));
    };
    changed(QModelIndex(), static_cast<int>(roots.size()));
    for (int r = 0; r < static_cast<int>(roots.size()); ++r) {
        const auto& categories = roots[static_cast<size_t>(r)]->Categories;
        const QModelIndex root = index(r, 0);
        changed(root, static_cast<int>(categories.size()));
        for (int c = 0; c < static_cast<int>(categories.size()); ++c)
            changed(index(c, 0, root),
                    static_cast<int>(categories[static_cast<size_t>(c)]->Channels.size()));
    }
    return false;
}

void TStructureModel::SetDecorationProvider(TDecorationProvider provider) {
    beginResetModel();
    FDecorationProvider = std::move(provider);
    FShownShape = ShapeOf();
    endResetModel();
}

QModelIndex TStructureModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return QModelIndex();
    const auto& roots = FStructure.Roots();
    if (!parent.isValid())
        return row < static_cast<int>(roots.size()) ? createIndex(row, 0, quintptr(0))
                                                    : QModelIndex();
    const quintptr id = parent.internalId();
    if (id == 0) { // parent is a root
        const auto& root = *roots[static_cast<size_t>(parent.row())];
        if (row >= static_cast<int>(root.Categories.size()))
            return QModelIndex();
        return createIndex(row, 0, CategoryParentId(parent.row()));
    }
    if ((id >> 32) == 0) { // parent is a category
        const int r = static_cast<int>(id) - 1;
        const auto& category =
            *roots[static_cast<size_t>(r)]->Categories[static_cast<size_t>(parent.row())];
        if (row >= static_cast<int>(category.Channels.size()))
            return QModelIndex();
        return createIndex(row, 0, (quintptr(r + 1) << 32) | quintptr(parent.row() + 1));
    }
    return QModelIndex();
}

QModelIndex TStructureModel::parent(const QModelIndex& child) const {
    if (!child.isValid())
        return QModelIndex();
    const quintptr id = child.internalId();
    if (id == 0)
        return QModelIndex();
    if ((id >> 32) == 0)
        return createIndex(static_cast<int>(id) - 1, 0, quintptr(0));
    const int r = static_cast<int>(id >> 32) - 1;
    const int c = static_cast<int>(id & 0xFFFFFFFFu) - 1;
    return createIndex(c, 0, CategoryParentId(r));
}

int TStructureModel::rowCount(const QModelIndex& parent) const {
    const auto& roots = FStructure.Roots();
    if (!parent.isValid())
        return static_cast<int>(roots.size());
    if (parent.column() != 0)
        return 0;
    const quintptr id = parent.internalId();
    if (id == 0)
        return static_cast<int>(roots[static_cast<size_t>(parent.row())]->Categories.size());
    if ((id >> 32) == 0) {
        const int r = static_cast<int>(id) - 1;
        return static_cast<int>(roots[static_cast<size_t>(r)]
                                    ->Categories[static_cast<size_t>(parent.row())]
                                    ->Channels.size());
    }
    return 0;
}

int TStructureModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant TStructureModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return QVariant();
    const auto& roots = FStructure.Roots();
    const quintptr id = index.internalId();
    int level = 0;
    QString text;
    int image = 10;
    int selectedImage = 10;
    TChannel* channel = nullptr;
    int no = -1;
    if (id == 0) {
        text = roots[static_cast<size_t>(index.row())]->Name;
    } else if ((id >> 32) == 0) {
        level = 1;
        const int r = static_cast<int>(id) - 1;
        text = roots[static_cast<size_t>(r)]->Categories[static_cast<size_t>(index.row())]->Name;
        image = selectedImage = 11;
    } else {
        level = 2;
        const int r = static_cast<int>(id >> 32) - 1;
        const int c = static_cast<int>(id & 0xFFFFFFFFu) - 1;
        const TChannelHelper& helper = roots[static_cast<size_t>(r)]
                                           ->Categories[static_cast<size_t>(c)]
                                           ->Channels[static_cast<size_t>(index.row())];
        channel = helper.Channel;
        no = helper.No;
        text =
            QLatin1Char('[') + QString::number(helper.No) + QStringLiteral("] ") + channel->Name();
        image = TChannelTreeModel::NodeImageOf(*channel);
        selectedImage = TChannelTreeModel::SelectedImageOf(*channel);
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return text;
    case Qt::DecorationRole:
        return FDecorationProvider ? FDecorationProvider(image, selectedImage) : QVariant();
    case ChannelRole:
        return channel ? QVariant::fromValue(reinterpret_cast<quintptr>(channel)) : QVariant();
    case NodeImageRole:
        return image;
    case LevelRole:
        return level;
    case ChannelNoRole:
        return channel ? QVariant(no) : QVariant();
    default:
        return QVariant();
    }
}

Qt::ItemFlags TStructureModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.internalId() >> 32)
        f |= Qt::ItemNeverHasChildren;
    return f;
}

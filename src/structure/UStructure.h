#pragma once

#include <QAbstractItemModel>
#include <QByteArray>
#include <QHash>
#include <QString>
#include <array>
#include <functional>
#include <initializer_list>
#include <memory>
#include <unordered_map>
#include <vector>

class TChannel;
class TChannelTreeModel;

// A main channel of the channel tree with its position when the structure was built.
struct TChannelHelper {
    TChannel* Channel = nullptr;
    int No = 0;
};

// One run of the reorder preview: a stretch of its text in a colour (0xRRGGBB), bold or not.
struct TStructureTextRun {
    int Start = 0;
    int Length = 0;
    quint32 Colour = 0;
    bool Bold = false;
};

// The reorder preview: one text whose lines each end with CR LF, and the coloured runs of
// every line. A long list makes 100,000 lines, so the text is one buffer and a line is two
// offsets, not a string of its own.
class TStructureText {
public:
    TStructureText();

    // The whole text, every line ending with CR LF.
    QStringView Text() const {
        return QStringView(FText.data(), static_cast<qsizetype>(FText.size()));
    }
    int LineCount() const { return static_cast<int>(FLines.size()) - 1; }
    // Line n without its line end.
    QStringView Line(int n) const;
    // Lines first to last, each with its line end.
    QStringView Lines(int first, int last) const;
    // The runs of line n, in order; they cover the line without its line end.
    const TStructureTextRun* RunsBegin(int n) const;
    const TStructureTextRun* RunsEnd(int n) const;
    int RunCount() const { return static_cast<int>(FRuns.size()); }
    const TStructureTextRun& Run(int i) const { return FRuns[static_cast<size_t>(i)]; }
    QStringView RunText(const TStructureTextRun& run) const;

    void Reserve(int lines, int runs, int characters);
    // Appends a run, made of the parts in order, to the line being written.
    void Add(std::initializer_list<QStringView> parts, quint32 colour, bool bold);
    // Ends the line being written with CR LF.
    void EndLine();
    // Gives back what the growing text held in reserve.
    void Squeeze();

private:
    struct TLine {
        int Start = 0;
        int FirstRun = 0;
    };

    // A plain vector: appending to it is a copy, where a string checks and grows per call.
    std::vector<char16_t> FText;
    std::vector<TStructureTextRun> FRuns;
    // One entry per line and one past the last, so line n ends where line n + 1 starts.
    std::vector<TLine> FLines;
};

// Groups the main channels by root and, within a root, by category, each level in the order
// of first appearance. Root and category names match without regard to case and keep the
// form in which they were first met. Building is one pass with hash lookups, since it runs
// after every command.
class TStructure {
public:
    struct TCategory {
        QString Name;
        std::vector<TChannelHelper> Channels;
    };
    struct TRoot {
        QString Name;
        std::vector<std::unique_ptr<TCategory>> Categories;
        QHash<QString, int> ByFoldedName;
        QHash<QByteArray, int> ByBytes;
    };

    TStructure();
    ~TStructure();

    void Clear();
    void Add(TChannel* channel, int No);

    const std::vector<std::unique_ptr<TRoot>>& Roots() const { return FRoots; }
    int ChannelCount() const { return FChannelCount; }

    // True when reading the structure top to bottom gives the channels in their current
    // order: the list is already grouped.
    bool IsHappy() const { return FIsHappy; }
    // Line of the first channel that would move in the preview, or -1.
    int ScrollTo() const { return FScrollTo; }

    // Rebuilds from the tree's top-level nodes (nothing happens for an empty tree, so the
    // structure keeps describing the last non-empty tree).
    void UpdateStructure(const TChannelTreeModel& tree);
    // Follows a move of one top-level node from oldRow to newRow (the tree already shows
    // it there) without reading every channel again: the result is what UpdateStructure
    // would build. False, and nothing changed, when the structure does not describe the
    // tree as it was before the move; the caller then rebuilds.
    bool MoveNode(const TChannelTreeModel& tree, int oldRow, int newRow);
    // Works out IsHappy from the structure as built.
    void DisplayTreeView();
    // The preview text: root, category and channel lines with the new positions and, in red,
    // the current position of every channel that would move. Sets ScrollTo.
    TStructureText DisplayHappyMan();
    // The current tree rows in grouped order.
    std::vector<int> GroupedOrder() const;
    // Puts the tree into grouped order (ticks, bookmarks and audio tracks stay with their
    // channels) and rebuilds the structure, which then finds the list grouped.
    void MakeManHappy(TChannelTreeModel& tree);

private:
    // A channel's root and category as stored, each a length byte and its text with nothing
    // after it: channels with the same key belong to the same category.
    struct TGroupKey {
        std::array<char, 52> Bytes{};
        bool operator==(const TGroupKey&) const = default;
    };
    struct TGroupKeyHash {
        size_t operator()(const TGroupKey& key) const noexcept;
    };
    static TGroupKey GroupKeyOf(const TChannel& channel);
    struct TGroup {
        TRoot* Root = nullptr;
        TCategory* Category = nullptr;
    };
    // Puts the categories of a root, or the roots, back in the order of their first
    // channels, and points the lookups at the new places.
    static void SortCategories(TRoot& root);
    void SortRoots();

    TCategory& CategoryFor(TRoot& root, const TChannel& channel);
    TRoot& RootFor(const TChannel& channel);

    std::vector<std::unique_ptr<TRoot>> FRoots;
    QHash<QString, int> FRootByFoldedName;
    QHash<QByteArray, int> FRootByBytes;
    // The category of every root and category spelling met so far, found with one lookup
    // that allocates nothing: lists whose neighbours seldom share a group look up every
    // channel.
    std::unordered_map<TGroupKey, TGroup, TGroupKeyHash> FCategoryByBytes;
    int FChannelCount = 0;
    bool FIsHappy = true;
    int FScrollTo = -1;
};

// The structure pane: roots, their categories, their channels. A rebuild that keeps every
// root, category and channel count (a drop inside its group, a reorder into groups) is a
// change of data; only a change of that shape resets the views.
class TStructureModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum TRole {
        ChannelRole = Qt::UserRole + 1, // TChannel* as quintptr for channel rows
        NodeImageRole,                  // 10 root, 11 category, 1..8 channel
        LevelRole,                      // 0 root, 1 category, 2 channel
        ChannelNoRole,                  // the channel's row when the structure was built
    };
    using TDecorationProvider = std::function<QVariant(int nodeImage, int selectedImage)>;

    explicit TStructureModel(const TStructure& structure, QObject* parent = nullptr);

    // Call after the structure was rebuilt.
    void Reset();
    // Call after the structure was rebuilt: resets only when the shape differs from the one
    // the views were last shown, else announces the new data. True when it reset.
    bool Refresh();
    void SetDecorationProvider(TDecorationProvider provider);

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // Internal ids: 0 for roots; root + 1 for categories (parent is a root); for channels
    // the category's position packed as ((root + 1) << 32) | (category + 1).
    static quintptr CategoryParentId(int root) { return quintptr(root) + 1; }
    // Root count, then per root its category count, then per category its channel count.
    std::vector<int> ShapeOf() const;
    const TStructure& FStructure;
    std::vector<int> FShownShape;
    TDecorationProvider FDecorationProvider;
};

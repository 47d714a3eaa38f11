#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TChannelTreeModel;

// The roots of a channel tree with the categories under each, for choosing channels by root
// and category. Names that differ only in case are one entry, written as first met. Roots
// keep the order in which they first appear; categories are sorted.
//
// Each distinct spelling is case-folded once: a list of 100,000 channels holds few distinct
// names, so the structure costs one hash lookup per channel.
class TCategoryStructure {
public:
    TCategoryStructure();
    ~TCategoryStructure();
    TCategoryStructure(const TCategoryStructure&) = delete;
    TCategoryStructure& operator=(const TCategoryStructure&) = delete;

    void Add(const QString& aRoot, const QString& aCategory);
    // The root names in order of first appearance.
    const QStringList& Roots() const { return FRootNames; }
    // The categories of the root, sorted without regard to case; none when the root is not
    // there. The list stays owned by the structure.
    const QStringList* GetCategories(const QString& aRoot) const;
    void Clear();
    // Clears, then adds every top-level channel of the tree in order.
    void Fill(const TChannelTreeModel& tree);

private:
    struct TRoot;
    int FindRoot(const QString& aRoot) const;

    QStringList FRootNames;
    std::vector<std::unique_ptr<TRoot>> FRoots;
    // Spellings seen and folded names, both to the root's index.
    QHash<QString, int> FRootBySpelling;
    QHash<QString, int> FRootByFolded;
};

// The channel-side test of "Check" and "Uncheck": the root is the chosen one (the letters
// a to z in either case) and the category is one of the given ones (without regard to case).
class TCategoryMatcher {
public:
    TCategoryMatcher(const QString& root, const QStringList& categories);
    bool Matches(const QString& root, const QString& category);
    bool MatchesRoot(const QString& root) const;
    bool MatchesCategory(const QString& category);

private:
    QString FRoot;
    QHash<QString, bool> FCategoryBySpelling;
    QHash<QString, bool> FFolded;
};

// Ticks (check = true) or unticks every top-level node of the tree whose channel matches, in
// one pass; others keep their tick. Returns the number of nodes whose tick changed.
int ApplyCategoryChecks(TChannelTreeModel& tree, const QString& root, const QStringList& categories,
                        bool check);

// Equality with only the letters a to z folded.
bool SameTextAsciiCase(QStringView a, QStringView b);

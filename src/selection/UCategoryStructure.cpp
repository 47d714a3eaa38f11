#include "selection/UCategoryStructure.h"

#include "channels/UChannel.h"
#include "channels/UChannelUtils.h"
#include "main/UChannelTreeModel.h"

#include <QCollator>
#include <QSet>

#include <algorithm>
#include <numeric>

namespace {

constexpr char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

} // namespace

bool SameTextAsciiCase(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i].unicode()) != AsciiUpper(b[i].unicode()))
            return false;
    return true;
}

struct TCategoryStructure::TRoot {
    // Display spellings, in the order they were added until sorted.
    mutable QStringList Categories;
    mutable QStringList Folded;
    mutable bool Sorted = true;
    QSet<QString> Spellings;
    QSet<QString> FoldedSet;

    void Add(const QString& category) {
        if (Spellings.contains(category))
            return;
        Spellings.insert(category);
        const QString folded = category.toCaseFolded();
        if (FoldedSet.contains(folded))
            return;
        FoldedSet.insert(folded);
        Categories.append(category);
        Folded.append(folded);
        Sorted = Categories.size() < 2;
    }

    void Sort() const {
        if (Sorted)
            return;
        // The sort sees only distinct names, a handful per root, so a locale-aware order
        // costs nothing worth counting.
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::vector<int> order(static_cast<size_t>(Categories.size()));
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [this, &collator](int a, int b) {
            const int byLocale = collator.compare(Folded[a], Folded[b]);
            return byLocale != 0 ? byLocale < 0 : Folded[a] < Folded[b];
        });
        QStringList categories;
        QStringList folded;
        categories.reserve(Categories.size());
        folded.reserve(Categories.size());
        for (int i : order) {
            categories.append(Categories[i]);
            folded.append(Folded[i]);
        }
        Categories = std::move(categories);
        Folded = std::move(folded);
        Sorted = true;
    }
};

TCategoryStructure::TCategoryStructure() = default;
TCategoryStructure::~TCategoryStructure() = default;

int TCategoryStructure::FindRoot(const QString& aRoot) const {
    const auto spelled = FRootBySpelling.constFind(aRoot);
    if (spelled != FRootBySpelling.constEnd())
        return spelled.value();
    return FRootByFolded.value(aRoot.toCaseFolded(), -1);
}

void TCategoryStructure::Add(const QString& aRoot, const QString& aCategory) {
    int index = -1;
    const auto spelled = FRootBySpelling.constFind(aRoot);
    if (spelled != FRootBySpelling.constEnd()) {
        index = spelled.value();
    } else {
        const QString folded = aRoot.toCaseFolded();
        index = FRootByFolded.value(folded, -1);
        if (index < 0) {
            index = static_cast<int>(FRoots.size());
            FRoots.push_back(std::make_unique<TRoot>());
            FRootNames.append(aRoot);
            FRootByFolded.insert(folded, index);
        }
        FRootBySpelling.insert(aRoot, index);
    }
    FRoots[static_cast<size_t>(index)]->Add(aCategory);
}

const QStringList* TCategoryStructure::GetCategories(const QString& aRoot) const {
    const int index = FindRoot(aRoot);
    if (index < 0)
        return nullptr;
    const TRoot& root = *FRoots[static_cast<size_t>(index)];
    root.Sort();
    return &root.Categories;
}

void TCategoryStructure::Clear() {
    FRootNames.clear();
    FRoots.clear();
    FRootBySpelling.clear();
    FRootByFolded.clear();
}

void TCategoryStructure::Fill(const TChannelTreeModel& tree) {
    Clear();
    // A list holds few distinct names: each is decoded once, not once per channel.
    QHash<QByteArray, QString> roots;
    QHash<QByteArray, QString> categories;
    const auto text = [](QHash<QByteArray, QString>& decoded, const QByteArray& bytes) {
        auto it = decoded.find(bytes);
        if (it == decoded.end())
            it = decoded.insert(bytes, DecodeName(bytes));
        return it.value();
    };
    for (int row = 0; row < tree.TopCount(); ++row) {
        const TChannel* c = tree.ChannelAt(row);
        Add(text(roots, c->RootBytes()), text(categories, c->CategoryBytes()));
    }
}

TCategoryMatcher::TCategoryMatcher(const QString& root, const QStringList& categories)
    : FRoot(root) {
    for (const QString& category : categories)
        FFolded.insert(category.toCaseFolded(), true);
}

bool TCategoryMatcher::Matches(const QString& root, const QString& category) {
    return MatchesRoot(root) && MatchesCategory(category);
}

bool TCategoryMatcher::MatchesRoot(const QString& root) const {
    return SameTextAsciiCase(root, FRoot);
}

bool TCategoryMatcher::MatchesCategory(const QString& category) {
    const auto spelled = FCategoryBySpelling.constFind(category);
    if (spelled != FCategoryBySpelling.constEnd())
        return spelled.value();
    const bool found = FFolded.contains(category.toCaseFolded());
    FCategoryBySpelling.insert(category, found);
    return found;
}

int ApplyCategoryChecks(TChannelTreeModel& tree, const QString& root, const QStringList& categories,
                        bool check) {
    if (categories.isEmpty())
        return 0;
    TCategoryMatcher matcher(root, categories);
    // Decided once per distinct root and category, by their bytes.
    QHash<QByteArray, bool> rootMatches;
    QHash<QByteArray, bool> categoryMatches;
    return tree.SetCheckedWhere(
        [&](int row) {
            const TChannel* c = tree.ChannelAt(row);
            const QByteArray rootBytes = c->RootBytes();
            auto r = rootMatches.find(rootBytes);
            if (r == rootMatches.end())
                r = rootMatches.insert(rootBytes, matcher.MatchesRoot(DecodeName(rootBytes)));
            if (!r.value())
                return false;
            const QByteArray categoryBytes = c->CategoryBytes();
            auto k = categoryMatches.find(categoryBytes);
            if (k == categoryMatches.end())
                k = categoryMatches.insert(categoryBytes,
                                           matcher.MatchesCategory(DecodeName(categoryBytes)));
            return k.value();
        },
        check);
}

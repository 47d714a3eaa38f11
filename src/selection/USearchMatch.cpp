#include "selection/USearchMatch.h"

#include "channels/UChannel.h"
#include "main/UChannelTreeModel.h"

namespace {

constexpr char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

} // namespace

bool ContainsText(QStringView field, QStringView text, bool ignoreCase) {
    if (text.isEmpty())
        return true;
    if (!ignoreCase)
        return field.contains(text, Qt::CaseSensitive);
    // Qt's own case-insensitive search folds every letter; only a to z may fold here.
    const qsizetype last = field.size() - text.size();
    const char16_t first = AsciiUpper(text[0].unicode());
    for (qsizetype at = 0; at <= last; ++at) {
        if (AsciiUpper(field[at].unicode()) != first)
            continue;
        qsizetype i = 1;
        while (i < text.size() &&
               AsciiUpper(field[at + i].unicode()) == AsciiUpper(text[i].unicode()))
            ++i;
        if (i == text.size())
            return true;
    }
    return false;
}

bool SearchMatches(const TChannel& c, const TSearchCriteria& criteria) {
    const bool fold = criteria.IgnoreCase;
    if (!criteria.Root.isEmpty() && !ContainsText(c.Root(), criteria.Root, fold))
        return false;
    if (!criteria.Category.isEmpty() && !ContainsText(c.Category(), criteria.Category, fold))
        return false;
    if (!criteria.ChannelName.isEmpty() && !ContainsText(c.Name(), criteria.ChannelName, fold))
        return false;
    return true;
}

int SearchStep(const TChannelTreeModel& tree, int startRow, bool forward,
               const TSearchCriteria& criteria) {
    const int count = tree.TopCount();
    if (startRow < -1 || startRow >= count || (!forward && startRow < 0))
        return -1;
    const int step = forward ? 1 : -1;
    for (int row = startRow + step; row >= 0 && row < count; row += step)
        if (SearchMatches(*tree.ChannelAt(row), criteria))
            return row;
    return -1;
}

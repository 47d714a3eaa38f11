#pragma once

#include <QString>
#include <QStringView>

class TChannel;
class TChannelTreeModel;

// What the search window looks for: three texts that must each occur in their field.
struct TSearchCriteria {
    QString ChannelName;
    QString Category;
    QString Root;
    // Folds only the letters a to z: every other character, accented capitals included,
    // must match exactly.
    bool IgnoreCase = true;
};

// True when text occurs in field as a run of consecutive characters; an empty text occurs
// everywhere.
bool ContainsText(QStringView field, QStringView text, bool ignoreCase);

// Root first, then category, then name; each field is decoded only when its text is not
// empty and the fields before it matched.
bool SearchMatches(const TChannel& c, const TSearchCriteria& criteria);

// The first matching top-level row after (forward) or before startRow, without wrapping;
// -1 when there is none. startRow may be -1 to search forward from the top, first row
// included.
int SearchStep(const TChannelTreeModel& tree, int startRow, bool forward,
               const TSearchCriteria& criteria);

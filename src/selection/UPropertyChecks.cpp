#include "selection/UPropertyChecks.h"

#include "channels/UChannel.h"
#include "channels/UChannelInfo.h"
#include "main/UChannelTreeModel.h"

quint64 SubChannelChecks(quint64 checks) {
    return checks & SubChannelPropertiesMask;
}

bool MatchesPropertyChecks(const TChannel& main, const std::vector<TChannel*>& subs, quint64 checks,
                           const QString& language) {
    const quint64 subChecks = SubChannelChecks(checks);
    if (subChecks != 0) {
        for (const TChannel* sub : subs)
            if (sub->HasAProperty(subChecks, language))
                return true;
    }
    return main.HasAProperty(checks, language);
}

int ApplyPropertyChecks(TChannelTreeModel& tree, quint64 checks, const QString& language,
                        bool check) {
    if ((checks & AllPropertiesMask) == 0)
        return 0;
    return tree.SetCheckedWhere(
        [&tree, checks, &language](int row) {
            return MatchesPropertyChecks(*tree.ChannelAt(row), tree.SubChannelsAt(row), checks,
                                         language);
        },
        check);
}

#include "main/UChannelIdentity.h"

#include "channels/UChannel.h"
#include "channels/UChannelRec.h"
#include "main/UChannelTreeModel.h"

#include <QSet>

TChannelIdentity IdentityOf(const TChannel& channel) {
    TChannelIdentity identity;
    identity.Id = channel.EPGChannelID();
    // The identity holds the tuner type, so two channels with equal identities are either
    // both IPTV or both not.
    if (channel.Tuner() == ttIPTV) {
        identity.Address = channel.IPInt();
        identity.Port = channel.IPPort();
    }
    return identity;
}

size_t qHash(const TChannelIdentity& identity, size_t seed) {
    return qHashMulti(seed, identity.Id, identity.Address, identity.Port);
}

std::vector<int> FindDuplicateRows(const TChannelTreeModel& tree) {
    std::vector<int> rows;
    QSet<TChannelIdentity> seen;
    seen.reserve(tree.TopCount());
    for (int row = 0; row < tree.TopCount(); ++row) {
        const TChannelIdentity identity = IdentityOf(*tree.ChannelAt(row));
        if (seen.contains(identity))
            rows.push_back(row);
        else
            seen.insert(identity);
    }
    return rows;
}

int CheckDuplicates(TChannelTreeModel& tree) {
    const std::vector<int> rows = FindDuplicateRows(tree);
    std::vector<bool> duplicate(static_cast<size_t>(tree.TopCount()), false);
    for (int row : rows)
        duplicate[static_cast<size_t>(row)] = true;
    tree.SetCheckedWhere([&duplicate](int row) { return !duplicate[static_cast<size_t>(row)]; },
                         false);
    tree.SetCheckedWhere([&duplicate](int row) { return duplicate[static_cast<size_t>(row)]; },
                         true);
    return static_cast<int>(rows.size());
}

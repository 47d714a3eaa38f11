#include "main/UChangeSummary.h"

#include "channels/UChannel.h"
#include "channels/UChannelRec.h"
#include "channels/UChannels.h"
#include "main/UChannelMatch.h"
#include "main/UChannelTreeModel.h"

#include <QDir>

#include <algorithm>
#include <vector>

namespace {

// Length of the longest strictly increasing subsequence.
int LongestIncreasingRun(const std::vector<int>& values) {
    std::vector<int> tails;
    for (int v : values) {
        auto it = std::lower_bound(tails.begin(), tails.end(), v);
        if (it == tails.end())
            tails.push_back(v);
        else
            *it = v;
    }
    return int(tails.size());
}

} // namespace

TChangeCounts CompareTreeWithFile(const TChannelTreeModel& tree, const TChannels& file,
                                  const TChannels& deleted) {
    const std::vector<TChannelGroup> current = GroupsOf(tree);
    const std::vector<TChannelGroup> onDisk = GroupsOf(file);
    TChangeCounts counts;
    counts.InTree = int(current.size());
    counts.InFile = int(onDisk.size());

    const std::vector<int> paired = MatchGroups(current, onDisk);
    std::vector<bool> kept(onDisk.size(), false);
    std::vector<int> fileOrder;
    std::vector<TChannelGroup> unpaired;
    for (size_t c = 0; c < current.size(); ++c) {
        const int r = paired[c];
        if (r < 0) {
            unpaired.push_back(current[c]);
            continue;
        }
        kept[size_t(r)] = true;
        fileOrder.push_back(r);
        const TChannelGroup& now = current[c];
        const TChannelGroup& was = onDisk[size_t(r)];
        bool renamed = NamesDiffer(*now.Main, *was.Main);
        bool other =
            OtherFieldsDiffer(*now.Main, *was.Main) || now.Tracks.size() != was.Tracks.size();
        for (size_t t = 0; t < std::min(now.Tracks.size(), was.Tracks.size()); ++t) {
            renamed = renamed || NamesDiffer(*now.Tracks[t], *was.Tracks[t]);
            other = other || OtherFieldsDiffer(*now.Tracks[t], *was.Tracks[t]);
        }
        counts.Renamed += renamed ? 1 : 0;
        counts.OtherFields += other ? 1 : 0;
    }
    counts.Moved = int(fileOrder.size()) - LongestIncreasingRun(fileOrder);
    counts.Deleted = int(std::count(kept.begin(), kept.end(), false));

    const std::vector<TChannelGroup> wasDeleted = GroupsOf(deleted);
    const std::vector<int> restored = MatchGroups(unpaired, wasDeleted);
    counts.Restored =
        int(std::count_if(restored.begin(), restored.end(), [](int r) { return r >= 0; }));
    counts.Added = int(unpaired.size()) - counts.Restored;
    return counts;
}

QString DescribeChanges(const TChangeReport& report) {
    QStringList lines;
    const QString path = QDir::toNativeSeparators(report.Path);
    const TChangeCounts& n = report.Counts;
    if (!report.FileExists) {
        lines << QStringLiteral("There is no file %1 yet: all %2 channels are new.")
                     .arg(path)
                     .arg(n.InTree);
        return lines.join(QStringLiteral("\r\n"));
    }
    if (!report.ReadError.isEmpty()) {
        lines << QStringLiteral("The file %1 cannot be read, so its changes are unknown:").arg(path)
              << report.ReadError;
        return lines.join(QStringLiteral("\r\n"));
    }
    if (report.ChangedOnDisk)
        lines << QStringLiteral("The file %1 has changed since Orvane loaded or saved it: "
                                "another program has written it.")
                     .arg(path);
    if (n.IsNone()) {
        lines
            << QStringLiteral("No changes compared with %1 (%2 channels).").arg(path).arg(n.InFile);
        return lines.join(QStringLiteral("\r\n"));
    }
    lines
        << QStringLiteral("Changes compared with %1:").arg(path)
        << QStringLiteral("Moved: %1").arg(n.Moved) << QStringLiteral("Renamed: %1").arg(n.Renamed)
        << QStringLiteral("Changed in other fields: %1").arg(n.OtherFields)
        << QStringLiteral("Deleted: %1").arg(n.Deleted)
        << QStringLiteral("Restored: %1").arg(n.Restored)
        << QStringLiteral("Added: %1").arg(n.Added)
        << QStringLiteral("Channels: %1 in the file, %2 in the list.").arg(n.InFile).arg(n.InTree);
    return lines.join(QStringLiteral("\r\n"));
}

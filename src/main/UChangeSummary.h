#pragma once

#include <QString>

class TChannels;
class TChannelTreeModel;

// What writing the tree would change in a list file: each main channel of the tree is
// paired with one of the file's (MatchGroups), and each tree channel without a partner is
// looked for among the file's deleted channels. A main channel stands for its audio tracks
// too.
struct TChangeCounts {
    // Channels that would have to be moved to turn the file's order into the tree's: the
    // paired channels outside the longest run that kept its order.
    int Moved = 0;
    // Paired channels whose name, category or root (or an audio track's) differs.
    int Renamed = 0;
    // Paired channels that differ in any other byte, or in their audio tracks.
    int OtherFields = 0;
    // In the file but not in the tree.
    int Deleted = 0;
    // In the tree, not in the file, but among the file's deleted channels.
    int Restored = 0;
    // In the tree and in neither.
    int Added = 0;
    int InFile = 0;
    int InTree = 0;

    bool IsNone() const {
        return Moved == 0 && Renamed == 0 && OtherFields == 0 && Deleted == 0 && Restored == 0 &&
               Added == 0;
    }
    friend bool operator==(const TChangeCounts&, const TChangeCounts&) = default;
};

// file: the list as it is on disk; deleted: its deleted channels (may be empty).
TChangeCounts CompareTreeWithFile(const TChannelTreeModel& tree, const TChannels& file,
                                  const TChannels& deleted);

// What the user reads about one comparison.
struct TChangeReport {
    QString Path;
    bool FileExists = false;
    // Why the file could not be read; empty when it was.
    QString ReadError;
    // The file is not the one last loaded or saved here under that name.
    bool ChangedOnDisk = false;
    TChangeCounts Counts;
};

// Lines joined by CR LF.
QString DescribeChanges(const TChangeReport& report);

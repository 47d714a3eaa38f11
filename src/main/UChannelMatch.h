#pragma once

#include <vector>

class TChannel;
class TChannels;
class TChannelTreeModel;

// A main channel with its further audio tracks, which go wherever it goes.
struct TChannelGroup {
    const TChannel* Main = nullptr;
    std::vector<const TChannel*> Tracks;
};

// The groups of a list in list order (tracks before any main channel belong to none and are
// left out, as the tree leaves them out), and of a tree in tree order.
std::vector<TChannelGroup> GroupsOf(const TChannels& list);
std::vector<TChannelGroup> GroupsOf(const TChannelTreeModel& tree);

// Pairs each group of current with at most one group of reference, trying in turn:
// the same bytes; the same identity where it names one channel on each side; the same name
// and root (without regard to case); and at last the same identity in order of appearance.
// Within each step equal keys are paired in order. Returns, for each current group, the
// index of its partner in reference, or -1.
std::vector<int> MatchGroups(const std::vector<TChannelGroup>& current,
                             const std::vector<TChannelGroup>& reference);

// Whether the name, root or category of two channels read differently.
bool NamesDiffer(const TChannel& a, const TChannel& b);
// Whether two channels differ in any byte outside the names.
bool OtherFieldsDiffer(const TChannel& a, const TChannel& b);

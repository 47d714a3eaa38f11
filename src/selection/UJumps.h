#pragma once

#include <array>

class TChannel;
class TChannelTreeModel;

// The twelve jumps of F3 to F8 and of the GoTo window: kind / 2 names the property
// (bookmarked, ticked, encrypted, free to air, radio, TV), an odd kind walks forward and an
// even kind backward.
inline constexpr int JumpKindCount = 12;

bool MatchesJump(const TChannel& c, int kind);

// The row of the first top-level node in the kind's direction from startRow (not
// testing startRow itself, never wrapping) whose channel matches; -1 when there is none or
// startRow is not a row of the tree.
int FindNextMatching(const TChannelTreeModel& tree, int startRow, int kind);

// For each kind, whether FindNextMatching from startRow would find a node. One walk over
// the nodes before startRow and one over those after it, however many kinds there are;
// all false when startRow is not a row of the tree.
std::array<bool, JumpKindCount> JumpAvailability(const TChannelTreeModel& tree, int startRow);

#include "selection/UJumps.h"

#include "channels/UChannel.h"
#include "main/UChannelTreeModel.h"

namespace {

// The six properties of a channel as bits 0 to 5, in kind / 2 order.
unsigned JumpPropertiesOf(const TChannel& c) {
    // Read from the flags here rather than through the getters: the walks below read every
    // channel of a long list.
    const bool encrypted = (c.Rec.TunerData.Flags & flEncrypted) != 0;
    const bool video = (c.Rec.TunerData.Flags & flVideo) != 0;
    return (c.IsBookMarked ? 1u : 0u) | (c.IsChecked ? 2u : 0u) | (encrypted ? 4u : 8u) |
           (video ? 32u : 16u);
}

constexpr unsigned AllProperties = 0x3f;

} // namespace

bool MatchesJump(const TChannel& c, int kind) {
    if (kind < 0 || kind >= JumpKindCount)
        return false;
    return (JumpPropertiesOf(c) & (1u << (kind / 2))) != 0;
}

int FindNextMatching(const TChannelTreeModel& tree, int startRow, int kind) {
    if (startRow < 0 || startRow >= tree.TopCount() || kind < 0 || kind >= JumpKindCount)
        return -1;
    const int step = (kind % 2 == 1) ? 1 : -1;
    for (int row = startRow + step; row >= 0 && row < tree.TopCount(); row += step)
        if (MatchesJump(*tree.ChannelAt(row), kind))
            return row;
    return -1;
}

std::array<bool, JumpKindCount> JumpAvailability(const TChannelTreeModel& tree, int startRow) {
    std::array<bool, JumpKindCount> available{};
    if (startRow < 0 || startRow >= tree.TopCount())
        return available;
    // Each walk stops as soon as every property has been seen on its side.
    unsigned before = 0;
    for (int row = startRow - 1; row >= 0 && before != AllProperties; --row)
        before |= JumpPropertiesOf(*tree.ChannelAt(row));
    unsigned after = 0;
    for (int row = startRow + 1; row < tree.TopCount() && after != AllProperties; ++row)
        after |= JumpPropertiesOf(*tree.ChannelAt(row));
    for (int property = 0; property < JumpKindCount / 2; ++property) {
        available[static_cast<size_t>(2 * property)] = (before & (1u << property)) != 0;
        available[static_cast<size_t>(2 * property + 1)] = (after & (1u << property)) != 0;
    }
    return available;
}

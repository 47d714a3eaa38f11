#include "selection/UJumps.h"

#include "channels/UChannel.h"
#include "main/UChannelTreeModel.h"

#include <algorithm>

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

namespace {

// The first and the last row of each property in a tree, worked out again only when the
// tree has changed since: with the GoTo window open, every step through a long list asks.
struct TJumpExtents {
    const TChannelTreeModel* Tree = nullptr;
    quint64 Revision = 0;
    std::array<int, JumpKindCount / 2> First{};
    std::array<int, JumpKindCount / 2> Last{};
};

const TJumpExtents& ExtentsOf(const TChannelTreeModel& tree) {
    thread_local TJumpExtents cache;
    if (cache.Tree == &tree && cache.Revision == tree.Revision())
        return cache;
    cache.Tree = &tree;
    cache.Revision = tree.Revision();
    cache.First.fill(-1);
    cache.Last.fill(-1);
    for (int row = 0; row < tree.TopCount(); ++row) {
        const unsigned properties = JumpPropertiesOf(*tree.ChannelAt(row));
        for (size_t p = 0; p < cache.First.size(); ++p)
            if (properties & (1u << p)) {
                if (cache.First[p] < 0)
                    cache.First[p] = row;
                cache.Last[p] = row;
            }
    }
    return cache;
}

} // namespace

std::array<bool, JumpKindCount> JumpAvailability(const TChannelTreeModel& tree, int startRow) {
    std::array<bool, JumpKindCount> available{};
    if (startRow < 0 || startRow >= tree.TopCount())
        return available;
    // Near rows mostly show every property on both sides; only when they do not is the whole
    // tree consulted, through its extents.
    constexpr int NearRows = 256;
    unsigned before = 0;
    for (int row = startRow - 1; row >= std::max(0, startRow - NearRows) && before != AllProperties;
         --row)
        before |= JumpPropertiesOf(*tree.ChannelAt(row));
    unsigned after = 0;
    for (int row = startRow + 1;
         row < std::min(tree.TopCount(), startRow + 1 + NearRows) && after != AllProperties; ++row)
        after |= JumpPropertiesOf(*tree.ChannelAt(row));
    if (before != AllProperties || after != AllProperties) {
        const TJumpExtents& extents = ExtentsOf(tree);
        for (size_t p = 0; p < extents.First.size(); ++p) {
            if (extents.First[p] >= 0 && extents.First[p] < startRow)
                before |= 1u << p;
            if (extents.Last[p] > startRow)
                after |= 1u << p;
        }
    }
    for (int property = 0; property < JumpKindCount / 2; ++property) {
        available[static_cast<size_t>(2 * property)] = (before & (1u << property)) != 0;
        available[static_cast<size_t>(2 * property + 1)] = (after & (1u << property)) != 0;
    }
    return available;
}

#include "main/UApplyOrder.h"

#include "channels/UChannel.h"
#include "channels/UChannelRec.h"
#include "channels/UChannels.h"
#include "main/UChannelMatch.h"
#include "main/UChannelTreeModel.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace {

constexpr size_t NamesBegin = offsetof(TChannelRec, Root);
constexpr size_t NamesEnd = offsetof(TChannelRec, Encrypted);

// Sets a byte and tells whether it changed.
bool Assign(quint8& field, quint8 value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

bool TakeOver(TChannel& now, const std::vector<TChannel*>& tracks, const TChannel& from,
              const TTakeOver& what) {
    bool changed = false;
    if (what.Names) {
        auto* to = reinterpret_cast<char*>(&now.Rec) + NamesBegin;
        const auto* source = reinterpret_cast<const char*>(&from.Rec) + NamesBegin;
        if (std::memcmp(to, source, NamesEnd - NamesBegin) != 0) {
            // The reference's record is a valid one: its three names fit together as they are.
            std::memcpy(to, source, NamesEnd - NamesBegin);
            changed = true;
        }
    }
    const auto both = [&](auto set) {
        bool any = set(now);
        for (TChannel* track : tracks)
            any = set(*track) || any;
        return any;
    };
    if (what.Group)
        changed = both([&from](TChannel& c) {
                      return Assign(c.Rec.TunerData.ChannelGroup, from.Rec.TunerData.ChannelGroup);
                  }) ||
                  changed;
    if (what.EpgFlags)
        changed = both([&from](TChannel& c) {
                      return Assign(c.Rec.TunerData.EPGFlags, from.Rec.TunerData.EPGFlags);
                  }) ||
                  changed;
    return changed;
}

} // namespace

TApplyOrderResult ApplyOrderFrom(TChannelTreeModel& tree, const TChannels& reference,
                                 const TTakeOver& takeOver) {
    const std::vector<TChannelGroup> current = GroupsOf(tree);
    const std::vector<TChannelGroup> wanted = GroupsOf(reference);
    const std::vector<int> paired = MatchGroups(current, wanted);

    TApplyOrderResult result;
    std::vector<int> rowOf(wanted.size(), -1);
    for (size_t row = 0; row < paired.size(); ++row)
        if (paired[row] >= 0)
            rowOf[size_t(paired[row])] = int(row);

    std::vector<int> order;
    order.reserve(current.size());
    for (size_t r = 0; r < wanted.size(); ++r) {
        const int row = rowOf[r];
        if (row < 0) {
            ++result.Missing;
            continue;
        }
        order.push_back(row);
        if (TakeOver(*tree.ChannelAt(row), tree.SubChannelsAt(row), *wanted[r].Main, takeOver))
            result.Changed = true;
    }
    result.Matched = int(order.size());
    std::vector<bool> isNew(current.size(), false);
    for (size_t row = 0; row < paired.size(); ++row)
        if (paired[row] < 0) {
            order.push_back(int(row));
            isNew[row] = true;
        }
    result.New = int(current.size()) - result.Matched;

    bool reordered = false;
    for (size_t i = 0; i < order.size() && !reordered; ++i)
        reordered = order[i] != int(i);
    if (reordered) {
        tree.ApplyOrder(order);
        result.Changed = true;
    } else if (result.Changed) {
        tree.ChangeTreeViewNames();
    }
    // After the move, row i holds the channel that was at order[i].
    tree.SetCheckedWhere([&](int row) { return !isNew[size_t(order[size_t(row)])]; }, false);
    tree.SetCheckedWhere([&](int row) { return isNew[size_t(order[size_t(row)])]; }, true);
    return result;
}

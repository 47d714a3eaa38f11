#include "main/UChannelMatch.h"

#include "channels/UChannel.h"
#include "channels/UChannelRec.h"
#include "channels/UChannels.h"
#include "main/UChannelIdentity.h"
#include "main/UChannelTreeModel.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstddef>
#include <cstring>

namespace {

constexpr size_t NamesBegin = offsetof(TChannelRec, Root);
constexpr size_t NamesEnd = offsetof(TChannelRec, Encrypted);

const char* BytesOf(const TChannel& c) {
    return reinterpret_cast<const char*>(&c.Rec);
}

// Equal groups have equal keys; SameGroupBytes settles the rare equal key of unequal ones.
size_t RecordKey(const TChannelGroup& g) {
    return qHashBits(BytesOf(*g.Main), ChannelRecSize, g.Tracks.size());
}

bool SameBytes(const TChannel& a, const TChannel& b) {
    return std::memcmp(BytesOf(a), BytesOf(b), ChannelRecSize) == 0;
}

bool SameGroupBytes(const TChannelGroup& a, const TChannelGroup& b) {
    if (a.Tracks.size() != b.Tracks.size() || !SameBytes(*a.Main, *b.Main))
        return false;
    for (size_t i = 0; i < a.Tracks.size(); ++i)
        if (!SameBytes(*a.Tracks[i], *b.Tracks[i]))
            return false;
    return true;
}

// Without any of the three IDs a channel has no identity worth the name (an IPTV channel
// still has its address).
bool HasIdentity(const TChannel& c) {
    return c.SID() != 0 || c.TID() != 0 || c.NID() != 0 || (c.Tuner() == ttIPTV && c.IPInt() != 0);
}

QString NameKey(const TChannel& c) {
    return c.Root().toCaseFolded() + QChar(0) + c.Name().toCaseFolded();
}

// Pairs current groups with reference groups; result[i] is the reference index of current
// group i, or -1. Groups with an entry already in result are left as they are.
class TMatcher {
public:
    TMatcher(const std::vector<TChannelGroup>& current, const std::vector<TChannelGroup>& reference)
        : FCurrent(current), FReference(reference), FUsed(reference.size(), false),
          FResult(current.size(), -1) {}

    std::vector<int> Run() {
        PairBy([](const TChannelGroup& g) { return RecordKey(g); }, SameGroupBytes);
        PairUniqueIdentities();
        PairBy([](const TChannelGroup& g) { return NameKey(*g.Main); });
        PairBy([](const TChannelGroup& g) { return IdentityOf(*g.Main); });
        return FResult;
    }

private:
    // Pairs, in order, the unpaired groups of equal key (and, when given, accepted by same).
    template <typename KeyOf>
    void PairBy(KeyOf keyOf, bool (*same)(const TChannelGroup&, const TChannelGroup&) = nullptr) {
        using TKey = decltype(keyOf(FReference.front()));
        if (FReference.empty())
            return;
        QHash<TKey, std::vector<int>> waiting;
        for (size_t r = 0; r < FReference.size(); ++r)
            if (!FUsed[r])
                waiting[keyOf(FReference[r])].push_back(int(r));
        QHash<TKey, size_t> next;
        for (size_t c = 0; c < FCurrent.size(); ++c) {
            if (FResult[c] >= 0)
                continue;
            const TKey key = keyOf(FCurrent[c]);
            auto found = waiting.find(key);
            if (found == waiting.end())
                continue;
            size_t& at = next[key];
            const std::vector<int>& candidates = found.value();
            if (at >= candidates.size())
                continue;
            const int r = candidates[at];
            if (same && !same(FCurrent[c], FReference[size_t(r)]))
                continue;
            ++at;
            Pair(c, r);
        }
    }

    void PairUniqueIdentities() {
        QHash<TChannelIdentity, int> reference; // index, or -2 when not unique
        for (size_t r = 0; r < FReference.size(); ++r) {
            if (FUsed[r] || !HasIdentity(*FReference[r].Main))
                continue;
            Note(reference, IdentityOf(*FReference[r].Main), int(r));
        }
        QHash<TChannelIdentity, int> current;
        for (size_t c = 0; c < FCurrent.size(); ++c) {
            if (FResult[c] >= 0 || !HasIdentity(*FCurrent[c].Main))
                continue;
            Note(current, IdentityOf(*FCurrent[c].Main), int(c));
        }
        for (auto it = current.cbegin(); it != current.cend(); ++it) {
            const int r = reference.value(it.key(), -1);
            if (it.value() >= 0 && r >= 0)
                Pair(size_t(it.value()), r);
        }
    }

    // The index of the one group with this identity, or -2 once a second one turns up.
    static void Note(QHash<TChannelIdentity, int>& seen, const TChannelIdentity& identity,
                     int index) {
        auto it = seen.find(identity);
        if (it == seen.end())
            seen.insert(identity, index);
        else
            it.value() = -2;
    }

    void Pair(size_t c, int r) {
        FResult[c] = r;
        FUsed[size_t(r)] = true;
    }

    const std::vector<TChannelGroup>& FCurrent;
    const std::vector<TChannelGroup>& FReference;
    std::vector<bool> FUsed;
    std::vector<int> FResult;
};

} // namespace

std::vector<TChannelGroup> GroupsOf(const TChannels& list) {
    std::vector<TChannelGroup> groups;
    groups.reserve(size_t(list.Count()));
    for (int i = 0; i < list.Count(); ++i) {
        const TChannel* c = list.Channel(i);
        if (c->IsMainChannel())
            groups.push_back({c, {}});
        else if (!groups.empty())
            groups.back().Tracks.push_back(c);
        // A track before any main channel belongs to none: the tree leaves it out as well.
    }
    return groups;
}

std::vector<TChannelGroup> GroupsOf(const TChannelTreeModel& tree) {
    std::vector<TChannelGroup> groups;
    groups.reserve(size_t(tree.TopCount()));
    for (int row = 0; row < tree.TopCount(); ++row) {
        const std::vector<TChannel*>& subs = tree.SubChannelsAt(row);
        groups.push_back({tree.ChannelAt(row), {subs.begin(), subs.end()}});
    }
    return groups;
}

bool NamesDiffer(const TChannel& a, const TChannel& b) {
    if (std::memcmp(BytesOf(a) + NamesBegin, BytesOf(b) + NamesBegin, NamesEnd - NamesBegin) == 0)
        return false;
    // Bytes past a name's end may differ while the names read the same.
    return a.Name() != b.Name() || a.Root() != b.Root() || a.Category() != b.Category();
}

bool OtherFieldsDiffer(const TChannel& a, const TChannel& b) {
    return std::memcmp(BytesOf(a), BytesOf(b), NamesBegin) != 0 ||
           std::memcmp(BytesOf(a) + NamesEnd, BytesOf(b) + NamesEnd, ChannelRecSize - NamesEnd) !=
               0;
}

std::vector<int> MatchGroups(const std::vector<TChannelGroup>& current,
                             const std::vector<TChannelGroup>& reference) {
    return TMatcher(current, reference).Run();
}

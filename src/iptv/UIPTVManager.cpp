#include "iptv/UIPTVManager.h"

#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "main/UChannelTreeModel.h"
#include "platform/UAtomicFile.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr qint64 NIDMask = qint64(0xFFFF) << 32;
constexpr int NIDCount = 65536;

qint64 WithNID(qint64 id, int nid) {
    return (id & ~NIDMask) | (qint64(nid & 0xFFFF) << 32);
}
qint64 BaseOf(qint64 id) {
    return id & ~NIDMask;
}

QString DottedIP(quint32 ip) {
    return QString::number(ip >> 24) + QLatin1Char('.') + QString::number((ip >> 16) & 0xFF) +
           QLatin1Char('.') + QString::number((ip >> 8) & 0xFF) + QLatin1Char('.') +
           QString::number(ip & 0xFF);
}

struct TStreamKeyHash {
    size_t operator()(const std::pair<qint64, quint64>& k) const {
        return std::hash<qint64>()(k.first) ^
               (std::hash<quint64>()(k.second) * 0x9E3779B97F4A7C15ull);
    }
};

// The stream of a group as the clash test sees it: address and the low 16 bits of the port.
quint64 StreamOf(const TIPTVChannel& g) {
    return (quint64(g.GetIP()) << 16) | g.GetPort();
}

// Who stands at one identity: all groups, and how many of them per stream.
struct TBucket {
    int Total = 0;
    std::unordered_map<quint64, int> ByStream;
};

// The search for a free network ID, with the occupancy of every identity indexed so that a
// candidate is tested in constant time and runs of IDs handed out in this pass are skipped.
class TNIDSearch {
public:
    explicit TNIDSearch(const std::vector<std::unique_ptr<TIPTVChannel>>& groups) {
        for (const auto& g : groups) {
            Enter(*g, g->GetNID());
            FSameStream[{BaseOf(g->First()->EPGChannelID()), StreamOf(*g)}].push_back(g.get());
        }
    }

    // True when no group other than g stands at (base of g, nid) with another stream.
    bool IsNIDFree(const TIPTVChannel& g, int nid) const {
        auto it = FBuckets.find(WithNID(g.First()->EPGChannelID(), nid));
        if (it == FBuckets.end())
            return true;
        const TBucket& b = it->second;
        auto same = b.ByStream.find(StreamOf(g));
        const int sameCount = same == b.ByStream.end() ? 0 : same->second;
        // g itself, where it stands, is of its own stream: it cancels out.
        return b.Total == sameCount;
    }

    // The first free candidate from start downward, wrapping from 0 to 65535; -1 if none.
    int FindFree(const TIPTVChannel& g, int start) {
        const qint64 base = BaseOf(g.First()->EPGChannelID());
        auto position = [start](int nid) { return (start - nid + NIDCount) % NIDCount; };
        int best = -1;
        // IDs handed out in this pass are skipped wholesale; among them only those held by
        // groups of g's own stream can be free for g.
        auto sameIt = FSameStream.find({base, StreamOf(g)});
        if (sameIt != FSameStream.end()) {
            for (const TIPTVChannel* other : sameIt->second) {
                if (other == &g || !IsAssigned(base, other->GetNID()))
                    continue;
                const int nid = other->GetNID();
                if (IsNIDFree(g, nid) && (best == -1 || position(nid) < position(best)))
                    best = nid;
            }
        }
        // Walk the candidates by their place p in the search order.
        for (int p = 0; p < NIDCount;) {
            const int c = (start - p + NIDCount) % NIDCount;
            const int free = NotAssignedAtOrBelow(base, c);
            if (free == -1) { // c down to 0 all handed out: go on at 65535
                p += c + 1;
                continue;
            }
            p += c - free;
            if (p >= NIDCount)
                break;
            if (IsNIDFree(g, free)) {
                if (best == -1 || position(free) < position(best))
                    best = free;
                break;
            }
            ++p;
        }
        return best;
    }

    void Move(TIPTVChannel& g, int from, int to) {
        Leave(g, from);
        Enter(g, to);
        const qint64 base = BaseOf(g.First()->EPGChannelID());
        auto& assigned = FAssigned[base];
        if (!assigned.count(to))
            assigned.emplace(to, to - 1);
    }

private:
    void Enter(const TIPTVChannel& g, int nid) {
        TBucket& b = FBuckets[WithNID(g.First()->EPGChannelID(), nid)];
        ++b.Total;
        ++b.ByStream[StreamOf(g)];
    }

    void Leave(const TIPTVChannel& g, int nid) {
        TBucket& b = FBuckets[WithNID(g.First()->EPGChannelID(), nid)];
        --b.Total;
        --b.ByStream[StreamOf(g)];
    }

    bool IsAssigned(qint64 base, int nid) const {
        auto it = FAssigned.find(base);
        return it != FAssigned.end() && it->second.count(nid);
    }

    // Largest ID at or below c that was not handed out in this pass, or -1; the links of
    // handed-out IDs are shortened as they are walked.
    int NotAssignedAtOrBelow(qint64 base, int c) {
        auto it = FAssigned.find(base);
        if (it == FAssigned.end())
            return c;
        auto& parent = it->second;
        int root = c;
        while (root >= 0) {
            auto p = parent.find(root);
            if (p == parent.end())
                break;
            root = p->second;
        }
        for (int walk = c; walk > root;) {
            auto p = parent.find(walk);
            if (p == parent.end())
                break;
            walk = p->second;
            p->second = root;
        }
        return root;
    }

    std::unordered_map<qint64, TBucket> FBuckets;
    std::unordered_map<qint64, std::unordered_map<int, int>> FAssigned;
    std::unordered_map<std::pair<qint64, quint64>, std::vector<const TIPTVChannel*>, TStreamKeyHash>
        FSameStream;
};

} // namespace

TIPTVChannel::TIPTVChannel(TChannel* aChannel) : OldNID(aChannel->NID()) {
    Duplicates.push_back(aChannel);
}

quint32 TIPTVChannel::GetIP() const {
    return First()->Rec.TunerData.Frequency;
}

quint16 TIPTVChannel::GetPort() const {
    return static_cast<quint16>(First()->Rec.TunerData.Symbolrate & 0xFFFF);
}

qint64 TIPTVChannel::GetEPGChannelID() const {
    return WithNID(First()->EPGChannelID(), GetNID());
}

TIPTVManager::TIPTVManager() = default;
TIPTVManager::~TIPTVManager() = default;

void TIPTVManager::LoadAllIPTVChannels(const TChannelTreeModel& tree) {
    FAll.clear();
    // A channel joins the first group it duplicates: same identity, address and port.
    struct TKey {
        qint64 Id;
        quint32 IP;
        quint32 Port;
        bool operator==(const TKey& o) const { return Id == o.Id && IP == o.IP && Port == o.Port; }
    };
    struct TKeyHash {
        size_t operator()(const TKey& k) const {
            return std::hash<qint64>()(k.Id) ^
                   (std::hash<quint64>()((quint64(k.IP) << 32) | k.Port) * 31);
        }
    };
    std::unordered_map<TKey, size_t, TKeyHash> groupOf;
    for (int row = 0; row < tree.TopCount(); ++row) {
        TChannel* c = tree.ChannelAt(row);
        if (c->Tuner() != 4)
            continue;
        const TKey key{c->EPGChannelID(), c->Rec.TunerData.Frequency, c->Rec.TunerData.Symbolrate};
        auto it = groupOf.find(key);
        if (it != groupOf.end()) {
            FAll[it->second]->Duplicates.push_back(c);
            continue;
        }
        groupOf.emplace(key, FAll.size());
        FAll.push_back(std::make_unique<TIPTVChannel>(c));
    }
    // Stable, so that groups of equal identity keep the order in which they were met.
    std::stable_sort(FAll.begin(), FAll.end(), [](const auto& a, const auto& b) {
        return a->First()->EPGChannelID() < b->First()->EPGChannelID();
    });
}

bool TIPTVManager::DisplayTreeViewFirst() {
    // Groups differ in identity, address or port; so a group is unique exactly when no other
    // group has its identity.
    std::unordered_map<qint64, int> sameIdentity;
    for (const auto& g : FAll)
        ++sameIdentity[g->First()->EPGChannelID()];
    bool ok = true;
    for (const auto& g : FAll) {
        const bool unique = sameIdentity[g->First()->EPGChannelID()] == 1;
        g->IconIndex = unique ? 2 : 1;
        ok = ok && unique;
    }
    return ok;
}

void TIPTVManager::MakeAllChannelsUnique(int StartNID) {
    StartNID = std::clamp(StartNID, 0, NIDCount - 1);
    TNIDSearch search(FAll);
    for (const auto& g : FAll) {
        if (g->IconIndex != 1)
            continue;
        if (search.IsNIDFree(*g, g->OldNID)) {
            g->IconIndex = 6;
            continue;
        }
        const int nid = search.FindFree(*g, StartNID);
        if (nid == -1)
            continue; // every ID of this identity is taken: the group keeps clashing
        const int from = g->GetNID();
        g->NewNID = nid;
        g->IconIndex = 5;
        search.Move(*g, from, nid);
    }
}

int TIPTVManager::GetIconIndex(int No) const {
    if (No < 0 || No >= Count())
        return -1;
    return FAll[static_cast<size_t>(No)]->IconIndex;
}

QString TIPTVManager::GetNodeText(const TChannel& channel, int nid) {
    return QLatin1Char('[') + QString::number(nid) + QStringLiteral("] ") +
           channel.NidTidSidTuner() + QStringLiteral(" {") +
           DottedIP(channel.Rec.TunerData.Frequency) + QStringLiteral("} | ") +
           QString::number(channel.Rec.TunerData.Symbolrate) + QStringLiteral(" | ") +
           channel.FullName();
}

QString TIPTVManager::GetTreeViewNameByNo(int No, bool IsSubNode) const {
    Q_UNUSED(IsSubNode);
    if (No < 0 || No >= Count())
        return QString();
    const TIPTVChannel& g = *FAll[static_cast<size_t>(No)];
    return GetNodeText(*g.First(), g.NewNID);
}

QByteArray TIPTVManager::ExportText() const {
    QString text = QStringLiteral(";Format: OldNID/TID/SID/IP/Port/NewNID\r\n"
                                  ";If NewNID = -1, NID has not been changed in this session\r\n");
    for (const auto& g : FAll) {
        const TChannel& c = *g->First();
        text += QString::number(g->OldNID) + QLatin1Char('/') + QString::number(c.TID()) +
                QLatin1Char('/') + QString::number(c.SID()) + QLatin1Char('/') +
                QString::number(c.Rec.TunerData.Frequency) + QLatin1Char('/') +
                QString::number(c.Rec.TunerData.Symbolrate) + QLatin1Char('/') +
                QString::number(g->NewNID) + QStringLiteral("\r\n");
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

void TIPTVManager::DoExport(const QString& fileName) const {
    WriteFileAtomically(fileName, ExportText());
}

void TIPTVManager::ApplyNewNIDs(TChannels& channels) {
    for (const auto& g : FAll) {
        if (g->NewNID == -1)
            continue;
        for (TChannel* c : g->Duplicates)
            channels.SetNID(c, static_cast<quint16>(g->NewNID));
        g->NewNID = -1;
    }
}

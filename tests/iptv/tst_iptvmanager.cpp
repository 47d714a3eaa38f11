#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "iptv/UIPTVManager.h"
#include "main/UChannelTreeModel.h"
#include "settings/USettings.h"

#include <QTest>
#include <random>

namespace {

quint32 IP(quint8 a, quint8 b, quint8 c, quint8 d) {
    return (quint32(a) << 24) | (quint32(b) << 16) | (quint32(c) << 8) | d;
}

TChannel* AddIPTV(TChannels& list, const QString& name, quint16 nid, quint16 tid, quint16 sid,
                  quint32 ip, quint32 port) {
    auto c = std::make_unique<TChannel>();
    c->Rec.TunerData.TunerType = 4;
    c->Rec.TunerData.Flags = flVideo;
    c->Rec.TunerData.OriginalNetwork_ID = nid;
    c->Rec.TunerData.TransportStream_ID = tid;
    c->Rec.TunerData.Service_ID = sid;
    c->Rec.TunerData.Frequency = ip;
    c->Rec.TunerData.Symbolrate = port;
    c->SetRoot(QStringLiteral("IPTV"));
    c->SetCategory(QStringLiteral("Net"));
    c->SetName(name);
    return list.Add(std::move(c));
}

struct TLoaded {
    TChannels List;
    TChannelTreeModel Tree;
    TIPTVManager Manager;
    void Load() {
        Tree.DisplayTreeView(List);
        Manager.LoadAllIPTVChannels(Tree);
        Manager.DisplayTreeViewFirst();
    }
};

// The calculation exactly as described, one candidate and one group at a time: the
// reference the indexed search must agree with.
std::vector<int> ReferenceNewNIDs(const TIPTVManager& manager, int start) {
    struct G {
        qint64 Id;
        quint32 IP;
        quint16 Port;
        int Old;
        int New;
        int State;
    };
    std::vector<G> groups;
    for (const auto& g : manager.AllChannels())
        groups.push_back(
            {g->First()->EPGChannelID(), g->GetIP(), g->GetPort(), g->OldNID, -1, g->IconIndex});
    auto withNid = [](qint64 id, int nid) {
        return (id & ~(qint64(0xFFFF) << 32)) | (qint64(nid) << 32);
    };
    auto effective = [&](const G& g) { return withNid(g.Id, g.New != -1 ? g.New : g.Old); };
    auto isFree = [&](size_t i, int c) {
        for (size_t j = 0; j < groups.size(); ++j) {
            if (j == i)
                continue;
            if (withNid(groups[i].Id, c) == effective(groups[j]) &&
                (groups[i].IP != groups[j].IP || groups[i].Port != groups[j].Port))
                return false;
        }
        return true;
    };
    for (size_t i = 0; i < groups.size(); ++i) {
        if (groups[i].State != 1)
            continue;
        if (isFree(i, groups[i].Old))
            continue;
        for (int p = 0; p < 65536; ++p) {
            const int c = (start - p + 65536) % 65536;
            if (isFree(i, c)) {
                groups[i].New = c;
                break;
            }
        }
    }
    std::vector<int> result;
    for (const G& g : groups)
        result.push_back(g.New);
    return result;
}

std::vector<int> NewNIDs(const TIPTVManager& manager) {
    std::vector<int> result;
    for (const auto& g : manager.AllChannels())
        result.push_back(g->NewNID);
    return result;
}

} // namespace

class TestIPTVManager : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ResetSettings(); }

    void groupsDuplicatesAndTellsUniqueFromClashing() {
        TLoaded l;
        AddIPTV(l.List, QStringLiteral("a"), 1, 2, 3, IP(1, 2, 3, 4), 1234);
        AddIPTV(l.List, QStringLiteral("a again"), 1, 2, 3, IP(1, 2, 3, 4), 1234);
        AddIPTV(l.List, QStringLiteral("other"), 9, 2, 3, IP(1, 2, 3, 5), 1234);
        l.Tree.DisplayTreeView(l.List);
        l.Manager.LoadAllIPTVChannels(l.Tree);
        QCOMPARE(l.Manager.Count(), 2);
        QCOMPARE(l.Manager.AllChannels()[0]->Duplicates.size(), size_t(2));
        QVERIFY(l.Manager.DisplayTreeViewFirst());
        QCOMPARE(l.Manager.GetIconIndex(0), 2);
        QCOMPARE(l.Manager.GetIconIndex(1), 2);
    }

    void clashingGroupsGetNewIDsFromTheStart_data() {
        QTest::addColumn<int>("groups");
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<int>>("newNids");
        QTest::addColumn<QList<int>>("states");
        QTest::newRow("two") << 2 << 65535 << QList<int>{65535, -1} << QList<int>{5, 6};
        QTest::newRow("three") << 3 << 65535 << QList<int>{65535, 65534, -1} << QList<int>{5, 5, 6};
        // NID 0 is the clash itself: the search goes on at 65535.
        QTest::newRow("wrap") << 2 << 0 << QList<int>{65535, -1} << QList<int>{5, 6};
    }

    void clashingGroupsGetNewIDsFromTheStart() {
        QFETCH(int, groups);
        QFETCH(int, start);
        QFETCH(QList<int>, newNids);
        QFETCH(QList<int>, states);
        TLoaded l;
        const quint16 nid = start == 0 ? 0 : 1;
        for (int i = 0; i < groups; ++i)
            AddIPTV(l.List, QString::number(i), nid, 2, 3, IP(10, 0, 0, quint8(i + 1)), 1234);
        l.Load();
        for (int i = 0; i < groups; ++i)
            QCOMPARE(l.Manager.GetIconIndex(i), 1);
        l.Manager.MakeAllChannelsUnique(start);
        QList<int> gotNids;
        QList<int> gotStates;
        for (int i = 0; i < groups; ++i) {
            gotNids << l.Manager.AllChannels()[size_t(i)]->NewNID;
            gotStates << l.Manager.GetIconIndex(i);
        }
        QCOMPARE(gotNids, newNids);
        QCOMPARE(gotStates, states);
    }

    void exportLineAndNodeTextShowTheNewID() {
        TLoaded l;
        AddIPTV(l.List, QStringLiteral("one"), 1, 2, 3, 16909060, 1234);
        AddIPTV(l.List, QStringLiteral("two"), 1, 2, 3, IP(1, 2, 3, 5), 1234);
        l.Load();
        l.Manager.MakeAllChannelsUnique(65535);
        QVERIFY(l.Manager.GetTreeViewNameByNo(0, false).startsWith(
            QStringLiteral("[65535] [1-2-3-4] {1.2.3.4} | 1234 | one")));
        const QByteArray text = l.Manager.ExportText();
        QVERIFY(text.startsWith("\xEF\xBB\xBF;Format: OldNID/TID/SID/IP/Port/NewNID\r\n"
                                ";If NewNID = -1, NID has not been changed in this session\r\n"));
        QVERIFY(text.contains("\r\n1/2/3/16909060/1234/65535\r\n"));
        QVERIFY(text.endsWith("\r\n1/2/3/16909061/1234/-1\r\n"));
    }

    void newIDsReachTheListAndTheAudioTracks() {
        TLoaded l;
        TChannel* a = AddIPTV(l.List, QStringLiteral("a"), 1, 2, 3, IP(1, 1, 1, 1), 80);
        auto track = std::make_unique<TChannel>(a->Rec);
        track->Rec.TunerData.Flags |= flSubChannel;
        TChannel* sub = l.List.Add(std::move(track));
        AddIPTV(l.List, QStringLiteral("b"), 1, 2, 3, IP(1, 1, 1, 2), 80);
        l.Load();
        l.Manager.MakeAllChannelsUnique(100);
        l.Manager.ApplyNewNIDs(l.List);
        QCOMPARE(a->NID(), quint16(100));
        QCOMPARE(sub->NID(), quint16(100));
        QCOMPARE(l.List.Channel(2)->NID(), quint16(1));
        QCOMPARE(l.Manager.AllChannels()[0]->NewNID, -1);
    }

    void indexedSearchAgreesWithTheOneByOneSearch_data() {
        QTest::addColumn<int>("seed");
        for (int seed = 1; seed <= 40; ++seed)
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }

    void indexedSearchAgreesWithTheOneByOneSearch() {
        QFETCH(int, seed);
        std::mt19937 random(static_cast<unsigned>(seed));
        auto pick = [&](int n) { return static_cast<int>(random() % unsigned(n)); };
        TLoaded l;
        // Few identities, few addresses and ports, NIDs at both ends of the range: clashes,
        // wraps and groups of the same stream under several IDs all happen.
        const int start = std::array<int, 4>{0, 1, 65535, 3}[size_t(pick(4))];
        const int count = 2 + pick(60);
        for (int i = 0; i < count; ++i) {
            const int nids[] = {0, 1, 2, 3, 65535, 65534};
            AddIPTV(l.List, QString::number(i), quint16(nids[pick(6)]), quint16(pick(2)), 7,
                    IP(10, 0, 0, quint8(pick(4))), quint32(pick(3)) | (quint32(pick(2)) << 16));
        }
        l.Load();
        const std::vector<int> expected = ReferenceNewNIDs(l.Manager, start);
        l.Manager.MakeAllChannelsUnique(start);
        QCOMPARE(NewNIDs(l.Manager), expected);
    }
};

QTEST_GUILESS_MAIN(TestIPTVManager)
#include "tst_iptvmanager.moc"

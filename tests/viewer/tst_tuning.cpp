#include "ViewerFixtures.h"
#include "channels/UChannel.h"
#include "viewer/UTuning.h"

#include <QTest>

Q_DECLARE_METATYPE(std::vector<TChannelRecBuilder>)

namespace {

// The viewer's table row for a channel, the columns the viewer fills and the rest 0.
TViewerTableRow RowOf(const TChannelRecBuilder& wanted) {
    const TChannelRec rec = wanted.Build();
    TViewerTableRow row{};
    row[3] = rec.TunerData.Flags;
    row[4] = rec.TunerData.TunerType;
    row[5] = rec.TunerData.Frequency;
    row[6] = rec.TunerData.Symbolrate;
    row[23] = rec.TunerData.TransportStream_ID;
    row[25] = rec.TunerData.OriginalNetwork_ID;
    row[26] = rec.TunerData.Service_ID;
    return row;
}

TChannelRecBuilder TV(quint16 sid, bool sub = false) {
    return ViewerChannel().SID(sid).SubChannel(sub);
}

TChannelRecBuilder IPTV(quint16 sid, quint32 ip, quint32 port, bool encrypted = false) {
    return ViewerChannel().TunerType(ttIPTV).SID(sid).Frequency(ip).Symbolrate(port).Encrypted(
        encrypted);
}

} // namespace

class TestTuning : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numbering_data();
    void numbering();
    void viewerColumnsAreCutToTheirFieldWidths();
    void rebuildingReplacesTheTables();
    void largeListsNumberInOnePass();
};

void TestTuning::numbering_data() {
    QTest::addColumn<bool>("fromViewer");
    QTest::addColumn<std::vector<TChannelRecBuilder>>("list");
    QTest::addColumn<std::vector<TChannelRecBuilder>>("probes");
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<int>("tvCount");
    QTest::addColumn<int>("iptvCount");

    const TChannelRecBuilder A = TV(10), B = TV(20), C = TV(30);
    const TChannelRecBuilder S = IPTV(5, 0xC0A80101, 1234);
    const TChannelRecBuilder cableA = TChannelRecBuilder(A).TunerType(ttCable);
    const TChannelRecBuilder noTuner = TV(40).TunerType(255);

    struct TCase {
        const char* Name;
        std::vector<TChannelRecBuilder> List, Probes;
        QList<int> Numbers;
        int TV, IPTV;
    };
    const std::vector<TCase> cases = {
        {"A, A (second audio track), B", {A, TV(10, true), B}, {A, B}, {0, 1}, 2, 0},
        {"TV A, IPTV S, A again takes no number", {A, S, A}, {A, S, B}, {0, 1, -1}, 1, 1},
        {"IPTV with same identity and IP, other port",
         {S, IPTV(5, 0xC0A80101, 1235)},
         {IPTV(5, 0xC0A80101, 1235), S},
         {1, 0},
         0,
         2},
        {"IPTV with same identity and port, other IP",
         {S, IPTV(5, 0xC0A80102, 1234)},
         {IPTV(5, 0xC0A80102, 1234)},
         {1},
         0,
         2},
        {"IPTV whose encrypted flag differs cannot be tuned",
         {IPTV(5, 0xC0A80101, 1234, true)},
         {S, IPTV(5, 0xC0A80101, 1234, true)},
         {-1, 0},
         0,
         1},
        {"A, B, A: only the last entry is compared", {A, B, A}, {A, B}, {0, 1}, 3, 0},
        {"S, A, S: only the last IPTV entry is compared", {S, A, S}, {S, A}, {0, 1}, 1, 1},
        {"numbers are shared by both tables", {A, S, B, C}, {C, B, S, A}, {3, 2, 1, 0}, 3, 1},
        {"tuner type is part of the identity", {A, cableA}, {cableA, A}, {1, 0}, 2, 0},
        {"tuner type 255 wraps to 0 and stays a TV channel", {noTuner}, {noTuner}, {0}, 1, 0},
        {"empty list", {}, {A, S}, {-1, -1}, 0, 0},
    };
    for (bool fromViewer : {true, false}) {
        for (const TCase& c : cases) {
            QTest::addRow("%s, %s", fromViewer ? "viewer" : "list", c.Name)
                << fromViewer << c.List << c.Probes << c.Numbers << c.TV << c.IPTV;
        }
    }
}

void TestTuning::numbering() {
    QFETCH(bool, fromViewer);
    QFETCH(std::vector<TChannelRecBuilder>, list);
    QFETCH(std::vector<TChannelRecBuilder>, probes);
    QFETCH(QList<int>, numbers);
    QFETCH(int, tvCount);
    QFETCH(int, iptvCount);

    TTuningManager manager;
    std::vector<std::unique_ptr<TChannel>> owned;
    if (fromViewer) {
        TViewerChannelTable table;
        for (const TChannelRecBuilder& wanted : list)
            table.Rows.push_back(RowOf(wanted));
        manager.GetChannelsFromTable(table);
    } else {
        std::vector<TChannel*> channels;
        for (const TChannelRecBuilder& wanted : list) {
            owned.push_back(std::make_unique<TChannel>(wanted.Build()));
            channels.push_back(owned.back().get());
        }
        manager.GetChannelsFromChannels(channels);
    }
    QCOMPARE(int(manager.TVChannels().size()), tvCount);
    QCOMPARE(int(manager.IPTVChannels().size()), iptvCount);
    for (size_t i = 0; i < probes.size(); ++i) {
        const TChannel probe(probes[i].Build());
        QCOMPARE(manager.FindChannelNumber(probe), numbers[qsizetype(i)]);
        QCOMPARE(manager.CanTune(probe), numbers[qsizetype(i)] >= 0);
    }
}

void TestTuning::viewerColumnsAreCutToTheirFieldWidths() {
    TViewerTableRow row{};
    row[3] = 0x100;         // bit 0 clear: not encrypted
    row[4] = 4 + 256;       // IPTV
    row[5] = 0x1C0A80101LL; // only the low 32 bits are the address
    row[6] = 0x200001234LL; // and the port
    row[23] = 0x10000 + 2;  // 16-bit identifiers
    row[25] = 0x30000 + 3;
    row[26] = 0x70000 + 7;
    TTuningManager manager;
    manager.GetChannelsFromTable(TViewerChannelTable{{row}});
    QCOMPARE(manager.IPTVChannels().size(), size_t(1));
    const TIPTVRec& rec = manager.IPTVChannels().front();
    QCOMPARE(rec.ID, qint64(7) | (qint64(2) << 16) | (qint64(3) << 32) | (qint64(5) << 48));
    QCOMPARE(rec.IP, quint32(0xC0A80101));
    QCOMPARE(rec.Port, quint32(0x1234));
    QCOMPARE(rec.Encrypted, false);

    const TChannelRecBuilder wanted = IPTV(7, 0xC0A80101, 0x1234).TID(2).NID(3);
    QCOMPARE(manager.FindChannelNumber(TChannel(wanted.Build())), 0);
}

void TestTuning::rebuildingReplacesTheTables() {
    TTuningManager manager;
    manager.GetChannelsFromTable(TViewerChannelTable{{RowOf(TV(1)), RowOf(TV(2))}});
    const TChannel first(TV(1).Build());
    const TChannel second(TV(2).Build());
    QCOMPARE(manager.FindChannelNumber(second), 1);

    // The edited list was written with the two channels swapped.
    std::vector<const TChannel*> saved{&second, &first};
    manager.GetChannelsFromChannels(saved);
    QCOMPARE(manager.FindChannelNumber(second), 0);
    QCOMPARE(manager.FindChannelNumber(first), 1);

    manager.GetChannelsFromTable(TViewerChannelTable{});
    QVERIFY(manager.TVChannels().empty());
    QCOMPARE(manager.FindChannelNumber(first), -1);
}

void TestTuning::largeListsNumberInOnePass() {
    // 100,000 distinct channels, each followed by a second audio track: every main channel
    // gets the next number, and the last one is found like the first.
    TViewerChannelTable table;
    for (int i = 0; i < 100000; ++i) {
        const TChannelRecBuilder wanted =
            TV(static_cast<quint16>(i)).TID(static_cast<quint16>(i >> 16));
        table.Rows.push_back(RowOf(wanted));
        table.Rows.push_back(RowOf(wanted));
    }
    TTuningManager manager;
    manager.GetChannelsFromTable(table);
    QCOMPARE(manager.TVChannels().size(), size_t(100000));
    const TChannelRecBuilder last = TV(static_cast<quint16>(99999)).TID(1);
    QCOMPARE(manager.FindChannelNumber(TChannel(last.Build())), 99999);
}

QTEST_GUILESS_MAIN(TestTuning)
#include "tst_tuning.moc"

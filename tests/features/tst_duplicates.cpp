#include "channels/UChannel.h"
#include "channels/UChannelRec.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "main/UChannelDocument.h"
#include "main/UChannelIdentity.h"
#include "main/UChannelTreeModel.h"
#include "main/UMain.h"
#include "ui/UMessages.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Channels by the fields the duplicate test reads. The name is only for reading the results.
TChannelRecBuilder Sat(const char* name, quint16 sid, quint16 tid = 1, quint16 nid = 1) {
    return TChannelRecBuilder()
        .Name(QLatin1String(name))
        .TunerType(ttSatellite)
        .Ids(sid, tid, nid)
        .Video();
}

TChannelRecBuilder Ip(const char* name, quint16 sid, quint8 lastByte, quint32 port) {
    return TChannelRecBuilder()
        .Name(QLatin1String(name))
        .Ids(sid, 1, 1)
        .IPTV(239, 1, 1, lastByte, port)
        .Video();
}

QString TickedNames(const TChannelTreeModel& tree) {
    QStringList names;
    for (int row = 0; row < tree.TopCount(); ++row)
        if (tree.IsNodeChecked(row))
            names << tree.ChannelAt(row)->Name();
    return names.join(QLatin1Char(' '));
}

} // namespace

class TestDuplicates : public QObject {
    Q_OBJECT

private:
    TMainWindowFixture F;

private Q_SLOTS:
    void repeatsOfAnEarlierChannelAreTicked_data() {
        QTest::addColumn<QList<TChannelRec>>("records");
        QTest::addColumn<QString>("ticked");

        QTest::newRow("all different")
            << QList<TChannelRec>{Sat("A", 1), Sat("B", 2), Sat("C", 3)} << QString();
        // The first of equal channels stays; every later one is a repeat.
        QTest::newRow("triple") << QList<TChannelRec>{Sat("A1", 7), Sat("X", 8), Sat("A2", 7),
                                                      Sat("A3", 7)}
                                << u"A2 A3"_s;
        QTest::newRow("two pairs interleaved")
            << QList<TChannelRec>{Sat("A1", 1), Sat("B1", 2), Sat("A2", 1), Sat("B2", 2)}
            << u"A2 B2"_s;
        // Transponder data is not part of the identity outside IPTV.
        QTest::newRow("satellite, other frequency and symbol rate")
            << QList<TChannelRec>{Sat("A1", 5).Frequency(11494).Symbolrate(22000),
                                  Sat("A2", 5).Frequency(12188).Symbolrate(27500)}
            << u"A2"_s;
        QTest::newRow("same IDs, other transport stream")
            << QList<TChannelRec>{Sat("A", 5, 1), Sat("B", 5, 2)} << QString();
        QTest::newRow("same IDs, other network")
            << QList<TChannelRec>{Sat("A", 5, 1, 1), Sat("B", 5, 1, 2)} << QString();
        QTest::newRow("same IDs, other tuner type")
            << QList<TChannelRec>{Sat("A", 5), Sat("B", 5).TunerType(ttCable)} << QString();
        QTest::newRow("IPTV, same address and port")
            << QList<TChannelRec>{Ip("I1", 9, 1, 1234), Ip("I2", 9, 1, 1234)} << u"I2"_s;
        QTest::newRow("IPTV, other port")
            << QList<TChannelRec>{Ip("I1", 9, 1, 1234), Ip("I2", 9, 1, 1235)} << QString();
        QTest::newRow("IPTV, other address")
            << QList<TChannelRec>{Ip("I1", 9, 1, 1234), Ip("I2", 9, 2, 1234)} << QString();
        QTest::newRow("IPTV, same address and port, other service")
            << QList<TChannelRec>{Ip("I1", 9, 1, 1234), Ip("I2", 10, 1, 1234)} << QString();
        // The third equals the first, not the second between them.
        QTest::newRow("IPTV triple with one other port")
            << QList<TChannelRec>{Ip("I1", 9, 1, 1234), Ip("I2", 9, 1, 1235), Ip("I3", 9, 1, 1234),
                                  Ip("I4", 9, 1, 1235)}
            << u"I3 I4"_s;
    }

    // The model alone: which nodes the command ticks, and that its grouping agrees pair by
    // pair with the channels' own duplicate test.
    void repeatsOfAnEarlierChannelAreTicked() {
        QFETCH(QList<TChannelRec>, records);
        QFETCH(QString, ticked);

        TChannels list;
        list.LoadFromBytes(MakeChannelFile(records), u"dups.dat"_s);
        TChannelTreeModel tree;
        tree.DisplayTreeView(list);
        // Ticks that were there before must not survive: only the repeats are to go.
        tree.CheckAll();

        const int found = CheckDuplicates(tree);
        QCOMPARE(TickedNames(tree), ticked);
        QCOMPARE(found, tree.CheckedCount());
        for (int row = 0; row < tree.TopCount(); ++row)
            QCOMPARE(tree.ChannelAt(row)->IsChecked, tree.IsNodeChecked(row));

        for (int a = 0; a < list.Count(); ++a)
            for (int b = 0; b < list.Count(); ++b) {
                const TChannel& x = *list.Channel(a);
                const TChannel& y = *list.Channel(b);
                QVERIFY2((IdentityOf(x) == IdentityOf(y)) == x.IsDuplicate(y),
                         qPrintable(x.Name() + u" / "_s + y.Name()));
            }
    }

    void init() { QVERIFY(F.Init()); }
    void cleanup() { F.Cleanup(); }

    // The whole road: the menu command ticks the repeats (audio tracks are not nodes of
    // their own and play no part), the status bar says how many, the list stays unchanged,
    // and "Delete Checked" then leaves one of each.
    void theMenuCommandTicksRepeatsSoThatDeleteCheckedRemovesThem() {
        QAction* action = F.Action(u"actCheckDuplicates"_s);
        QVERIFY(action);
        F->UpdateActions();
        QVERIFY(!action->isEnabled());

        const QList<TChannelRec> records{
            Sat("A1", 1),       Sat("a-track", 1).SubChannel(),
            Sat("B", 2),        Sat("A2", 1),
            Ip("I1", 9, 1, 80), Ip("J", 9, 1, 81),
            Sat("A3", 1),       Ip("I2", 9, 1, 80),
        };
        QVERIFY(F.Load(F.Path(), records));
        const QByteArray before = MakeChannelFile(records);
        F.Tree().CheckNode(1); // B: not a repeat

        const QMenu* menu = F.Child<QMenu>("mnCheck");
        QVERIFY(menu && menu->actions().contains(action));
        QVERIFY(F.Trigger(u"actCheckDuplicates"_s, {.UpdateActionsFirst = true}));
        QCOMPARE(F.TickedNames(), u"A2 A3 I2"_s);
        QCOMPARE(F->statusBar()->currentMessage(), u"Duplicates checked: 3"_s);
        QVERIFY(!F->Document().IsModified());
        QVERIFY(TDialogSeam::Shown().empty());

        TDialogSeam::AddAnswer(true);
        QVERIFY(F.Trigger(u"actDeleteChecked"_s, {.UpdateActionsFirst = true}));
        QStringList left;
        for (int row = 0; row < F.Tree().TopCount(); ++row)
            left << F.Tree().ChannelAt(row)->Name();
        QCOMPARE(left.join(u' '), u"A1 B I1 J"_s);
        QCOMPARE(F.Tree().SubChannelsAt(0).size(), size_t(1));

        // Once they are gone, the command finds nothing and says so.
        QVERIFY(F.Trigger(u"actCheckDuplicates"_s, {.UpdateActionsFirst = true}));
        QCOMPARE(F.TickedNames(), QString());
        QCOMPARE(F->statusBar()->currentMessage(), u"No duplicates found."_s);

        QFile file(F.Path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
};

QTEST_MAIN(TestDuplicates)
#include "tst_duplicates.moc"

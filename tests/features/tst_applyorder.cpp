#include "channels/UChannel.h"
#include "channels/UChannelRec.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/GuiTest.h"
#include "common/MainWindowFixture.h"
#include "main/UApplyOrder.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UMain.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

TChannelRecBuilder Sat(const QString& name, quint16 sid) {
    return TChannelRecBuilder()
        .Name(name)
        .Category(u"Cat"_s)
        .Root(u"Astra"_s)
        .TunerType(ttSatellite)
        .Ids(sid, 1, 1)
        .Video();
}

// Streams carry no IDs: only their name and root tell them apart.
TChannelRecBuilder Stream(const QString& name) {
    return TChannelRecBuilder().Name(name).Category(u"Web"_s).Root(u"Streams"_s).TunerType(5);
}

TChannelRecBuilder Ip(const QString& name, quint8 last) {
    return TChannelRecBuilder().Name(name).Root(u"IP"_s).IPTV(239, 1, 1, last, 1234).Video();
}

// The list as the user sorted it: A with an audio track, B to E, two streams, one IPTV.
QList<TChannelRec> Mine() {
    return {Sat(u"A"_s, 1),    Sat(u"A"_s, 1).SubChannel().AudioPID(7),
            Sat(u"B"_s, 2),    Sat(u"C"_s, 3),
            Sat(u"D"_s, 4),    Sat(u"E"_s, 5),
            Stream(u"News"_s), Stream(u"Music"_s),
            Ip(u"I1"_s, 1)};
}

// Its reshuffled copy: some renamed (and given a group and EPG flags), a stream named in
// other case, C, E and News missing, one channel (X) the list lacks.
QList<TChannelRec> Reference() {
    return {Sat(u"D"_s, 4),     Sat(u"Bee"_s, 2).Group(3).EPGFlags(5),
            Stream(u"MUSIC"_s), Sat(u"Alpha"_s, 1).Group(6),
            Ip(u"I1"_s, 1),     Sat(u"X"_s, 50)};
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestApplyOrder : public QObject {
    Q_OBJECT

private:
    TMainWindowFixture F;

    QString Order() const {
        QStringList names;
        for (int row = 0; row < F.Tree().TopCount(); ++row) {
            const TChannel* c = F.Tree().ChannelAt(row);
            QString name = c->Name();
            for (const TChannel* track : F.Tree().SubChannelsAt(row))
                name += u'+' + track->Name();
            names << name;
        }
        return names.join(u' ');
    }
    QString Groups() const {
        QString groups;
        for (int row = 0; row < F.Tree().TopCount(); ++row) {
            groups += QString::number(F.Tree().ChannelAt(row)->Group());
            for (const TChannel* track : F.Tree().SubChannelsAt(row))
                groups += u'+' + QString::number(track->Group());
        }
        return groups;
    }

    // The menu command with the reference chosen in the file dialog and the window answered
    // by its check boxes and the Return key.
    void Run(const QString& reference, const QStringList& boxes, bool ok) {
        TDialogSeam::AddFileName(reference);
        const auto modal = WhenModal(
            [boxes, ok](QWidget* w) {
                for (const QString& box : boxes)
                    Child<QCheckBox>(w, box)->click();
                if (ok)
                    QTest::keyClick(w, Qt::Key_Return);
                else
                    QTest::keyClick(w, Qt::Key_Escape);
            },
            {.Poll = true, .CloseAfter = false});
        QVERIFY(F.Trigger(u"actApplyOrder"_s, {.UpdateActionsFirst = true}));
        QVERIFY(modal->Ran());
    }

private Q_SLOTS:
    void init() { QVERIFY(F.Init({.Show = false})); }
    void cleanup() { F.Cleanup(); }

    void theListFollowsTheReference_data() {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("groups");
        QTest::addColumn<int>("epgOfB");
        QTest::newRow("order only")
            << QStringList() << u"D B Music A+A I1 C E News"_s << u"0000+00000"_s << 0;
        QTest::newRow("names too") << QStringList{u"chbNames"_s}
                                   << u"D Bee MUSIC Alpha+A I1 C E News"_s << u"0000+00000"_s << 0;
        QTest::newRow("everything") << QStringList{u"chbNames"_s, u"chbGroup"_s, u"chbEPGFlags"_s}
                                    << u"D Bee MUSIC Alpha+A I1 C E News"_s << u"0306+60000"_s << 5;
    }

    // Found channels take the reference's order (audio tracks with them), new ones follow
    // ticked in their own order, and a summary tells the three counts.
    void theListFollowsTheReference() {
        QFETCH(QStringList, boxes);
        QFETCH(QString, order);
        QFETCH(QString, groups);
        QFETCH(int, epgOfB);

        QVERIFY(F.Load(F.Path(), Mine()));
        QVERIFY(WriteChannelFile(F.Path(u"before-scan.dat"_s), Reference()));
        F.Tree().CheckNode(0);
        QVERIFY(F.Child<QMenu>("mnFile")->actions().contains(F.Action(u"actApplyOrder"_s)));

        Run(F.Path(u"before-scan.dat"_s), boxes, true);
        QCOMPARE(Order(), order);
        QCOMPARE(Groups(), groups);
        QCOMPARE(int(F.Tree().ChannelAt(1)->EpgFlags()), epgOfB);
        QCOMPARE(F.TickedNames(), u"C E News"_s);
        QVERIFY(F->Document().IsModified());
        QCOMPARE(TDialogSeam::ShownTexts(),
                 QStringList{u"Order applied from %1:\r\nMatched: 5\r\nNew (checked, at the end): "
                             "3\r\nIn that list but missing here: 1"_s.arg(
                                 QDir::toNativeSeparators(F.Path(u"before-scan.dat"_s)))});
    }

    // Without take-over every record is written back as it was, only in the new order.
    void onlyTheOrderChangesInTheFile() {
        const QList<TChannelRec> mine = Mine();
        QVERIFY(F.Load(F.Path(), mine));
        QVERIFY(WriteChannelFile(F.Path(u"before-scan.dat"_s), Reference()));
        Run(F.Path(u"before-scan.dat"_s), {}, true);
        Settings().DoInfoFileSaved = false;
        QVERIFY(F.Trigger(u"actFileSave"_s, {.UpdateActionsFirst = true}));
        QCOMPARE(ReadAll(F.Path()), MakeChannelFile({mine[4], mine[2], mine[7], mine[0], mine[1],
                                                     mine[8], mine[3], mine[5], mine[6]}));
    }

    // Cancel leaves everything as it was; a reference the list already follows changes
    // nothing and leaves no unsaved mark.
    void nothingChangesUnlessTheOrderDoes() {
        QAction* action = F.Action(u"actApplyOrder"_s);
        QVERIFY(action);
        F->UpdateActions();
        QVERIFY(!action->isEnabled());
        QVERIFY(F.Load(F.Path(), Mine()));
        QVERIFY(WriteChannelFile(F.Path(u"before-scan.dat"_s), Reference()));
        Run(F.Path(u"before-scan.dat"_s), {u"chbNames"_s}, false);
        QCOMPARE(Order(), u"A+A B C D E News Music I1"_s);
        QVERIFY(!F->Document().IsModified());
        QVERIFY(TDialogSeam::ShownTexts().isEmpty());

        QVERIFY(QFile::copy(F.Path(), F.Path(u"copy.dat"_s)));
        Run(F.Path(u"copy.dat"_s), {u"chbNames"_s, u"chbGroup"_s, u"chbEPGFlags"_s}, true);
        QCOMPARE(Order(), u"A+A B C D E News Music I1"_s);
        QVERIFY(!F->Document().IsModified());
        QCOMPARE(F.TickedNames(), QString());
    }

    // Equal identities (the same channel twice) are told apart by name, and in order.
    void repeatedIdentitiesArePairedByName() {
        TChannels reference;
        reference.LoadFromBytes(MakeChannelFile({Sat(u"Two"_s, 9), Sat(u"One"_s, 9)}), u"r"_s);
        QVERIFY(F.Load(F.Path(), {Sat(u"One"_s, 9), Sat(u"Two"_s, 9)}));
        const TApplyOrderResult result = ApplyOrderFrom(F.Tree(), reference, {});
        QCOMPARE(Order(), u"Two One"_s);
        QCOMPARE(result.Matched, 2);
        QVERIFY(result.Changed);
    }
};

QTEST_MAIN(TestApplyOrder)
#include "tst_applyorder.moc"

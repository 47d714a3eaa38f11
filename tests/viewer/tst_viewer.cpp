#include "ViewerFixtures.h"
#include "channels/UChannel.h"
#include "common/TestSupport.h"
#include "platform/UOrvaneError.h"
#include "platform/UProcessInfo.h"
#include "platform/URunningObjects.h"
#include "platform/URuntimeFolder.h"
#include "platform/UServices.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "viewer/UTuning.h"
#include "viewer/UViewerEnvironment.h"
#include "viewer/UViewerStartup.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

TChannelRecBuilder Named(quint16 sid, const char* name, bool sub = false) {
    return ViewerChannel().SID(sid).NameBytes(name).SubChannel(sub);
}

} // namespace

class TestViewer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void viewerDisplayName_data();
    void viewerDisplayName();
    void runningStateFollowsTheStandin();
    void killedStandinLeavesAStaleEntryThatDoesNotCount();
    void entriesThatAreNotTheViewerDoNotCount();
    void dataFolderEndsWithASeparator();
    void tuningTableComesFromTheViewerAndReachesIt();
    void standinCountsTheChannelsItNumbers_data();
    void standinCountsTheChannelsItNumbers();
    void emptyViewerListIsReadAgainOnTheNextTick();
    void failingViewerLeavesTheTuningTable();
    void recorderServiceRunsExactlyWhileStarted();
    void startupCheckWithAStoredFolderIsSilent();
    void startupCheckWithoutViewerFailsAfterOneMessage();
    void startupCheckDetectsTheRunningViewer();
    void copyFileContentsLeavesExactlyTheSource();
    void copyFileContentsFromAMissingFileChangesNothing();

private:
    QTemporaryDir FDir;
    QString FDataFolder;
};

void TestViewer::init() {
    QVERIFY(FDir.isValid());
    FDataFolder = FDir.path() + QStringLiteral("/viewer");
    QVERIFY(QDir().mkpath(FDataFolder));
    ResetSettings();
    TDialogSeam::Install();
    QDir(RuntimeFolder()).removeRecursively();
}

void TestViewer::cleanup() {
    TDialogSeam::Uninstall();
    QDir(FDataFolder).removeRecursively();
    QFile::remove(SettingsFileName());
}

void TestViewer::viewerDisplayName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("viewer");
    const QString id = QStringLiteral("{D0B1ACAD-1190-4E6D-BD60-41DFA6A28E30}");
    QTest::newRow("registered active object") << u'!' + id << true;
    QTest::newRow("anything may follow") << u'!' + id + QStringLiteral("!item") << true;
    QTest::newRow("any one leading character") << u'x' + id << true;
    QTest::newRow("class ID in lower case") << u'!' + id.toLower() << false;
    QTest::newRow("two characters before the brace") << QStringLiteral("!!") + id << false;
    QTest::newRow("two before, text after") << QStringLiteral("!!") + id + u'x' << false;
    QTest::newRow("no leading character") << id << false;
    QTest::newRow("no closing brace") << u'!' + id.chopped(1) << false;
    QTest::newRow("closing brace first") << QStringLiteral("}!") + id << false;
    QTest::newRow("other class ID")
        << QStringLiteral("!{D0B1ACAD-1190-4E6D-BD60-41DFA6A28E31}") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestViewer::viewerDisplayName() {
    QFETCH(QString, name);
    QFETCH(bool, viewer);
    QCOMPARE(IsViewerDisplayName(name), viewer);
}

void TestViewer::runningStateFollowsTheStandin() {
    QVERIFY(!IsViewerRunning());
    QCOMPARE(GetViewerDataFolder(), QString());
    {
        TStandinProcess standin;
        QVERIFY2(standin.Start(FDataFolder), qPrintable(standin.Error()));
        QVERIFY(IsViewerRunning());
        QVERIFY(standin.Terminate());
    }
    QVERIFY(!IsViewerRunning());
    // It cleaned up after itself on SIGTERM, and does so on Ctrl+C too.
    QVERIFY(QDir(RunningObjectsFolder()).isEmpty());
    TStandinProcess interrupted;
    QVERIFY2(interrupted.Start(FDataFolder, true), qPrintable(interrupted.Error()));
    QVERIFY(IsViewerRunning());
    QVERIFY(interrupted.Interrupt());
    QVERIFY(!IsViewerRunning());
    QVERIFY(QDir(RunningObjectsFolder()).isEmpty());
    QVERIFY(QDir(ServicesFolder()).isEmpty());
}

void TestViewer::killedStandinLeavesAStaleEntryThatDoesNotCount() {
    TStandinProcess standin;
    QVERIFY2(standin.Start(FDataFolder), qPrintable(standin.Error()));
    QVERIFY(IsViewerRunning());
    QVERIFY(standin.Kill());
    QVERIFY(QFile::exists(RunningObjectsFolder() + ViewerActiveObjectName()));
    QVERIFY(!IsViewerRunning());
    QCOMPARE(GetViewerDataFolder(), QString());
    QVERIFY_THROWS_EXCEPTION(EAutomationError, ConnectToViewer());

    // A new viewer takes the name over.
    TStandinProcess next;
    QVERIFY2(next.Start(FDataFolder), qPrintable(next.Error()));
    QVERIFY(IsViewerRunning());
}

void TestViewer::entriesThatAreNotTheViewerDoNotCount() {
    const QString socket = QStringLiteral("/nonexistent.sock");
    RegisterRunningObject(QStringLiteral("!{d0b1acad-1190-4e6d-bd60-41dfa6a28e30}"), socket);
    RegisterRunningObject(QStringLiteral("!!{D0B1ACAD-1190-4E6D-BD60-41DFA6A28E30}"), socket);
    RegisterRunningObject(QStringLiteral("!{00000000-0000-0000-0000-000000000000}"), socket);
    QCOMPARE(EnumerateRunningObjects().size(), size_t(3));
    QVERIFY(!IsViewerRunning());
    RegisterRunningObject(QStringLiteral("!{D0B1ACAD-1190-4E6D-BD60-41DFA6A28E30}:1"), socket);
    QVERIFY(IsViewerRunning());
}

void TestViewer::dataFolderEndsWithASeparator() {
    TStandinProcess standin;
    QVERIFY2(standin.Start(FDataFolder), qPrintable(standin.Error()));
    const QString folder = GetViewerDataFolder();
    QCOMPARE(folder, QDir(FDataFolder).absolutePath() + u'/');
    QVERIFY(QFile::exists(folder + QStringLiteral(".")));
}

void TestViewer::tuningTableComesFromTheViewerAndReachesIt() {
    const QList<TChannelRec> list{Named(1, "A"), Named(1, "A second audio", true), Named(2, "B")};
    QVERIFY(WriteWholeFile(FDataFolder + QStringLiteral("/channels.dat"), MakeChannelFile(list)));
    const TChannel a(list[0]);
    const TChannel b(list[2]);

    TTuningManager manager;
    QSignalSpy read(&manager, &TTuningManager::ChannelsRead);
    QSignalSpy tuned(&manager, &TTuningManager::Tuned);
    QSignalSpy failed(&manager, &TTuningManager::ViewerCallFailed);
    // Without a viewer nothing is asked.
    manager.GetChannelsIfNone();
    manager.GetChannelsFromCOM();
    QVERIFY(!manager.Link().CallUnderWay());
    QVERIFY(!manager.CanTune(a));

    TStandinProcess standin;
    QVERIFY2(standin.Start(FDataFolder), qPrintable(standin.Error()));
    // The second audio track of A is a record, not a channel of its own.
    QCOMPARE(standin.ReadyLine(), QStringLiteral("Ready 2 channels"));
    manager.GetChannelsIfNone();
    QVERIFY(manager.Link().CallUnderWay());
    QVERIFY(read.wait(10000));
    QCOMPARE(manager.FindChannelNumber(a), 0);
    QCOMPARE(manager.FindChannelNumber(b), 1);

    manager.Tune(b);
    QCOMPARE(standin.WaitForLine(QStringLiteral("Tuned")), QStringLiteral("Tuned 1 B"));
    manager.Tune(a);
    QCOMPARE(standin.WaitForLine(QStringLiteral("Tuned")), QStringLiteral("Tuned 0 A"));
    QTRY_COMPARE(tuned.size(), 2);
    QCOMPARE(tuned.at(0).at(0).toInt(), 1);
    QCOMPARE(tuned.at(1).at(0).toInt(), 0);

    // The viewer was killed and left its entry behind, its socket taken by someone else: the
    // table stays, but neither a read nor a tune goes anywhere.
    const QString socket = FindRunningObject(ViewerActiveObjectName())->Socket;
    QVERIFY(standin.Kill());
    QVERIFY(QFile::exists(RunningObjectsFolder() + ViewerActiveObjectName()));
    QFile::remove(socket);
    TFakeViewer listener(socket, TFakeBehaviour::Silent);
    QVERIFY(listener.Listening());
    manager.GetChannelsFromCOM();
    manager.Tune(b);
    QVERIFY(!manager.Link().CallUnderWay());
    QCOMPARE(manager.FindChannelNumber(b), 1);
    QCoreApplication::processEvents();
    QCOMPARE(listener.Accepted(), 0);
    QCOMPARE(read.size(), 1);
    QCOMPARE(tuned.size(), 2);
    QVERIFY(failed.isEmpty());
    QVERIFY(standin.UnreadLines().isEmpty());
}

void TestViewer::standinCountsTheChannelsItNumbers_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("tracksOfOne"); // all records after the first are its audio tracks
    QTest::addColumn<int>("channels");
    QTest::newRow("empty list") << 0 << false << 0;
    QTest::newRow("one channel") << 1 << false << 1;
    QTest::newRow("a channel with two further audio tracks") << 3 << true << 1;
    QTest::newRow("three channels") << 3 << false << 3;
}

void TestViewer::standinCountsTheChannelsItNumbers() {
    QFETCH(int, records);
    QFETCH(bool, tracksOfOne);
    QFETCH(int, channels);
    QList<TChannelRec> list;
    for (int i = 0; i < records; ++i)
        list.push_back(tracksOfOne ? Named(1, "X", i > 0) : Named(quint16(i + 1), "X"));
    QVERIFY(WriteWholeFile(FDataFolder + QStringLiteral("/channels.dat"), MakeChannelFile(list)));
    TStandinProcess standin;
    QVERIFY2(standin.Start(FDataFolder), qPrintable(standin.Error()));
    QCOMPARE(standin.ReadyLine(), QStringLiteral("Ready %1 channels").arg(channels));
}

void TestViewer::emptyViewerListIsReadAgainOnTheNextTick() {
    TTuningManager manager;
    QSignalSpy read(&manager, &TTuningManager::ChannelsRead);
    const TChannelRecBuilder a = Named(1, "A");
    {
        TStandinProcess empty;
        QVERIFY2(empty.Start(FDataFolder), qPrintable(empty.Error()));
        manager.GetChannelsIfNone();
        QVERIFY(read.wait(10000));
        QVERIFY(manager.TVChannels().empty());
        // Still empty: the next tick asks again.
        manager.GetChannelsIfNone();
        QVERIFY(manager.Link().CallUnderWay());
        QVERIFY(read.wait(10000));
        QVERIFY(empty.Terminate());
    }
    QVERIFY(WriteWholeFile(FDataFolder + QStringLiteral("/channels.dat"), MakeChannelFile({a})));
    TStandinProcess filled;
    QVERIFY2(filled.Start(FDataFolder), qPrintable(filled.Error()));
    manager.GetChannelsIfNone();
    QVERIFY(read.wait(10000));
    QCOMPARE(manager.FindChannelNumber(TChannel(a.Build())), 0);
    // Filled: the ticks ask no more.
    manager.GetChannelsIfNone();
    QVERIFY(!manager.Link().CallUnderWay());
}

void TestViewer::failingViewerLeavesTheTuningTable() {
    TTuningManager manager;
    QSignalSpy failed(&manager, &TTuningManager::ViewerCallFailed);
    const TChannel a(Named(1, "A").Build());
    std::vector<const TChannel*> saved{&a};
    manager.GetChannelsFromChannels(saved);
    // Registered, but nobody answers on its socket.
    RegisterRunningObject(ViewerActiveObjectName(), RuntimeFolder() + QStringLiteral("gone.sock"));
    QVERIFY(IsViewerRunning());
    manager.GetChannelsFromCOM();
    QVERIFY(failed.wait(10000));
    QVERIFY2(failed.at(0).at(0).toString().startsWith(
                 QStringLiteral("DVBViewer automation (GetChannels): cannot connect")),
             qPrintable(failed.at(0).at(0).toString()));
    QCOMPARE(manager.FindChannelNumber(a), 0);
    manager.Tune(a);
    QVERIFY(failed.wait(10000));
    QVERIFY2(failed.at(1).at(0).toString().startsWith(
                 QStringLiteral("DVBViewer automation (SetCurrentChannelNr): cannot connect")),
             qPrintable(failed.at(1).at(0).toString()));
    QCOMPARE(manager.FindChannelNumber(a), 0);
    UnregisterRunningObject(ViewerActiveObjectName());
}

void TestViewer::recorderServiceRunsExactlyWhileStarted() {
    QVERIFY(!IsRecorderServiceRunning());
    QCOMPARE(GetServiceState(QStringLiteral("127.0.0.1"), QStringLiteral("DVBVRecorder")), -1);
    {
        TStandinProcess viewerOnly;
        QVERIFY2(viewerOnly.Start(FDataFolder), qPrintable(viewerOnly.Error()));
        QVERIFY(!IsRecorderServiceRunning());
    }
    TStandinProcess withRecorder;
    QVERIFY2(withRecorder.Start(FDataFolder, true), qPrintable(withRecorder.Error()));
    QVERIFY(IsRecorderServiceRunning());
    QCOMPARE(GetServiceState(QStringLiteral("127.0.0.1"), QStringLiteral("DVBVRecorder")), 4);
    QCOMPARE(GetServiceState(QStringLiteral("10.0.0.1"), QStringLiteral("DVBVRecorder")), -1);
    QVERIFY(withRecorder.Kill());
    // Its process has gone: the service counts as stopped, not running.
    QCOMPARE(GetServiceState(QStringLiteral("127.0.0.1"), QStringLiteral("DVBVRecorder")), 1);
    QVERIFY(!IsRecorderServiceRunning());
}

void TestViewer::startupCheckWithAStoredFolderIsSilent() {
    Settings().DVBViewerDataFolder = FDir.path() + QStringLiteral("/no-longer-there/");
    SaveSettings();
    ResetSettings();
    QVERIFY(CheckViewerDataFolder());
    QCOMPARE(Settings().DVBViewerDataFolder, FDir.path() + QStringLiteral("/no-longer-there/"));
    QVERIFY(TDialogSeam::Shown().empty());
}

void TestViewer::startupCheckWithoutViewerFailsAfterOneMessage() {
    QVERIFY(!CheckViewerDataFolder());
    QCOMPARE(TDialogSeam::Shown().size(), size_t(1));
    QCOMPARE(TDialogSeam::Shown()[0].Kind, TMessageKind::Information);
    QCOMPARE(TDialogSeam::Shown()[0].Text,
             QStringLiteral("Orvane needs to know the DVBViewer data folder.\r\n"
                            "Please launch DVBViewer, then click OK."));
    QCOMPARE(Settings().DVBViewerDataFolder, QString());
    QCOMPARE(Settings().DefaultWorkFolder, QString());
}

void TestViewer::startupCheckDetectsTheRunningViewer() {
    TStandinProcess standin;
    QVERIFY2(standin.Start(FDataFolder), qPrintable(standin.Error()));
    QVERIFY(CheckViewerDataFolder());
    const QString folder = QDir(FDataFolder).absolutePath() + u'/';
    QCOMPARE(Settings().DVBViewerDataFolder, folder);
    QCOMPARE(Settings().DefaultWorkFolder,
             GetProgramDataFolder() + QStringLiteral("Channels") + QDir::separator());
    QCOMPARE(TDialogSeam::Shown().size(), size_t(1));
    QCOMPARE(TDialogSeam::Shown()[0].Kind, TMessageKind::Information);
    QCOMPARE(TDialogSeam::Shown()[0].Text,
             QStringLiteral("Detected: ") + folder +
                 QStringLiteral("\r\nIt will be stored for your next visit.\r\n"
                                "Just click \"Open DVBViewer\" to load the channel list.\r\n"
                                "You can tune channels (F9) if DVBViewer is running."));
}

void TestViewer::copyFileContentsLeavesExactlyTheSource() {
    const QString source = FDir.filePath(QStringLiteral("source.dat"));
    const QString destination = FDir.filePath(QStringLiteral("backup.dat"));
    QByteArray bytes = MakeChannelFile({Named(1, "A")});
    bytes[10] = '\0'; // a zero byte inside must not end the copy
    QVERIFY(WriteWholeFile(source, bytes));
    QVERIFY(WriteWholeFile(destination, QByteArray(5000, 'x')));
    CopyFileContents(source, destination);
    QCOMPARE(ReadWholeFile(destination), bytes);

    QVERIFY(WriteWholeFile(source, QByteArray()));
    CopyFileContents(source, destination);
    QCOMPARE(QFileInfo(destination).size(), 0);

    // A new destination is created.
    const QString fresh = FDir.filePath(QStringLiteral("fresh.dat"));
    QVERIFY(WriteWholeFile(source, bytes));
    CopyFileContents(source, fresh);
    QCOMPARE(ReadWholeFile(fresh), bytes);
}

void TestViewer::copyFileContentsFromAMissingFileChangesNothing() {
    const QString destination = FDir.filePath(QStringLiteral("keep.dat"));
    QVERIFY(WriteWholeFile(destination, "old contents"));
    try {
        CopyFileContents(FDir.filePath(QStringLiteral("missing.dat")), destination);
        QFAIL("no error raised");
    } catch (const EFOpenError& e) {
        QVERIFY2(e.Message().contains(QStringLiteral("missing.dat")), qPrintable(e.Message()));
    }
    QCOMPARE(ReadWholeFile(destination), QByteArray("old contents"));
    QVERIFY_THROWS_EXCEPTION(
        EFCreateError,
        CopyFileContents(destination, FDir.filePath(QStringLiteral("no/such/folder/x.dat"))));
}

QTEST_GUILESS_MAIN(TestViewer)
#include "tst_viewer.moc"

// The main window beside a running viewer: its timer follows the viewer, and a viewer that
// stops answering never freezes the window.

#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "main/UMain.h"
#include "platform/URunningObjects.h"
#include "platform/URuntimeFolder.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "viewer/UTuning.h"
#include "viewer/UViewerEnvironment.h"
#include "viewer/ViewerFixtures.h"
#include "views/UChannelTreeView.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// A press and the event loop's turn after it, as a user's key at a time: a window whose loop
// is stuck in a call takes the whole call's time for it.
constexpr int PressPauseMs = 50;
// What one press with its turn of the loop may take, far above the usual few milliseconds
// (also in a sanitised build on a loaded machine), far below the automation limit of 2 s that
// a blocking call would spend.
constexpr qint64 GenerousPressMs = 1000;

} // namespace

class TestMainViewer : public QObject {
    Q_OBJECT

private:
    TMainWindowFixture F;

    QString ViewerFolder() const { return Settings().DVBViewerDataFolder; }
    QAction* Action(const char* name) const { return F.Action(QString::fromLatin1(name)); }
    void LoadViewerList(const QList<TChannelRec>& records) {
        QVERIFY(WriteChannelFile(ViewerFolder() + QStringLiteral("channels.dat"), records));
        F->Document().LoadChannelList(ViewerFolder() + QStringLiteral("channels.dat"));
    }
    void Select(int row) { MainTreeView().Select(F->Tree().NodeIndex(row)); }
    int SelectedRow() const {
        const QModelIndex node = MainTreeView().SelectedNode();
        return node.isValid() ? node.row() : -1;
    }
    static void RegisterViewer(const QString& socketPath) {
        RegisterRunningObject(ViewerActiveObjectName(), socketPath);
    }
    void FocusTree() {
        QApplication::setActiveWindow(&F.Main());
        QVERIFY(QTest::qWaitForWindowActive(&F.Main()));
        F.Child<TChannelTreeView>("tvChannels")->setFocus();
        QTRY_VERIFY(F.Child<TChannelTreeView>("tvChannels")->hasFocus());
    }
    // Presses Down in the window, then lets the loop run; the time both took.
    qint64 PressDown() {
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(F->windowHandle(), Qt::Key_Down);
        QTest::qWait(PressPauseMs);
        return clock.elapsed();
    }

private Q_SLOTS:
    // The enabling timer runs as in the program; tests that tick by hand stop it.
    void init() { QVERIFY(F.Init({.StopTimer = false})); }

    void cleanup() {
        F.Close();
        UnregisterRunningObject(ViewerActiveObjectName());
        QFile::remove(RunningObjectsFolder() + ViewerActiveObjectName());
        F.Cleanup();
    }

    // Ticks by hand, so that each state is checked exactly after one tick.
    void ticksFollowTheRunningViewer() {
        F.Child<QTimer>("tiEnabled")->stop();
        LoadViewerList({ViewerMain(QStringLiteral("A"), 10), ViewerMain(QStringLiteral("B"), 11)});
        Select(1);
        QAction* save = Action("actSaveDVBViewerFile");
        QAction* tune = Action("actTune");
        F->tiEnabledTimer();
        QVERIFY(save->isEnabled());
        QVERIFY(!tune->isEnabled());

        TStandinProcess viewer;
        QVERIFY2(viewer.Start(ViewerFolder()), qPrintable(viewer.Error()));
        F->tiEnabledTimer();
        QVERIFY(!save->isEnabled());
        // The tick asked for the viewer's numbers; "Tune" follows once they are in.
        QTRY_VERIFY(tune->isEnabled());
        QVERIFY(!F->TuningManager().Link().CallUnderWay());
        QVERIFY(Trigger(tune, {.ProcessEvents = false}));
        QCOMPARE(viewer.WaitForLine(QStringLiteral("Tuned"), 10000), QStringLiteral("Tuned 1 B"));

        QVERIFY(viewer.Terminate());
        F->tiEnabledTimer();
        QVERIFY(save->isEnabled());
        QVERIFY(!tune->isEnabled());
        QVERIFY(TDialogSeam::Shown().empty());
    }

    void anUnreachableViewerIsReportedOncePerFailure() {
        F.Child<QTimer>("tiEnabled")->stop();
        LoadViewerList({ViewerMain(QStringLiteral("A"), 10)});
        // Registered as running, but nobody listens on its socket.
        RegisterViewer(F.Path(QStringLiteral("no-such-socket")));
        F->tiEnabledTimer();
        QTRY_COMPARE(TDialogSeam::Shown().size(), size_t(1));
        QCOMPARE(TDialogSeam::Shown().front().Kind, TMessageKind::Error);
        QVERIFY2(TDialogSeam::Shown().front().Text.contains(QStringLiteral("cannot connect")),
                 qPrintable(TDialogSeam::Shown().front().Text));
        QVERIFY(!Action("actSaveDVBViewerFile")->isEnabled());
        // The same viewer is not asked again at once: the next ticks start no call.
        for (int tick = 0; tick < 3; ++tick) {
            F->tiEnabledTimer();
            QVERIFY(!F->TuningManager().Link().CallUnderWay());
        }

        // It goes away: the ticks go well again, and "Save DVBViewer" comes back.
        QVERIFY(QFile::remove(RunningObjectsFolder() + ViewerActiveObjectName()));
        F->tiEnabledTimer();
        QVERIFY(Action("actSaveDVBViewerFile")->isEnabled());
        // A new viewer that fails as well is reported again, at once.
        RegisterViewer(F.Path(QStringLiteral("no-such-socket-either")));
        F->tiEnabledTimer();
        QTRY_COMPARE(TDialogSeam::Shown().size(), size_t(2));
        QCOMPARE(TDialogSeam::Shown().size(), size_t(2));
    }

    // The timer as it runs, not called by hand.
    void theRunningTimerEnablesSaveOnceTheViewerEnds() {
        QCOMPARE(F.Child<QTimer>("tiEnabled")->interval(), 300);
        QCOMPARE(TfrmMain::EnabledTimerInterval, 300);
        QVERIFY(F.Child<QTimer>("tiEnabled")->isActive());
        LoadViewerList({ViewerMain(QStringLiteral("A"), 10), ViewerMain(QStringLiteral("B"), 11)});
        Select(0);
        QAction* save = Action("actSaveDVBViewerFile");
        QAction* tune = Action("actTune");
        QTRY_VERIFY_WITH_TIMEOUT(save->isEnabled(), 1000);

        TStandinProcess viewer;
        QVERIFY2(viewer.Start(ViewerFolder()), qPrintable(viewer.Error()));
        QTRY_VERIFY_WITH_TIMEOUT(!save->isEnabled(), 1000);
        QTRY_VERIFY_WITH_TIMEOUT(tune->isEnabled(), 5000);

        QVERIFY(viewer.Terminate());
        QTRY_VERIFY_WITH_TIMEOUT(save->isEnabled(), 1000);
        QVERIFY(!tune->isEnabled());
        QVERIFY(F.Child<QTimer>("tiEnabled")->isActive());
        QVERIFY(TDialogSeam::Shown().empty());
    }

    void aViewerThatStopsAnsweringNeverFreezesTheWindow() {
        const int count = 300;
        LoadViewerList(ViewerChannels(count));
        Select(0);
        FocusTree();
        QAction* save = Action("actSaveDVBViewerFile");
        QAction* tune = Action("actTune");
        QTRY_VERIFY_WITH_TIMEOUT(save->isEnabled(), 1000);

        // A viewer that takes calls and never answers (hung, or showing a dialog).
        TFakeViewer hung(F.Path(QStringLiteral("hung.sock")), TFakeBehaviour::Silent);
        QVERIFY(hung.Listening());
        RegisterViewer(hung.SocketPath());

        // The real timer runs all along. Its first tick after the registration asks for the
        // table; keys keep working while that call waits, and until its failure is shown.
        int presses = 0;
        qint64 slowest = 0;
        const auto pressWhile = [&](const auto& condition, int most) {
            while (condition() && presses < most) {
                slowest = std::max(slowest, PressDown());
                ++presses;
                QCOMPARE(SelectedRow(), presses);
                // The viewer's state is not known: "Tune" stays closed.
                QVERIFY(!tune->isEnabled());
                QVERIFY(hung.MostOpenAtOnce() <= 1);
            }
        };
        pressWhile([] { return TDialogSeam::Shown().empty(); }, 200);
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(slowest < GenerousPressMs, qPrintable(QString::number(slowest)));
        // Most of the call's 2 s went to keys.
        QVERIFY2(presses >= 10, qPrintable(QString::number(presses)));
        QCOMPARE(TDialogSeam::Shown().size(), size_t(1));
        QVERIFY2(TDialogSeam::Shown()[0].Text.contains(QStringLiteral("did not reply within")),
                 qPrintable(TDialogSeam::Shown()[0].Text));
        QCOMPARE(hung.Accepted(), 1);
        QCOMPARE(hung.Requests(), QList<QByteArray>{QByteArray(R"({"call":"GetChannels"})")});
        // It runs: "Save DVBViewer" stays closed.
        QVERIFY(!save->isEnabled());

        // While the viewer keeps hanging, the timer does not ask it again for a while.
        const int after = presses;
        pressWhile([&] { return presses < after + 10; }, count - 5);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(presses, after + 10);
        QCOMPARE(hung.Accepted(), 1);
        QCOMPARE(TDialogSeam::Shown().size(), size_t(1));
        QVERIFY2(slowest < GenerousPressMs, qPrintable(QString::number(slowest)));
        QVERIFY(!save->isEnabled());

        // "Open DVBViewer" shows the list at once and asks for the table in the background.
        QElapsedTimer clock;
        clock.start();
        QVERIFY(F.Trigger(QStringLiteral("actOpenDVBViewerFile"), {.ProcessEvents = false}));
        QVERIFY2(clock.elapsed() < GenerousPressMs, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(F->Tree().TopCount(), count);
        QTRY_COMPARE(hung.Accepted(), 2);
        QVERIFY(F->TuningManager().Link().CallUnderWay());
        // The command's own failure is shown as well.
        QTRY_COMPARE_WITH_TIMEOUT(TDialogSeam::Shown().size(), size_t(2), 10000);
        QCOMPARE(hung.MostOpenAtOnce(), 1);

        // A viewer registering anew is asked at once, the pause notwithstanding.
        TStandinProcess viewer;
        QVERIFY2(viewer.Start(ViewerFolder()), qPrintable(viewer.Error()));
        Select(3);
        QTRY_VERIFY_WITH_TIMEOUT(tune->isEnabled(), 2000);
        QCOMPARE(F->TuningManager().FindChannelNumber(*F->Tree().ChannelAt(3)), 3);
        QCOMPARE(TDialogSeam::Shown().size(), size_t(2));
    }
};

QTEST_MAIN(TestMainViewer)
#include "tst_mainviewer.moc"

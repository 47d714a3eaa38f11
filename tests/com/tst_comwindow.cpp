// The main window and the start-up check beside the Windows stand-in viewer, reached through
// COM: "Save DVBViewer" is closed while the viewer runs, "Tune" reaches it, the start-up check
// finds its folder, and a viewer that hangs never freezes the window.

#include "com/ComStandin.h"
#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "main/UMain.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "viewer/UTuning.h"
#include "viewer/UViewerEnvironment.h"
#include "viewer/UViewerStartup.h"
#include "views/UChannelTreeView.h"

#include "viewer/ViewerFixtures.h"
#include <QAction>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

namespace {

// What one key press with its turn of the event loop may take: far above the usual few
// milliseconds, far below the 2 s a call waiting on the window's thread would take.
constexpr qint64 GenerousPressMs = 1000;

} // namespace

class TestComWindow : public QObject {
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

private Q_SLOTS:
    void cleanup() {
        if (F.IsOpen())
            F.Close();
        F.Cleanup();
        TDialogSeam::Uninstall();
        QFile::remove(SettingsFileName());
    }

    void startUpCheckWaitsForTheViewer() {
        QVERIFY(F.Prepare());
        const QString folder = F.Path(QStringLiteral("viewer"));
        QVERIFY(QDir().mkpath(folder));
        // A first start: nothing stored yet, and no viewer.
        ResetSettings();
        QVERIFY(!CheckViewerDataFolder());
        QCOMPARE(TDialogSeam::ShownTexts(),
                 QStringList{QStringLiteral("Orvane needs to know the DVBViewer data folder.\r\n"
                                            "Please launch DVBViewer, then click OK.")});
        QCOMPARE(Settings().DVBViewerDataFolder, QString());

        // With the viewer running, its folder as it reports it.
        TDialogSeam::ClearShown();
        ResetSettings();
        TComStandin viewer;
        QVERIFY(viewer.Start(folder));
        QVERIFY(CheckViewerDataFolder());
        const QString reported = QDir::toNativeSeparators(folder) + u'\\';
        QCOMPARE(Settings().DVBViewerDataFolder, reported);
        QCOMPARE(TDialogSeam::Shown().size(), size_t(1));
        QVERIFY2(TDialogSeam::Shown()[0].Text.startsWith(QStringLiteral("Detected: ") + reported +
                                                         QStringLiteral("\r\n")),
                 qPrintable(TDialogSeam::Shown()[0].Text));
        QVERIFY(viewer.End());
    }

    void saveAndTuneFollowTheViewer() {
        QVERIFY(F.Init({.StopTimer = true}));
        LoadViewerList({ViewerMain(QStringLiteral("A"), 10),
                        ViewerMain(QStringLiteral("A"), 10).SubChannel(),
                        ViewerMain(QStringLiteral("B"), 11)});
        Select(1);
        QAction* save = Action("actSaveDVBViewerFile");
        QAction* tune = Action("actTune");
        F->tiEnabledTimer();
        QVERIFY(save->isEnabled());
        QVERIFY(!tune->isEnabled());

        TComStandin viewer;
        QVERIFY(viewer.Start(ViewerFolder()));
        F->tiEnabledTimer();
        QVERIFY(!save->isEnabled());
        // The tick asked for the viewer's numbers through COM; "Tune" follows once they are in.
        QTRY_VERIFY_WITH_TIMEOUT(tune->isEnabled(), 10000);
        QVERIFY(Trigger(tune, {.ProcessEvents = false}));
        QCOMPARE(viewer.WaitForLine(QStringLiteral("Tuned"), 10000), QStringLiteral("Tuned 1 B"));

        QVERIFY(viewer.End());
        F->tiEnabledTimer();
        QVERIFY(save->isEnabled());
        QVERIFY(!tune->isEnabled());

        // A viewer that ends without a word (killed) is not running either.
        TComStandin crashing;
        QVERIFY(crashing.Start(ViewerFolder()));
        F->tiEnabledTimer();
        QVERIFY(!save->isEnabled());
        QVERIFY(crashing.Kill());
        QTRY_VERIFY_WITH_TIMEOUT((F->tiEnabledTimer(), save->isEnabled()), 10000);
        QVERIFY2(TDialogSeam::Shown().empty(), qPrintable(TDialogSeam::ShownTexts().join(u'|')));
    }

    void aHungViewerNeverFreezesTheWindow() {
        QVERIFY(F.Init({.StopTimer = false}));
        LoadViewerList(ViewerChannels(300));
        Select(0);
        QApplication::setActiveWindow(&F.Main());
        QVERIFY(QTest::qWaitForWindowActive(&F.Main()));
        F.Child<TChannelTreeView>("tvChannels")->setFocus();
        QTRY_VERIFY(F.Child<TChannelTreeView>("tvChannels")->hasFocus());
        QAction* save = Action("actSaveDVBViewerFile");
        QTRY_VERIFY_WITH_TIMEOUT(save->isEnabled(), 1000);

        TComStandin hung;
        QVERIFY(hung.Start(ViewerFolder(), {QStringLiteral("--hang")}));
        // The running timer asks for the table at its next tick; keys go on meanwhile, one
        // after the other, until the failure is shown.
        int presses = 0;
        qint64 slowest = 0;
        while (TDialogSeam::Shown().empty() && presses < 200) {
            QElapsedTimer clock;
            clock.start();
            QTest::keyClick(F->windowHandle(), Qt::Key_Down);
            QTest::qWait(50);
            slowest = std::max(slowest, clock.elapsed());
            ++presses;
            QCOMPARE(SelectedRow(), presses);
        }
        QVERIFY(!hung.WaitForLine(QStringLiteral("Hanging"), 1000).isEmpty());
        QVERIFY2(slowest < GenerousPressMs, qPrintable(QString::number(slowest)));
        QVERIFY2(presses >= 10, qPrintable(QString::number(presses)));
        QCOMPARE(TDialogSeam::Shown().size(), size_t(1));
        QCOMPARE(TDialogSeam::Shown()[0].Kind, TMessageKind::Error);
        QVERIFY2(TDialogSeam::Shown()[0].Text.contains(QStringLiteral("did not reply within")),
                 qPrintable(TDialogSeam::Shown()[0].Text));
        QVERIFY(!save->isEnabled());
    }
};

QTEST_MAIN(TestComWindow)
#include "tst_comwindow.moc"

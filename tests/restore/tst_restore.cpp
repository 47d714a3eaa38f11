#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "help/UMyHelp.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "main/UEditCommands.h"
#include "main/UMain.h"
#include "restore/URestore.h"
#include "selection/UChecking.h"
#include "selection/UGoTo.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "views/UChannelTreeView.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <memory>

namespace {

TChannelRecBuilder Main(const char* name) {
    return TChannelRecBuilder()
        .Name(QLatin1String(name))
        .Category(QStringLiteral("Cat"))
        .Root(QStringLiteral("Root"))
        .Video();
}

TChannelRecBuilder Sub(const char* name) {
    return Main(name).SubChannel();
}

QStringList NamesOf(const TChannelTreeModel& tree) {
    QStringList names;
    for (int r = 0; r < tree.TopCount(); ++r) {
        QString entry = tree.ChannelAt(r)->Name();
        for (const TChannel* sub : tree.SubChannelsAt(r))
            entry += u'+' + sub->Name();
        if (tree.IsNodeChecked(r))
            entry += u'*';
        names << entry;
    }
    return names;
}

QStringList NamesInFile(const QString& path) {
    TChannels list;
    list.LoadFromFile(path);
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names << list.Channel(i)->Name();
    return names;
}

} // namespace

class TestRestore : public QObject {
    Q_OBJECT

private:
    TMainWindowFixture F;
    TfrmRestore* FRestore = nullptr;

    QString WorkFile() const { return F.Path(QStringLiteral("work.dat")); }
    QString DeletedFile() const { return TChannelDocument::DeletedFileName(WorkFile()); }
    TChannelTreeModel& Tree() const { return F->Tree(); }

    // A, B with its audio track b, C, D, E.
    void LoadFive() {
        QVERIFY(WriteChannelFile(
            WorkFile(), {Main("A"), Main("B"), Sub("b"), Main("C"), Main("D"), Main("E")}));
        F->Document().LoadChannelList(WorkFile());
    }

    // Ticks the named main channels of the main tree and runs "Delete Checked".
    void DeleteFromMain(const QStringList& names) {
        for (int r = 0; r < Tree().TopCount(); ++r)
            if (names.contains(Tree().ChannelAt(r)->Name()))
                Tree().CheckNode(r);
        TEditCommands(F->Document(), &F.Main()).DeleteChecked();
    }

    // Opens the window through "Restore Deleted..." and runs the steps while it is the modal
    // window; it is closed afterwards whatever they did.
    bool RunRestore(const std::function<void(TfrmRestore&)>& steps) {
        const auto modal = WhenModal([&](QWidget* w) {
            auto* window = qobject_cast<TfrmRestore*>(w);
            QVERIFY(window);
            steps(*window);
        });
        if (!F.Trigger(QStringLiteral("actRestoreDeleted"),
                       {.UpdateActionsFirst = true, .ProcessEvents = false}))
            return false;
        return modal->Ran();
    }

private Q_SLOTS:
    void init() {
        QVERIFY(F.Prepare());
        Settings().ConfirmDeleteChecked = false;
        QVERIFY(F.Open({.Show = false}));
        FRestore = F->CreateRestoreWindow();
        F->show();
        QVERIFY(QTest::qWaitForWindowExposed(&F.Main()));
    }

    void cleanup() {
        HelpWindowsManager().CloseAll();
        F.Cleanup();
        FRestore = nullptr;
    }

    void listsTheLatestBatchTickedAndRestoresItAtTheEnd() {
        LoadFive();
        DeleteFromMain({u"A"_qs, u"B"_qs});
        DeleteFromMain({u"D"_qs});
        F->Document().SetModified(false);

        QStringList listed, left;
        QString status, firstText, childText;
        bool activeWasRestoreTree = false;
        QVERIFY(RunRestore([&](TfrmRestore& window) {
            activeWasRestoreTree = ActiveTreeView() == window.Tree();
            listed = NamesOf(window.Model());
            status = Child<QLabel>(&window, "StatusPanel0")->text();
            firstText = window.Model().NodeIndex(0).data().toString();
            childText = window.Model().SubIndex(1, 0).data().toString();
            QVERIFY(Trigger(&window, QStringLiteral("actRestore"), {.ProcessEvents = false}));
            left = NamesOf(window.Model());
        }));

        QVERIFY(activeWasRestoreTree);
        QCOMPARE(listed, (QStringList{u"A"_qs, u"B+b"_qs, u"D*"_qs}));
        QCOMPARE(status, u"Checked: 1"_qs);
        QCOMPARE(firstText, F->Channels().Channel(0)->FullName());
        QCOMPARE(childText, u"b"_qs);
        QCOMPARE(left, (QStringList{u"A"_qs, u"B+b"_qs}));
        // Back at the end, ticked and numbered on; the restore counts as a change.
        QCOMPARE(NamesOf(Tree()), (QStringList{u"C"_qs, u"E"_qs, u"D*"_qs}));
        QVERIFY(Tree().NodeIndex(2).data().toString().startsWith(u"[2] D"_qs));
        QCOMPARE(F.Child<QLabel>("StatusPanel1")->text(), u"Checked: 1"_qs);
        QVERIFY(F->Document().IsModified());
        QVERIFY(ActiveTreeView() == MainTreeView());
    }

    void channelsOfTheDeletedFileAreListedUnticked() {
        // Everything read from the deleted file is deleted, audio tracks included; they are
        // still listed under their main channel only.
        QVERIFY(WriteChannelFile(DeletedFile(), {Main("X"), Sub("x"), Main("Y")}));
        LoadFive();
        QStringList listed;
        QString status;
        bool restoreEnabled = true, uncheckEnabled = true;
        QVERIFY(RunRestore([&](TfrmRestore& window) {
            listed = NamesOf(window.Model());
            status = Child<QLabel>(&window, "StatusPanel0")->text();
            restoreEnabled = Child<QAction>(&window, "actRestore")->isEnabled();
            uncheckEnabled = Child<QAction>(&window, "actUncheckAll")->isEnabled();
        }));
        QCOMPARE(listed, (QStringList{u"X+x"_qs, u"Y"_qs}));
        QCOMPARE(status, u"Checked: 0"_qs);
        QVERIFY(!restoreEnabled);
        QVERIFY(!uncheckEnabled);
    }

    void restoringSeveralKeepsTheirOrderAndAudioTracks() {
        LoadFive();
        DeleteFromMain({u"A"_qs, u"B"_qs, u"D"_qs});
        QVERIFY(RunRestore([](TfrmRestore& window) {
            // The tool bar's last button, which the window names apart from its tool bar.
            auto* button = Child<QAction>(&window, "tbRestore");
            QVERIFY(button);
            QCOMPARE(Child<QToolBar>(&window, "tbDeleted")->actions().last(), button);
            QVERIFY(Trigger(button, {.ProcessEvents = false}));
        }));
        QCOMPARE(NamesOf(Tree()), (QStringList{u"C"_qs, u"E"_qs, u"A*"_qs, u"B+b*"_qs, u"D*"_qs}));
        // Nothing is left to restore; the main tree has nodes, so the window still opens,
        // and lists nothing.
        QStringList listed{u"not shown"_qs};
        QVERIFY(RunRestore([&](TfrmRestore& window) { listed = NamesOf(window.Model()); }));
        QVERIFY(listed.isEmpty());
    }

    void deletePermanentlyDropsChannelsFromTheDeletedFile() {
        LoadFive();
        DeleteFromMain({u"A"_qs, u"B"_qs});
        F->Document().SaveChannelList(WorkFile(), false);
        QCOMPARE(NamesInFile(DeletedFile()), (QStringList{u"A"_qs, u"B"_qs, u"b"_qs}));

        // No changes nothing; Yes drops the ticked A and keeps the unticked B.
        QStringList afterNo, afterYes;
        bool modifiedAfterNo = true;
        TDialogSeam::AddAnswer(false);
        TDialogSeam::AddAnswer(true);
        QVERIFY(RunRestore([&](TfrmRestore& window) {
            window.Model().UncheckNode(1);
            window.tiEnabledTimer();
            QVERIFY(
                Trigger(&window, QStringLiteral("actDeletePermanently"), {.ProcessEvents = false}));
            afterNo = NamesOf(window.Model());
            modifiedAfterNo = F->Document().IsModified();
            QVERIFY(
                Trigger(&window, QStringLiteral("actDeletePermanently"), {.ProcessEvents = false}));
            afterYes = NamesOf(window.Model());
        }));
        QCOMPARE(TDialogSeam::ShownTexts(),
                 (QStringList{u"Delete checked channels permanently?"_qs,
                              u"Delete checked channels permanently?"_qs}));
        QCOMPARE(afterNo, (QStringList{u"A*"_qs, u"B+b"_qs}));
        QVERIFY(!modifiedAfterNo);
        QCOMPARE(afterYes, (QStringList{u"B+b"_qs}));
        QVERIFY(F->Document().IsModified());
        QCOMPARE(F->Channels().Channel(0)->State, csPermanentlyDeleted);

        F->Document().SaveChannelList(WorkFile(), false);
        QCOMPARE(NamesInFile(DeletedFile()), (QStringList{u"B"_qs, u"b"_qs}));
        QCOMPARE(NamesOf(Tree()), (QStringList{u"C"_qs, u"D"_qs, u"E"_qs}));

        // A channel deleted for good is never listed again; B, still of the latest batch,
        // comes ticked. With the last one gone the deleted file goes too.
        QStringList listed;
        TDialogSeam::AddAnswer(true);
        QVERIFY(RunRestore([&](TfrmRestore& window) {
            listed = NamesOf(window.Model());
            QVERIFY(
                Trigger(&window, QStringLiteral("actDeletePermanently"), {.ProcessEvents = false}));
        }));
        QCOMPARE(listed, (QStringList{u"B+b*"_qs}));
        F->Document().SaveChannelList(WorkFile(), false);
        QVERIFY(!QFileInfo::exists(DeletedFile()));
        QCOMPARE(NamesInFile(WorkFile()), (QStringList{u"C"_qs, u"D"_qs, u"E"_qs}));
    }

    void ticksInTheWindowCountThereOnly() {
        LoadFive();
        DeleteFromMain({u"A"_qs, u"B"_qs, u"C"_qs});
        Tree().CheckNode(1); // E, left ticked in the main tree
        const QString mainPanel = F.Child<QLabel>("StatusPanel1")->text();
        QCOMPARE(mainPanel, u"Checked: 1"_qs);

        QStringList statuses, afterShiftDown;
        int selectedAfterShiftDown = -1;
        int restoreCount = -1;
        bool restoreEnabledWithoutTicks = true, propertiesEnabled = false;
        QVERIFY(RunRestore([&](TfrmRestore& window) {
            TChannelTreeView* tree = Child<TChannelTreeView>(&window, "tvDeleted");
            tree->setFocus();
            window.Tree().Select(window.Model().NodeIndex(0));
            QTest::keyClick(tree, Qt::Key_Space); // unticks A
            statuses << Child<QLabel>(&window, "StatusPanel0")->text();
            // Shift+Down toggles the node it leaves: A ticked again, then B unticked.
            QTest::keyClick(tree, Qt::Key_Down, Qt::ShiftModifier);
            QTest::keyClick(tree, Qt::Key_Down, Qt::ShiftModifier);
            afterShiftDown = NamesOf(window.Model());
            selectedAfterShiftDown = window.Tree().SelectedNode().row();
            statuses << Child<QLabel>(&window, "StatusPanel0")->text();
            QVERIFY(Trigger(&window, QStringLiteral("actUncheckAll"), {.ProcessEvents = false}));
            statuses << Child<QLabel>(&window, "StatusPanel0")->text();
            restoreCount = RestoreCheckedCount();
            window.tiEnabledTimer();
            restoreEnabledWithoutTicks =
                Child<QAction>(&window, "actRestore")->isEnabled() ||
                Child<QAction>(&window, "actDeletePermanently")->isEnabled() ||
                Child<QAction>(&window, "actUncheckAll")->isEnabled();
            propertiesEnabled = Child<QAction>(&window, "actChecking")->isEnabled();
            statuses << F.Child<QLabel>("StatusPanel1")->text();
        }));
        QCOMPARE(statuses,
                 (QStringList{u"Checked: 2"_qs, u"Checked: 2"_qs, u"Checked: 0"_qs, mainPanel}));
        QCOMPARE(afterShiftDown, (QStringList{u"A*"_qs, u"B+b"_qs, u"C*"_qs}));
        QCOMPARE(selectedAfterShiftDown, 2);
        QCOMPARE(restoreCount, 0);
        QVERIFY(!restoreEnabledWithoutTicks);
        QVERIFY(propertiesEnabled);
        QCOMPARE(F.Child<QLabel>("StatusPanel1")->text(), mainPanel);
        QCOMPARE(CheckedCount(), 1);
    }

    void mainWindowCommandsActOnTheRestoreTree() {
        LoadFive();
        DeleteFromMain({u"A"_qs, u"B"_qs});
        DeleteFromMain({u"C"_qs});
        QStringList afterCheckAll, afterInvert;
        bool bookmarked = false;
        int afterJump = -1;
        QVERIFY(RunRestore([&](TfrmRestore& window) {
            QVERIFY(Trigger(&window, QStringLiteral("actCheckAll"), {.ProcessEvents = false}));
            afterCheckAll = NamesOf(window.Model());
            QVERIFY(
                Trigger(&window, QStringLiteral("actInvertChecking"), {.ProcessEvents = false}));
            afterInvert = NamesOf(window.Model());
            window.Tree().Select(window.Model().NodeIndex(0));
            QVERIFY(
                Trigger(&window, QStringLiteral("actToggleBookmark"), {.ProcessEvents = false}));
            bookmarked = window.Model().ChannelAt(0)->IsBookMarked;
            // F3: the main window's jump to the previous bookmarked channel.
            window.Tree().Select(window.Model().NodeIndex(2));
            QTest::keyClick(Child<TChannelTreeView>(&window, "tvDeleted"), Qt::Key_F3);
            afterJump = window.Tree().SelectedNode().row();
        }));
        QCOMPARE(afterCheckAll, (QStringList{u"A*"_qs, u"B+b*"_qs, u"C*"_qs}));
        QCOMPARE(afterInvert, (QStringList{u"A"_qs, u"B+b"_qs, u"C"_qs}));
        QVERIFY(bookmarked);
        QCOMPARE(afterJump, 0);
        QCOMPARE(NamesOf(Tree()), (QStringList{u"D"_qs, u"E"_qs}));
        QCOMPARE(CheckedCount(), 0);
    }

    void ownSelectionWindowsKeepTheMainOnesRemembered_data() {
        QTest::addColumn<bool>("wasVisible");
        QTest::newRow("hidden") << false;
        QTest::newRow("shown") << true;
    }
    void ownSelectionWindowsKeepTheMainOnesRemembered() {
        QFETCH(bool, wasVisible);
        LoadFive();
        DeleteFromMain({u"A"_qs});
        Settings().frmCheckingVisible = wasVisible;
        Settings().frmGoToVisible = wasVisible;
        bool sawChecking = false, sawGoToWithCheckedBox = false;
        QVERIFY(RunRestore([&](TfrmRestore& window) {
            {
                const auto checking = WhenModal([&](QWidget* modal) {
                    auto* w = qobject_cast<TfrmChecking*>(modal);
                    QVERIFY(w);
                    sawChecking = true;
                    Child<QPushButton>(w, "btnClose")->click();
                });
                QVERIFY(Trigger(&window, QStringLiteral("actChecking"), {.ProcessEvents = false}));
            }
            const auto goTo = WhenModal([&](QWidget* modal) {
                auto* w = qobject_cast<TfrmGoTo*>(modal);
                QVERIFY(w);
                sawGoToWithCheckedBox = w->IsCheckedBoxVisible();
                Child<QPushButton>(w, "btnClose")->click();
            });
            QVERIFY(Trigger(&window, QStringLiteral("actGoTo"), {.ProcessEvents = false}));
        }));
        QVERIFY(sawChecking);
        QVERIFY(sawGoToWithCheckedBox);
        QCOMPARE(Settings().frmCheckingVisible, wasVisible);
        QCOMPARE(Settings().frmGoToVisible, wasVisible);
    }

    void escapeClosesF1HelpsAndThePlaceIsKept() {
        LoadFive();
        DeleteFromMain({u"A"_qs});
        QVERIFY(InstallHelpPages(GetProgramDataFolder()));
        Settings().frmRestoreLeft = 30;
        Settings().frmRestoreTop = 40;
        Settings().frmRestoreClientWidth = 450;
        Settings().frmRestoreClientHeight = 380;
        bool closedByEscape = false;
        bool helpShown = false;
        QSize size;
        const auto modal = WhenModal([&](QWidget* w) {
            auto* window = qobject_cast<TfrmRestore*>(w);
            QVERIFY(window);
            size = window->size();
            QTest::keyClick(Child<TChannelTreeView>(window, "tvDeleted"), Qt::Key_F1);
            helpShown = HelpWindowsManager().IsLaunched(hpRestore);
            window->resize(470, 400 + Child<QMenuBar>(window, "mmRestore")->sizeHint().height());
            QTest::keyClick(Child<TChannelTreeView>(window, "tvDeleted"), Qt::Key_Escape);
            closedByEscape = !window->isVisible();
        });
        QVERIFY(F.Trigger(QStringLiteral("actRestoreDeleted"), {.ProcessEvents = false}));
        QVERIFY(helpShown);
        QVERIFY(closedByEscape);
        QCOMPARE(size.width(), 450);
        QCOMPARE(Settings().frmRestoreClientWidth, 470);
        QCOMPARE(Settings().frmRestoreClientHeight, 400);
        QVERIFY(ActiveTreeView() == MainTreeView());
    }
};

QTEST_MAIN(TestRestore)
#include "tst_restore.moc"

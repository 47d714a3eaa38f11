#include "channels/UChannel.h"
#include "channels/UChannelInfo.h"
#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "help/UMyHelp.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "main/UEditCommands.h"
#include "main/UMain.h"
#include "restore/URestore.h"
#include "selection/UCheckCategories.h"
#include "selection/UChecking.h"
#include "selection/UGoTo.h"
#include "selection/USearch.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "views/UChannelTreeView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace {

TChannelRecBuilder Main(const char* name, const char* category = "News") {
    return TChannelRecBuilder()
        .Name(QLatin1String(name))
        .Category(QLatin1String(category))
        .Root(QStringLiteral("Astra"))
        .Video();
}

// Presses the keys one after the other through the window's own handle, as the window
// system delivers them, and gives the main tree's selected row after each press.
QList<int> PressEach(QWidget* window, std::initializer_list<QKeyCombination> keys,
                     const std::function<int()>& selectedRow) {
    QList<int> rows;
    for (const QKeyCombination key : keys) {
        QTest::keyClick(window->windowHandle(), key.key(), key.keyboardModifiers());
        rows.append(selectedRow());
    }
    return rows;
}

} // namespace

// The selection windows as the main window's real commands open them.
class TestSelectionMain : public QObject {
    Q_OBJECT

    TMainWindowFixture F;

    QAction* Action(const char* name) const { return F.Action(QString::fromLatin1(name)); }
    bool Trigger(const char* name) { return F.Trigger(QString::fromLatin1(name)); }
    TChannelTreeModel& Tree() const { return F->Tree(); }
    QString Ticked() const { return F.TickedNames(); }
    int SelectedRow() const {
        const QModelIndex node = MainTreeView().SelectedNode();
        return node.isValid() ? Tree().GetActualChannelNo(node) : -1;
    }
    void Load() {
        const QString path = F.Path(QStringLiteral("work.dat"));
        QVERIFY(WriteChannelFile(path, {Main("A"), Main("B", "Sport").Encrypted(),
                                        Main("b-track", "Sport").SubChannel(), Main("C"),
                                        Main("D").Video(false)}));
        F->Document().LoadChannelList(path);
        QCOMPARE(Tree().TopCount(), 4);
    }

private Q_SLOTS:
    // Each test opens the window once it has set what the window reads at start.
    void init() { QVERIFY(F.Prepare()); }
    void cleanup() { F.Cleanup(); }

    void windowsReopenAtStartAsRemembered() {
        Settings().frmGoToVisible = true;
        Settings().frmCheckingVisible = false;
        QVERIFY(F.Open());
        QTRY_VERIFY(F->GoToWindow()->isVisible());
        QVERIFY(!F->CheckingWindow()->isVisible());
        QVERIFY(Action("actViewGoTo")->isChecked());
        QVERIFY(!F->GoToWindow()->IsCheckedBoxVisible());

        // Closing the program keeps both remembered and stores the GoTo window's place.
        F->GoToWindow()->move(61, 71);
        F.Close();
        QVERIFY(Settings().frmGoToVisible);
        QVERIFY(!Settings().frmCheckingVisible);
        QCOMPARE(Settings().frmGoToLeft, 61);
        QCOMPARE(Settings().frmGoToTop, 71);
    }

    void commandsOpenTheSelectionWindows() {
        QVERIFY(F.Open());
        Load();
        F->UpdateActions();
        MainTreeView().Select(Tree().NodeIndex(0));

        // Check by properties: the view command follows the window both ways.
        QVERIFY(Trigger("actChecking"));
        TfrmChecking* checking = F->CheckingWindow();
        QVERIFY(checking->isVisible());
        QVERIFY(Action("actViewChecking")->isChecked());
        checking->ItemOf(cpEncrypted)->setCheckState(0, Qt::Checked);
        Child<QPushButton>(checking, "btnCheck")->click();
        QCOMPARE(Ticked(), QStringLiteral("B"));
        QCOMPARE(F.Child<QLabel>("StatusPanel1")->text(), QStringLiteral("Checked: 1"));
        QVERIFY(Trigger("actViewChecking"));
        QVERIFY(!checking->isVisible());
        QVERIFY(!Settings().frmCheckingVisible);

        // GoTo: its buttons jump through the main window and follow the ticks.
        QVERIFY(Trigger("actGoTo"));
        TfrmGoTo* goTo = F->GoToWindow();
        QVERIFY(goTo->isVisible());
        QVERIFY(Action("actViewGoTo")->isChecked());
        QVERIFY(Child<QPushButton>(goTo, "btnNextChecked")->isEnabled());
        QVERIFY(!Child<QPushButton>(goTo, "btnPrevChecked")->isEnabled());
        Child<QPushButton>(goTo, "btnNextChecked")->click();
        QCOMPARE(SelectedRow(), 1);
        QVERIFY(!Child<QPushButton>(goTo, "btnNextChecked")->isEnabled());
        // A bulk tick command refreshes the window.
        QVERIFY(Trigger("actCheckAll"));
        QVERIFY(Child<QPushButton>(goTo, "btnNextChecked")->isEnabled());
        // Keys pressed in the window reach the main window's jumps; F12 ticks nothing here.
        QTest::keyClick(goTo->windowHandle(), Qt::Key_F8, Qt::ControlModifier);
        QCOMPARE(SelectedRow(), 2);
        QTest::keyClick(goTo->windowHandle(), Qt::Key_F12);
        QVERIFY(Tree().IsNodeChecked(2));
        QVERIFY(Trigger("actViewGoTo"));
        QVERIFY(!goTo->isVisible());
        QVERIFY(!Settings().frmGoToVisible);
        QVERIFY(Trigger("actUncheckAll"));

        // Search, modal: typing selects the first match.
        const auto searched = WhenModal([this](QWidget* modal) {
            auto* search = qobject_cast<TfrmSearch*>(modal);
            QVERIFY(search);
            QTest::keyClicks(Child<QLineEdit>(search, "edtCategory"), QStringLiteral("spo"));
            QCOMPARE(SelectedRow(), 1);
            QVERIFY(!Child<QPushButton>(search, "btnNext")->isEnabled());
        });
        QVERIFY(Trigger("actSearch"));
        QVERIFY(searched->Ran());
        QCOMPARE(SelectedRow(), 1);

        // By root and category, modal.
        const auto categorised = WhenModal([](QWidget* modal) {
            auto* categories = qobject_cast<TfrmCheckCategories*>(modal);
            QVERIFY(categories);
            QCOMPARE(Child<QComboBox>(categories, "cboRoot")->currentText(),
                     QStringLiteral("Astra"));
            QCOMPARE(Child<QTreeWidget>(categories, "tvCategories")->topLevelItemCount(), 2);
            Child<QTreeWidget>(categories, "tvCategories")
                ->topLevelItem(0)
                ->setCheckState(0, Qt::Checked);
            Child<QPushButton>(categories, "btnCheck")->click();
        });
        QVERIFY(Trigger("actCheckingByCategoryAndRoot"));
        QVERIFY(categorised->Ran());
        QCOMPARE(Ticked(), QStringLiteral("A C D"));
    }

    void helpOpensTheCheckPageWhileTheCheckWindowIsActive() {
        QVERIFY(F.Open());
        QVERIFY(InstallHelpPages(GetProgramDataFolder()));
        QVERIFY(Trigger("actChecking"));
        TfrmChecking* checking = F->CheckingWindow();
        checking->activateWindow();
        QTRY_VERIFY(checking->IsActivated());
        QTest::keyClick(Child<QTreeWidget>(checking, "tvChecking"), Qt::Key_F1);
        QTRY_VERIFY(HelpWindowsManager().IsLaunched(hpCheckUncheck));
        QVERIFY(!HelpWindowsManager().IsLaunched(hpMain));
        HelpWindowsManager().CloseAll();
    }

    void keysInTheSelectionWindowsJumpAtEveryPress() {
        QVERIFY(F.Open());
        // 0 Alpha tv, 1 Beta tv encrypted, 2 Gamma radio, 3 Delta tv encrypted, 4 Epsilon
        // radio, 5 Zeta tv encrypted, 6 Eta tv.
        const QString path = F.Path(QStringLiteral("work.dat"));
        QVERIFY(WriteChannelFile(path, {Main("Alpha"), Main("Beta").Encrypted(),
                                        Main("Gamma").Video(false), Main("Delta").Encrypted(),
                                        Main("Epsilon").Video(false), Main("Zeta").Encrypted(),
                                        Main("Eta")}));
        F->Document().LoadChannelList(path);
        F->UpdateActions();
        const auto selected = [this] { return SelectedRow(); };
        const Qt::Key F3 = Qt::Key_F3, F6 = Qt::Key_F6, F7 = Qt::Key_F7, F8 = Qt::Key_F8,
                      F12 = Qt::Key_F12;

        // The main window's GoTo window: its "Checked (F12)" box is hidden, so F12 goes on
        // to the main window like any key and ticks nothing.
        MainTreeView().Select(Tree().NodeIndex(0));
        QVERIFY(Trigger("actGoTo"));
        TfrmGoTo* goTo = F->GoToWindow();
        QVERIFY(QTest::qWaitForWindowExposed(goTo));
        QCOMPARE(PressEach(goTo,
                           {F8, F8, F8, Qt::CTRL | F7, Qt::CTRL | F6, Qt::CTRL | F6, F7,
                            Qt::CTRL | F3, F12},
                           selected),
                 QList<int>({1, 3, 5, 3, 4, 4, 3, 2, 2}));
        QCOMPARE(Ticked(), QString());
        // The buttons follow the node the last press landed on.
        QVERIFY(Child<QPushButton>(goTo, "btnPrevFTA")->isEnabled());
        QVERIFY(Child<QPushButton>(goTo, "btnNextTV")->isEnabled());
        QVERIFY(!Child<QPushButton>(goTo, "btnPrevRadio")->isEnabled());
        QVERIFY(Trigger("actViewGoTo"));

        // The check window passes every key on to the main window.
        MainTreeView().Select(Tree().NodeIndex(0));
        QVERIFY(Trigger("actChecking"));
        TfrmChecking* checking = F->CheckingWindow();
        QVERIFY(QTest::qWaitForWindowExposed(checking));
        Child<QTreeWidget>(checking, "tvChecking")->setFocus();
        QCOMPARE(PressEach(checking, {F8, F8, F8, Qt::CTRL | F8, Qt::CTRL | F7, F7}, selected),
                 QList<int>({1, 3, 5, 6, 5, 3}));
        QVERIFY(Trigger("actViewChecking"));

        // Search: letters typed through the window narrow it, F8 and F7 step, F12 ticks.
        QList<int> rows;
        const auto searched = WhenModal([&](QWidget* modal) {
            auto* search = qobject_cast<TfrmSearch*>(modal);
            QVERIFY(search);
            Child<QLineEdit>(search, "edtChannelName")->setFocus();
            rows = PressEach(search, {Qt::Key_T, Qt::Key_A, F8, F8, F8, F8, F7, F12}, selected);
        });
        QVERIFY(Trigger("actSearch"));
        QVERIFY(searched->Ran());
        QCOMPARE(rows, QList<int>({1, 1, 3, 5, 6, 6, 5, 5}));
        QCOMPARE(Ticked(), QStringLiteral("Zeta"));
    }

    void helpInTheRestoreWindowsCheckWindowOpensTheCheckPage() {
        QVERIFY(F.Open());
        QVERIFY(InstallHelpPages(GetProgramDataFolder()));
        Load();
        Settings().ConfirmDeleteChecked = false;
        Tree().CheckNode(1);
        TEditCommands(F->Document(), &F.Main()).DeleteChecked();
        F->UpdateActions();

        std::unique_ptr<TModalRun> checked;
        const auto restored = WhenModal([&checked](QWidget* modal) {
            auto* restore = qobject_cast<TfrmRestore*>(modal);
            QVERIFY(restore);
            QVERIFY(Child<QAction>(restore, "actChecking")->isEnabled());
            checked = WhenModal([](QWidget* window) {
                QVERIFY(qobject_cast<TfrmChecking*>(window));
                QTest::keyClick(window->windowHandle(), Qt::Key_F1);
                QTRY_VERIFY(HelpWindowsManager().IsLaunched(hpCheckUncheck));
            });
            QVERIFY(::Trigger(restore, QStringLiteral("actChecking"), {.ProcessEvents = false}));
        });
        QVERIFY(Trigger("actRestoreDeleted"));
        QVERIFY(restored->Ran());
        QVERIFY(checked && checked->Ran());
        QVERIFY(HelpWindowsManager().IsLaunched(hpCheckUncheck));
        QVERIFY(!HelpWindowsManager().IsLaunched(hpMain));
        QVERIFY(!HelpWindowsManager().IsLaunched(hpRestore));
        HelpWindowsManager().CloseAll();
    }

    void goToWindowFollowsTheMainTreeAgainAfterTheRestoreWindow() {
        QVERIFY(F.Open());
        // Main tree after the delete: A, C, D (radio); the restore tree: B alone.
        Load();
        Settings().ConfirmDeleteChecked = false;
        Tree().CheckNode(1);
        TEditCommands(F->Document(), &F.Main()).DeleteChecked();
        F->UpdateActions();
        MainTreeView().Select(Tree().NodeIndex(0));
        QVERIFY(Trigger("actGoTo"));
        TfrmGoTo* goTo = F->GoToWindow();
        QVERIFY(Child<QPushButton>(goTo, "btnNextTV")->isEnabled());
        QVERIFY(Child<QPushButton>(goTo, "btnNextRadio")->isEnabled());

        bool nextTVDuring = true;
        const auto restored = WhenModal([&](QWidget* modal) {
            auto* restore = qobject_cast<TfrmRestore*>(modal);
            QVERIFY(restore);
            // A tick command of the main window, run on the restore tree, refreshes the
            // GoTo window for that tree: nothing to jump to beside its one channel.
            QVERIFY(::Trigger(restore, QStringLiteral("actCheckAll"), {.ProcessEvents = false}));
            nextTVDuring = Child<QPushButton>(goTo, "btnNextTV")->isEnabled();
            QTest::keyClick(restore->windowHandle(), Qt::Key_Escape);
            QVERIFY(!restore->isVisible());
        });
        QVERIFY(Trigger("actRestoreDeleted"));
        QVERIFY(restored->Ran());
        QVERIFY(!nextTVDuring);
        // Closed again: the buttons are those of the main tree's selection.
        QVERIFY(ActiveTreeView() == MainTreeView());
        QCOMPARE(SelectedRow(), 0);
        QVERIFY(Child<QPushButton>(goTo, "btnNextTV")->isEnabled());
        QVERIFY(Child<QPushButton>(goTo, "btnNextRadio")->isEnabled());
        QVERIFY(!Child<QPushButton>(goTo, "btnPrevTV")->isEnabled());
        QVERIFY(!Child<QPushButton>(goTo, "btnNextEncrypted")->isEnabled());
    }
};

QTEST_MAIN(TestSelectionMain)
#include "tst_selectionmain.moc"

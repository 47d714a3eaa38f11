#include "channels/UChannel.h"
#include "channels/UChannelInfo.h"
#include "common/ChannelFixture.h"
#include "help/UMyHelp.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UChannelTreeView.h"
#include "main/UCheckedTreeViewHelper.h"
#include "main/UMain.h"
#include "selection/UCheckCategories.h"
#include "selection/UChecking.h"
#include "selection/UGoTo.h"
#include "selection/USearch.h"
#include "settings/USettings.h"
#include "viewer/UMessages.h"

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

// Runs body once the next modal window is open, then closes it.
void WhenModal(std::function<void(QWidget*)> body) {
    QTimer::singleShot(0, [body] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            qWarning("no modal window");
            return;
        }
        body(modal);
        modal->close();
    });
}

} // namespace

// The selection windows as the main window's real commands open them.
class TestSelectionMain : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TfrmMain> FMain;

    QAction* Action(const char* name) const {
        QAction* action = FMain->findChild<QAction*>(QLatin1String(name));
        if (!action)
            qWarning("no action %s", name);
        return action;
    }
    bool Trigger(const char* name) {
        QAction* action = Action(name);
        if (!action || !action->isEnabled())
            return false;
        action->trigger();
        QCoreApplication::processEvents();
        return true;
    }
    TChannelTreeModel& Tree() const { return FMain->Tree(); }
    QString Ticked() const {
        QStringList names;
        for (int row = 0; row < Tree().TopCount(); ++row)
            if (Tree().IsNodeChecked(row))
                names.append(Tree().ChannelAt(row)->Name());
        return names.join(QLatin1Char(' '));
    }
    int SelectedRow() const {
        const QModelIndex node = MainTreeView().SelectedNode();
        return node.isValid() ? Tree().GetActualChannelNo(node) : -1;
    }
    void Load() {
        const QString path = FDir->filePath(QStringLiteral("work.dat"));
        QVERIFY(WriteChannelFile(path, {Main("A"), Main("B", "Sport").Encrypted(),
                                        Main("b-track", "Sport").SubChannel(), Main("C"),
                                        Main("D").Video(false)}));
        FMain->Document().LoadChannelList(path);
        QCOMPARE(Tree().TopCount(), 4);
    }

private Q_SLOTS:
    void init() {
        ResetSettings();
        SetChannelsModified(false);
        TDialogSeam::Install();
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        Settings().DVBViewerDataFolder = FDir->filePath(QStringLiteral("viewer")) + u'/';
    }
    void cleanup() {
        SetChannelsModified(false);
        FMain.reset();
        TDialogSeam::Uninstall();
        FDir.reset();
    }

    void windowsReopenAtStartAsRemembered() {
        Settings().frmGoToVisible = true;
        Settings().frmCheckingVisible = false;
        FMain = std::make_unique<TfrmMain>();
        FMain->tiEnabled->stop();
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain.get()));
        QTRY_VERIFY(FMain->GoToWindow()->isVisible());
        QVERIFY(!FMain->CheckingWindow()->isVisible());
        QVERIFY(Action("actViewGoTo")->isChecked());
        QVERIFY(!FMain->GoToWindow()->IsCheckedBoxVisible());

        // Closing the program keeps both remembered and stores the GoTo window's place.
        FMain->GoToWindow()->move(61, 71);
        FMain.reset();
        QVERIFY(Settings().frmGoToVisible);
        QVERIFY(!Settings().frmCheckingVisible);
        QCOMPARE(Settings().frmGoToLeft, 61);
        QCOMPARE(Settings().frmGoToTop, 71);
    }

    void commandsOpenTheSelectionWindows() {
        FMain = std::make_unique<TfrmMain>();
        FMain->tiEnabled->stop();
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain.get()));
        Load();
        FMain->UpdateActions();
        MainTreeView().Select(Tree().NodeIndex(0));

        // Check by properties: the view command follows the window both ways.
        QVERIFY(Trigger("actChecking"));
        TfrmChecking* checking = FMain->CheckingWindow();
        QVERIFY(checking->isVisible());
        QVERIFY(Action("actViewChecking")->isChecked());
        checking->ItemOf(cpEncrypted)->setCheckState(0, Qt::Checked);
        checking->btnCheck->click();
        QCOMPARE(Ticked(), QStringLiteral("B"));
        QCOMPARE(FMain->StatusPanels[1]->text(), QStringLiteral("Checked: 1"));
        QVERIFY(Trigger("actViewChecking"));
        QVERIFY(!checking->isVisible());
        QVERIFY(!Settings().frmCheckingVisible);

        // GoTo: its buttons jump through the main window and follow the ticks.
        QVERIFY(Trigger("actGoTo"));
        TfrmGoTo* goTo = FMain->GoToWindow();
        QVERIFY(goTo->isVisible());
        QVERIFY(Action("actViewGoTo")->isChecked());
        QVERIFY(goTo->btnNextChecked->isEnabled());
        QVERIFY(!goTo->btnPrevChecked->isEnabled());
        goTo->btnNextChecked->click();
        QCOMPARE(SelectedRow(), 1);
        QVERIFY(!goTo->btnNextChecked->isEnabled());
        // A bulk tick command refreshes the window.
        QVERIFY(Trigger("actCheckAll"));
        QVERIFY(goTo->btnNextChecked->isEnabled());
        // Keys pressed in the window reach the main window's jumps; F12 ticks nothing here.
        QTest::keyClick(goTo, Qt::Key_F8, Qt::ControlModifier);
        QCOMPARE(SelectedRow(), 2);
        QTest::keyClick(goTo, Qt::Key_F12);
        QVERIFY(Tree().IsNodeChecked(2));
        QVERIFY(Trigger("actViewGoTo"));
        QVERIFY(!goTo->isVisible());
        QVERIFY(!Settings().frmGoToVisible);
        QVERIFY(Trigger("actUncheckAll"));

        // Search, modal: typing selects the first match.
        WhenModal([this](QWidget* modal) {
            auto* search = qobject_cast<TfrmSearch*>(modal);
            QVERIFY(search);
            QTest::keyClicks(search->edtCategory, QStringLiteral("spo"));
            QCOMPARE(SelectedRow(), 1);
            QVERIFY(!search->btnNext->isEnabled());
        });
        QVERIFY(Trigger("actSearch"));
        QCOMPARE(SelectedRow(), 1);

        // By root and category, modal.
        WhenModal([](QWidget* modal) {
            auto* categories = qobject_cast<TfrmCheckCategories*>(modal);
            QVERIFY(categories);
            QCOMPARE(categories->cboRoot->currentText(), QStringLiteral("Astra"));
            QCOMPARE(categories->tvCategories->topLevelItemCount(), 2);
            categories->tvCategories->topLevelItem(0)->setCheckState(0, Qt::Checked);
            categories->btnCheck->click();
        });
        QVERIFY(Trigger("actCheckingByCategoryAndRoot"));
        QCOMPARE(Ticked(), QStringLiteral("A C D"));
    }

    void helpOpensTheCheckPageWhileTheCheckWindowIsActive() {
        FMain = std::make_unique<TfrmMain>();
        FMain->tiEnabled->stop();
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain.get()));
        QVERIFY(InstallHelpPages(GetProgramDataFolder()));
        QVERIFY(Trigger("actChecking"));
        TfrmChecking* checking = FMain->CheckingWindow();
        checking->activateWindow();
        QTRY_VERIFY(checking->IsActivated());
        QTest::keyClick(checking->tvChecking, Qt::Key_F1);
        QTRY_VERIFY(HelpWindowsManager().IsLaunched(hpCheckUncheck));
        QVERIFY(!HelpWindowsManager().IsLaunched(hpMain));
        HelpWindowsManager().CloseAll();
    }
};

QTEST_MAIN(TestSelectionMain)
#include "tst_selectionmain.moc"

#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "help/UHelp.h"
#include "help/UMyHelp.h"
#include "main/UChannelDocument.h"
#include "main/UMain.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>
#include <memory>

using namespace Qt::StringLiterals;

// Help pages are windows of their own that live beside the modal windows asking for them:
// opened from inside a running modal window, a page must answer the mouse at once, not only
// after that window has closed.
class TestHelpBesideModal : public QObject {
    Q_OBJECT

private:
    TMainWindowFixture F;

    // Clicks a button through its window, where a blocked window drops the click.
    static void ClickThroughWindow(QPushButton* button) {
        QWidget* window = button->window();
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                          button->mapTo(window, button->rect().center()));
    }

private Q_SLOTS:
    void initTestCase() { Q_INIT_RESOURCE(orvane_help); }

    void init() {
        QVERIFY(F.Prepare());
        QVERIFY(InstallHelpPages(GetProgramDataFolder()));
        QVERIFY(F.Open());
        // An IPTV channel for the IPTV window, a deleted one for the restore window.
        TChannelRecBuilder iptv;
        iptv.TunerType(ttIPTV).Ids(1, 2, 3).Video().Root(u"IPTV"_s).Name(u"Net"_s);
        const QString path = F.Path(u"work.dat"_s);
        QVERIFY(WriteChannelFile(path, {TChannelRecBuilder().Name(u"A"_s).Video(), iptv,
                                        TChannelRecBuilder().Name(u"B"_s).Video()}));
        F->Document().LoadChannelList(path);
    }

    void cleanup() {
        HelpWindowsManager().CloseAll();
        F.Cleanup();
    }

    void helpPageIsUsableWhileItsModalWindowRuns_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("helpButton"); // empty: F1
        const QString help = u"btnHelp"_s;
        QTest::newRow("settings") << u"actSettings"_s << u"frmSettings"_s << int(hpSettings)
                                  << help;
        QTest::newRow("code page")
            << u"actCodepage"_s << u"frmCodePage"_s << int(hpCodePage) << help;
        QTest::newRow("reorder preview")
            << u"actMakeManHappy"_s << u"frmMakeManHappy"_s << int(hpHappyMan) << help;
        QTest::newRow("reorder preview, F1")
            << u"actMakeManHappy"_s << u"frmMakeManHappy"_s << int(hpHappyMan) << QString();
        QTest::newRow("restore, F1")
            << u"actRestoreDeleted"_s << u"frmRestore"_s << int(hpRestore) << QString();
        QTest::newRow("IPTV") << u"actMakeIPTVXepgReady"_s << u"frmMakeIPTVXepg"_s
                              << int(hpIPTV2Xepg) << help;
    }
    void helpPageIsUsableWhileItsModalWindowRuns() {
        QFETCH(QString, command);
        QFETCH(QString, window);
        QFETCH(int, page);
        QFETCH(QString, helpButton);
        QApplication::clipboard()->clear();

        QString shownWindow;
        bool helpOpened = false, copied = false, closedByOK = false, modalStillOpen = false;
        // Whatever happens in the body, the modal window closes in the end.
        const auto modal = WhenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<QDialog*>(w);
            QVERIFY(dialog);
            shownWindow = dialog->objectName();
            if (helpButton.isEmpty()) {
                QTest::keyClick(dialog->windowHandle(), Qt::Key_F1);
            } else {
                auto* button = Child<QPushButton>(dialog, helpButton);
                QVERIFY(button);
                ClickThroughWindow(button);
            }
            QTRY_VERIFY(HelpWindowsManager().Window(page));
            TfrmHelp* help = HelpWindowsManager().Window(page);
            helpOpened = true;
            QVERIFY(QTest::qWaitForWindowExposed(help));

            ClickThroughWindow(Child<QPushButton>(help, "btnCopy"));
            QTRY_VERIFY(!QApplication::clipboard()->text().isEmpty());
            copied = QApplication::clipboard()->text() == help->reHelp()->toPlainText();

            ClickThroughWindow(Child<QPushButton>(help, "btnOK"));
            QTRY_VERIFY(!HelpWindowsManager().IsLaunched(page));
            closedByOK = true;
            modalStillOpen = dialog->isVisible() && QApplication::activeModalWidget() == dialog;
        });
        QVERIFY(F.Trigger(command, {.UpdateActionsFirst = true, .ProcessEvents = false}));

        QCOMPARE(shownWindow, window);
        QVERIFY(helpOpened);
        QVERIFY(copied);
        QVERIFY(closedByOK);
        QVERIFY(modalStillOpen);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The restore window opens a check window of its own, modal on top of it: help from there
    // must be usable while both still run.
    void helpFromAWindowTheRestoreWindowOpensIsUsable() {
        // A deleted channel gives the restore window a tree its check window can work on.
        const QString list = F.Path(u"work.dat"_s);
        QVERIFY(WriteChannelFile(TChannelDocument::DeletedFileName(list),
                                 {TChannelRecBuilder().Name(u"Gone"_s).Video()}));
        F->Document().LoadChannelList(list);
        QApplication::clipboard()->clear();
        QString restoreShown, checkShown;
        bool copied = false, closedByOK = false, bothStillOpen = false;
        const auto modal = WhenModal([&](QWidget* outer) {
            auto* restore = qobject_cast<QDialog*>(outer);
            QVERIFY(restore);
            restoreShown = restore->objectName();
            const auto inner = WhenModal([&, restore](QWidget* w) {
                auto* check = qobject_cast<QDialog*>(w);
                QVERIFY(check);
                QVERIFY(check != restore);
                checkShown = check->objectName();
                auto* button = Child<QPushButton>(check, "btnHelp");
                QVERIFY(button);
                ClickThroughWindow(button);
                QTRY_VERIFY(HelpWindowsManager().Window(hpCheckUncheck));
                TfrmHelp* help = HelpWindowsManager().Window(hpCheckUncheck);
                QVERIFY(QTest::qWaitForWindowExposed(help));
                ClickThroughWindow(Child<QPushButton>(help, "btnCopy"));
                QTRY_VERIFY(!QApplication::clipboard()->text().isEmpty());
                copied = QApplication::clipboard()->text() == help->reHelp()->toPlainText();
                ClickThroughWindow(Child<QPushButton>(help, "btnOK"));
                QTRY_VERIFY(!HelpWindowsManager().IsLaunched(hpCheckUncheck));
                closedByOK = true;
                bothStillOpen = check->isVisible() && restore->isVisible() &&
                                QApplication::activeModalWidget() == check;
            });
            QVERIFY(Trigger(restore, u"actChecking"_s, {.ProcessEvents = false}));
            restore->reject();
        });
        QVERIFY(F.Trigger(u"actRestoreDeleted"_s,
                          {.UpdateActionsFirst = true, .ProcessEvents = false}));

        QCOMPARE(restoreShown, u"frmRestore"_s);
        QCOMPARE(checkShown, u"frmChecking"_s);
        QVERIFY(copied);
        QVERIFY(closedByOK);
        QVERIFY(bothStillOpen);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The main window stays blocked while a window-modal window runs.
    void mainWindowWaitsForTheModalWindow() {
        bool mainBlocked = false;
        const auto modal = WhenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<QDialog*>(w);
            QVERIFY(dialog);
            // A click on the main window's menu bar would open a menu if the click got through.
            const int before = F->findChildren<QWidget*>().size();
            QTest::mouseClick(F->windowHandle(), Qt::LeftButton, {}, QPoint(10, 5));
            QCoreApplication::processEvents();
            mainBlocked = QApplication::activeModalWidget() == dialog &&
                          QApplication::activePopupWidget() == nullptr &&
                          F->findChildren<QWidget*>().size() == before;
            dialog->reject();
        });
        QVERIFY(F.Trigger(u"actSettings"_s, {.UpdateActionsFirst = true, .ProcessEvents = false}));
        QVERIFY(mainBlocked);
    }
};

QTEST_MAIN(TestHelpBesideModal)
#include "tst_helpbesidemodal.moc"

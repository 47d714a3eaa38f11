#include "common/GuiTest.h"
#include "platform/UCodePages.h"
#include "settings/UCodePage.h"
#include "settings/USettings.h"
#include "settings/USettingsWindow.h"
#include "settings/UShowHelpHook.h"
#include "ui/UMessages.h"
#include "viewer/UViewerStartup.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

namespace {

bool SameSettings(const TSettings& a, const TSettings& b) {
    return a.DoInfoFileSaved == b.DoInfoFileSaved &&
           a.ConfirmDeleteChecked == b.ConfirmDeleteChecked &&
           a.ChannelSeparator == b.ChannelSeparator && a.RootSeparator == b.RootSeparator &&
           a.FreeDragAndDropAllowed == b.FreeDragAndDropAllowed &&
           a.CodepageIndex == b.CodepageIndex && a.ForcedCodePage == b.ForcedCodePage;
}

} // namespace

class TestSettingsWindows : public QObject {
    Q_OBJECT

    QList<int> FHelpPages;

private Q_SLOTS:
    void init() {
        ResetSettings();
        FHelpPages.clear();
        ShowHelpPageHook = [this](int page) { FHelpPages.append(page); };
        TDialogSeam::Install();
        TDialogSeam::ClearShown();
    }
    void cleanup() {
        ShowHelpPageHook = nullptr;
        TDialogSeam::ClearShown();
        TDialogSeam::Uninstall();
    }

    void settingsShowsRecordWithOKDisabled() {
        Settings().DoInfoFileSaved = false;
        Settings().FreeDragAndDropAllowed = true;
        Settings().ChannelSeparator = QStringLiteral("\" a \"");
        TfrmSettings dialog;
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Settings"));
        QVERIFY(!Child<QCheckBox>(&dialog, "chbDoInfoFileSaved")->isChecked());
        QCOMPARE(Child<QCheckBox>(&dialog, "chbDoInfoFileSaved")->text(),
                 QStringLiteral("When &File is Saved"));
        QVERIFY(Child<QCheckBox>(&dialog, "chbConfirmDeleteChecked")->isChecked());
        QVERIFY(Child<QCheckBox>(&dialog, "chbFreeDragAndDropAllowed")->isChecked());
        QCOMPARE(Child<QLineEdit>(&dialog, "edtChannelSeparator")->text(),
                 QStringLiteral("\" a \""));
        QCOMPARE(Child<QLineEdit>(&dialog, "edtRootSeparator")->text(),
                 QStringLiteral("   >>>>>>"));
        QPushButton* ok = Child<QPushButton>(&dialog, "btnOK");
        QVERIFY(ok->isDefault());
        QVERIFY(!ok->isEnabled());
        // Enter on a disabled default button closes nothing.
        QTest::keyClick(&dialog, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
    }

    void buttonsKeepTheirCaptions_data() {
        QTest::addColumn<bool>("codePage");
        QTest::newRow("settings") << false;
        QTest::newRow("code page") << true;
    }
    void buttonsKeepTheirCaptions() {
        QFETCH(bool, codePage);
        std::unique_ptr<QDialog> dialog;
        if (codePage)
            dialog = std::make_unique<TfrmCodePage>();
        else
            dialog = std::make_unique<TfrmSettings>();
        dialog->show();
        const std::pair<const char*, const char*> buttons[] = {
            {"btnOK", "&OK"}, {"btnCancel", "&Cancel"}, {"btnHelp", "&Help"}};
        for (const auto& [name, caption] : buttons) {
            QPushButton* button = Child<QPushButton>(dialog.get(), name);
            QVERIFY2(button, name);
            QCOMPARE(button->text(), QLatin1String(caption));
            QCOMPARE(button->isDefault(), button->objectName() == QLatin1String("btnOK"));
        }
    }

    void settingsAnyChangeEnablesOK_data() {
        QTest::addColumn<QString>("control");
        QTest::newRow("file saved") << QStringLiteral("chbDoInfoFileSaved");
        QTest::newRow("delete checked") << QStringLiteral("chbConfirmDeleteChecked");
        QTest::newRow("free drag") << QStringLiteral("chbFreeDragAndDropAllowed");
        QTest::newRow("channel separator") << QStringLiteral("edtChannelSeparator");
        QTest::newRow("root separator") << QStringLiteral("edtRootSeparator");
    }
    void settingsAnyChangeEnablesOK() {
        QFETCH(QString, control);
        TfrmSettings dialog;
        dialog.show();
        QWidget* widget = Child<QWidget>(&dialog, control);
        QVERIFY(widget);
        if (auto* box = qobject_cast<QCheckBox*>(widget))
            box->click();
        else
            QTest::keyClicks(widget, QStringLiteral("x"));
        QVERIFY(Child<QPushButton>(&dialog, "btnOK")->isEnabled());
    }

    void settingsOKStoresExactlyAsTyped() {
        TfrmSettings dialog;
        dialog.show();
        Child<QCheckBox>(&dialog, "chbDoInfoFileSaved")->click();
        Child<QCheckBox>(&dialog, "chbFreeDragAndDropAllowed")->click();
        QLineEdit* channel = Child<QLineEdit>(&dialog, "edtChannelSeparator");
        channel->clear();
        QLineEdit* root = Child<QLineEdit>(&dialog, "edtRootSeparator");
        root->selectAll();
        QTest::keyClicks(root, QStringLiteral("  \"/\"  "));
        QTest::mouseClick(Child<QPushButton>(&dialog, "btnOK"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(Settings().DoInfoFileSaved, false);
        QCOMPARE(Settings().ConfirmDeleteChecked, true);
        QCOMPARE(Settings().FreeDragAndDropAllowed, true);
        QCOMPARE(Settings().ChannelSeparator, QString());
        QCOMPARE(Settings().RootSeparator, QStringLiteral("  \"/\"  "));
    }

    void settingsCancelAndEscapeChangeNothing_data() {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Esc") << true;
    }
    void settingsCancelAndEscapeChangeNothing() {
        QFETCH(bool, byEscape);
        const TSettings before = Settings();
        TfrmSettings dialog;
        dialog.show();
        Child<QCheckBox>(&dialog, "chbConfirmDeleteChecked")->click();
        QLineEdit* edit = Child<QLineEdit>(&dialog, "edtChannelSeparator");
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("zz"));
        if (byEscape)
            QTest::keyClick(edit, Qt::Key_Escape);
        else
            Child<QPushButton>(&dialog, "btnCancel")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QVERIFY(SameSettings(Settings(), before));
    }

    void settingsHelpByButtonAndF1() {
        TfrmSettings dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        Child<QPushButton>(&dialog, "btnHelp")->click();
        QLineEdit* edit = Child<QLineEdit>(&dialog, "edtRootSeparator");
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_F1);
        QTest::keyClick(edit, Qt::Key_F1, Qt::ShiftModifier); // not plain F1
        QCOMPARE(FHelpPages, QList<int>({HelpPageSettings, HelpPageSettings}));
        QCOMPARE(HelpPageSettings, 4);
        QVERIFY(dialog.isVisible());
    }

    void codePageShowsRecordWithOKDisabled_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("forced");
        QTest::addColumn<bool>("forcedChosen");
        QTest::addColumn<QString>("boxText");
        QTest::newRow("defaults") << 0 << -1 << false << QString();
        QTest::newRow("forced 1251") << 1 << 1251 << true << QStringLiteral("1251");
        QTest::newRow("ignored number shown") << 0 << 866 << false << QStringLiteral("866");
        QTest::newRow("hand-edited index") << 5 << 1250 << true << QStringLiteral("1250");
    }
    void codePageShowsRecordWithOKDisabled() {
        QFETCH(int, index);
        QFETCH(int, forced);
        QFETCH(bool, forcedChosen);
        QFETCH(QString, boxText);
        Settings().CodepageIndex = index;
        Settings().ForcedCodePage = forced;
        TfrmCodePage dialog;
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Force CodePage"));
        QCOMPARE(dialog.size(), QSize(440, 204));
        QCOMPARE(Child<QGroupBox>(&dialog, "rgCodePage")->title(),
                 QStringLiteral("&Select Codepage"));
        QRadioButton* system = Child<QRadioButton>(&dialog, "rbSystemCodePage");
        QCOMPARE(system->text(),
                 QStringLiteral("Default system CodePage: %1").arg(SystemAnsiCodePage()));
        QCOMPARE(Child<QRadioButton>(&dialog, "rbForcedCodePage")->text(),
                 QStringLiteral("Force another Codepage:"));
        QCOMPARE(system->isChecked(), !forcedChosen);
        QCOMPARE(Child<QRadioButton>(&dialog, "rbForcedCodePage")->isChecked(), forcedChosen);
        QCOMPARE(Child<QLineEdit>(&dialog, "edtCodePage")->text(), boxText);
        QVERIFY(!Child<QPushButton>(&dialog, "btnOK")->isEnabled());
    }

    void codePageBoxTakesDigitsOnly() {
        TfrmCodePage dialog;
        dialog.show();
        QLineEdit* box = Child<QLineEdit>(&dialog, "edtCodePage");
        QTest::keyClicks(box, QStringLiteral("-12a.5x"));
        QCOMPARE(box->text(), QStringLiteral("125"));
    }

    void codePageOKStoresChoice_data() {
        QTest::addColumn<bool>("chooseForced");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("forced");
        QTest::newRow("force 1251") << true << QStringLiteral("1251") << 1 << 1251;
        QTest::newRow("force UTF-8") << true << QStringLiteral("65001") << 1 << 65001;
        QTest::newRow("leading zero") << true << QStringLiteral("0866") << 1 << 866;
        QTest::newRow("default with empty box") << false << QString() << 0 << -1;
        QTest::newRow("default keeps typed number") << false << QStringLiteral("1250") << 0 << 1250;
    }
    void codePageOKStoresChoice() {
        QFETCH(bool, chooseForced);
        QFETCH(QString, typed);
        QFETCH(int, index);
        QFETCH(int, forced);
        Settings().CodepageIndex = chooseForced ? 0 : 1;
        Settings().ForcedCodePage = 437;
        TfrmCodePage dialog;
        dialog.show();
        Child<QRadioButton>(&dialog, chooseForced ? "rbForcedCodePage" : "rbSystemCodePage")
            ->click();
        QVERIFY(Child<QPushButton>(&dialog, "btnOK")->isEnabled());
        QLineEdit* box = Child<QLineEdit>(&dialog, "edtCodePage");
        box->selectAll();
        if (typed.isEmpty())
            QTest::keyClick(box, Qt::Key_Delete);
        else
            QTest::keyClicks(box, typed);
        QTest::mouseClick(Child<QPushButton>(&dialog, "btnOK"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Settings().CodepageIndex, index);
        QCOMPARE(Settings().ForcedCodePage, forced);
        QCOMPARE(EffectiveCodePage(), index ? forced : SystemAnsiCodePage());
        QVERIFY(TDialogSeam::Shown().empty());
    }

    void codePageChoosingTheSelectedItemEnablesOK() {
        TfrmCodePage dialog;
        dialog.show();
        Child<QRadioButton>(&dialog, "rbSystemCodePage")->click();
        QVERIFY(Child<QPushButton>(&dialog, "btnOK")->isEnabled());
        Child<QPushButton>(&dialog, "btnOK")->click();
        QCOMPARE(Settings().CodepageIndex, 0);
        QCOMPARE(Settings().ForcedCodePage, -1);
    }

    void codePageRefusesNumbersThatAreNoCodePage_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("beyond 32 bits") << QStringLiteral("99999999999");
        QTest::newRow("just beyond int") << QStringLiteral("2147483648");
        QTest::newRow("no such code page") << QStringLiteral("12345");
        QTest::newRow("wide code page") << QStringLiteral("1200");
    }
    void codePageRefusesNumbersThatAreNoCodePage() {
        QFETCH(QString, typed);
        QVERIFY(!IsKnownCodePage(typed.toInt()));
        Settings().CodepageIndex = 0;
        Settings().ForcedCodePage = 1250;
        const TSettings before = Settings();
        TfrmCodePage dialog;
        dialog.show();
        Child<QRadioButton>(&dialog, "rbForcedCodePage")->click();
        QLineEdit* box = Child<QLineEdit>(&dialog, "edtCodePage");
        box->selectAll();
        QTest::keyClicks(box, typed);
        QCOMPARE(box->text(), typed);
        Child<QPushButton>(&dialog, "btnOK")->click();

        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        QVERIFY(SameSettings(Settings(), before));
        QCOMPARE(TDialogSeam::Shown().size(), size_t(1));
        QCOMPARE(TDialogSeam::Shown().front().Kind, TMessageKind::Error);
        QVERIFY2(TDialogSeam::Shown().front().Text.contains(typed),
                 qPrintable(TDialogSeam::Shown().front().Text));

        // Corrected, the same dialog takes it.
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("1251"));
        Child<QPushButton>(&dialog, "btnOK")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Settings().CodepageIndex, 1);
        QCOMPARE(Settings().ForcedCodePage, 1251);
    }

    void codePageCancelEscapeAndHelp() {
        Settings().CodepageIndex = 1;
        Settings().ForcedCodePage = 1251;
        const TSettings before = Settings();
        for (bool byEscape : {false, true}) {
            TfrmCodePage dialog;
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            Child<QRadioButton>(&dialog, "rbSystemCodePage")->click();
            QLineEdit* box = Child<QLineEdit>(&dialog, "edtCodePage");
            box->setFocus();
            QTest::keyClicks(box, QStringLiteral("7"));
            QTest::keyClick(box, Qt::Key_F1);
            Child<QPushButton>(&dialog, "btnHelp")->click();
            if (byEscape)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                Child<QPushButton>(&dialog, "btnCancel")->click();
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QVERIFY(SameSettings(Settings(), before));
        }
        QCOMPARE(FHelpPages, QList<int>({1, 1, 1, 1}));
    }

    // The number is only used, and so only checked, when "Force another Codepage:" is chosen.
    // The window runs its own exec(); the keys go through it as a user types them.
    void codePageWithTheSystemPageChosenTakesAnyNumber_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored"); // the ForcedCodePage kept afterwards
        QTest::newRow("no such code page") << QStringLiteral("12345") << 12345;
        QTest::newRow("wide code page") << QStringLiteral("1200") << 1200;
        QTest::newRow("too large to keep") << QStringLiteral("99999999999") << 437;
    }
    void codePageWithTheSystemPageChosenTakesAnyNumber() {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        Settings().CodepageIndex = 1;
        Settings().ForcedCodePage = 437;
        TfrmCodePage dialog;
        bool acted = false;
        QTimer::singleShot(0, &dialog, [&] {
            acted = true;
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            Child<QRadioButton>(&dialog, "rbSystemCodePage")->click();
            QLineEdit* box = Child<QLineEdit>(&dialog, "edtCodePage");
            box->setFocus();
            box->selectAll();
            for (const QChar digit : typed)
                QTest::keyClick(dialog.windowHandle(), digit.toLatin1());
            QCOMPARE(box->text(), typed);
            QTest::keyClick(dialog.windowHandle(), Qt::Key_Return); // OK is the default button
        });
        // A window that stays open would hang the test; it is closed as a failure instead.
        QTimer::singleShot(20000, &dialog, [&] { dialog.done(-1); });
        const int result = dialog.exec();
        QVERIFY(acted);
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(Settings().CodepageIndex, 0);
        QCOMPARE(Settings().ForcedCodePage, stored);
        QCOMPARE(EffectiveCodePage(), SystemAnsiCodePage());
        QVERIFY(TDialogSeam::Shown().empty());
    }

    // Start-up with a settings file that stands there but cannot be read: the user is told
    // which file and why before anything else, the run goes on with the defaults, and the
    // end of the run leaves the file alone.
    void startupWithAnUnreadableSettingsFileTellsTheUser() {
        QTemporaryDir data;
        QVERIFY(data.isValid());
        const QByteArray oldHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        const QString ini = SettingsFileName();
        QVERIFY(QDir().mkpath(ini + QStringLiteral("/inside")));

        const bool started = CheckViewerDataFolder();
        const std::vector<TShownMessage> shown = TDialogSeam::Shown();
        SaveSettings(); // as the end of the run does
        qputenv("XDG_DATA_HOME", oldHome);

        // No viewer runs here, so the check asks for one and then gives up, as on a first run.
        QVERIFY(!started);
        QCOMPARE(shown.size(), size_t(2));
        QCOMPARE(shown[0].Kind, TMessageKind::Warning);
        QVERIFY2(
            shown[0].Text.startsWith(
                QStringLiteral("Cannot open file \"%1\". ").arg(QDir::toNativeSeparators(ini))),
            qPrintable(shown[0].Text));
        QVERIFY2(shown[0].Text.contains(QStringLiteral("default settings")),
                 qPrintable(shown[0].Text));
        QCOMPARE(shown[1].Text, LaunchViewerMessage());
        QCOMPARE(Settings().PathMode, quint8(2));
        QVERIFY(QFileInfo(ini + QStringLiteral("/inside")).isDir());
    }
};

QTEST_MAIN(TestSettingsWindows)
#include "tst_settingswindows.moc"

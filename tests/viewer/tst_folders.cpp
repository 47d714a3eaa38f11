#include "ViewerFixtures.h"
#include "common/GuiTest.h"
#include "platform/URunningObjects.h"
#include "platform/URuntimeFolder.h"
#include "platform/UShellOpen.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "viewer/UFolders.h"
#include "viewer/UViewerEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestFolders : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void showsTheFoldersWithOKDisabled();
    void okStoresBothEditsAndCancelNothing();
    void browseReplacesTheWorkFolder();
    void detectFollowsTheRunningViewer();
    void detectNeverWaitsForAViewerThatHangs();
    void linksOpenTheFolders();
    void placeComesFromAndGoesToTheSettings();
    void escapeCancels();

private:
    QTemporaryDir FDir;
    QStringList FOpened;
};

void TestFolders::init() {
    ResetSettings();
    TDialogSeam::Install();
    QDir(RuntimeFolder()).removeRecursively();
    Settings().DVBViewerDataFolder = QStringLiteral("/viewer/data/");
    Settings().DefaultWorkFolder = QStringLiteral("/work/lists");
    FOpened.clear();
    SetShellOpenHandler([this](const QString& path) { FOpened << path; });
}

void TestFolders::cleanup() {
    SetShellOpenHandler(nullptr);
    TDialogSeam::Uninstall();
}

void TestFolders::showsTheFoldersWithOKDisabled() {
    TfrmFolders form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Folders"));
    form.show();
    QCOMPARE(Child<QLineEdit>(&form, "edtDVBViewerDataFolder")->text(),
             QStringLiteral("/viewer/data/"));
    QVERIFY(Child<QLineEdit>(&form, "edtDVBViewerDataFolder")->isReadOnly());
    QCOMPARE(Child<QLineEdit>(&form, "edtDefaultWorkFolder")->text(),
             QStringLiteral("/work/lists"));
    QVERIFY(!Child<QPushButton>(&form, "btnOK")->isEnabled());
    QVERIFY(Child<QPushButton>(&form, "btnOK")->isDefault());
    QVERIFY(!Child<QPushButton>(&form, "btnDetect")->isEnabled());
    QCOMPARE(form.focusWidget(), Child<QPushButton>(&form, "btnBrowse"));
    QCOMPARE(Child<QTimer>(&form, "tiDetect")->interval(), 500);

    const std::pair<const char*, const char*> texts[] = {
        {"btnDetect", "&Detect"},
        {"btnBrowse", "&Browse"},
        {"btnOK", "&OK"},
        {"btnCancel", "&Cancel"},
        {"llDataFolder", "Orvane Data Folder"},
        {"llDVBViewerDataFolder", "DVBVBiewer  Data Folder"},
    };
    for (const auto& [name, text] : texts) {
        auto* button = Child<QPushButton>(&form, name);
        QVERIFY2(button, name);
        QCOMPARE(button->text(), QLatin1String(text));
    }
    QCOMPARE(Child<QLabel>(&form, "lblDVBViewerDataFolder")->text(),
             QStringLiteral("DVBViewer Data Folder:"));
    QCOMPARE(Child<QLabel>(&form, "lblDefaultWorkFolder")->text(),
             QStringLiteral("Default &work folder"));
    QVERIFY(Child<QLineEdit>(&form, "edtDefaultWorkFolder"));

    if (const QString shot = qEnvironmentVariable("ORVANE_SCREENSHOT"); !shot.isEmpty())
        form.grab().save(shot);
}

void TestFolders::okStoresBothEditsAndCancelNothing() {
    {
        TfrmFolders form;
        form.show();
        Child<QLineEdit>(&form, "edtDefaultWorkFolder")->setText(QStringLiteral("/elsewhere"));
        QVERIFY(Child<QPushButton>(&form, "btnOK")->isEnabled());
        Child<QPushButton>(&form, "btnCancel")->click();
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QCOMPARE(Settings().DefaultWorkFolder, QStringLiteral("/work/lists"));
    }
    TfrmFolders form;
    form.show();
    Child<QLineEdit>(&form, "edtDefaultWorkFolder")->setText(QStringLiteral("/elsewhere"));
    Child<QPushButton>(&form, "btnOK")->click();
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(Settings().DefaultWorkFolder, QStringLiteral("/elsewhere"));
    QCOMPARE(Settings().DVBViewerDataFolder, QStringLiteral("/viewer/data/"));
}

void TestFolders::browseReplacesTheWorkFolder() {
    TfrmFolders form;
    form.show();
    TDialogSeam::AddFileName(QString()); // the user cancels the picker
    Child<QPushButton>(&form, "btnBrowse")->click();
    QCOMPARE(Child<QLineEdit>(&form, "edtDefaultWorkFolder")->text(),
             QStringLiteral("/work/lists"));
    QVERIFY(!Child<QPushButton>(&form, "btnOK")->isEnabled());
    TDialogSeam::AddFileName(QStringLiteral("/picked/folder"));
    Child<QPushButton>(&form, "btnBrowse")->click();
    QCOMPARE(Child<QLineEdit>(&form, "edtDefaultWorkFolder")->text(),
             QStringLiteral("/picked/folder"));
    QVERIFY(Child<QPushButton>(&form, "btnOK")->isEnabled());
    QCOMPARE(TDialogSeam::UnansweredQuestions(), 0);
}

void TestFolders::detectFollowsTheRunningViewer() {
    QVERIFY(FDir.isValid());
    TfrmFolders form;
    form.show();
    form.tiDetectTimer();
    QVERIFY(!Child<QPushButton>(&form, "btnDetect")->isEnabled());

    TStandinProcess standin;
    QVERIFY2(standin.Start(FDir.path()), qPrintable(standin.Error()));
    // The window's own timer notices the viewer.
    QTRY_VERIFY_WITH_TIMEOUT(Child<QPushButton>(&form, "btnDetect")->isEnabled(), 3000);
    Child<QPushButton>(&form, "btnDetect")->click();
    QTRY_COMPARE(Child<QLineEdit>(&form, "edtDVBViewerDataFolder")->text(),
                 QDir(FDir.path()).absolutePath() + u'/');
    QVERIFY(Child<QPushButton>(&form, "btnOK")->isEnabled());
    QVERIFY(!form.Detecting());

    QVERIFY(standin.Terminate());
    QTRY_VERIFY_WITH_TIMEOUT(!Child<QPushButton>(&form, "btnDetect")->isEnabled(), 3000);
    // Clicked anyway (before a tick): the viewer folder edit empties, no error.
    Child<QPushButton>(&form, "btnDetect")->setEnabled(true);
    Child<QPushButton>(&form, "btnDetect")->click();
    QCOMPARE(Child<QLineEdit>(&form, "edtDVBViewerDataFolder")->text(), QString());
    QVERIFY(TDialogSeam::Shown().empty());
}

void TestFolders::detectNeverWaitsForAViewerThatHangs() {
    QVERIFY(FDir.isValid());
    TFakeViewer hung(FDir.filePath(QStringLiteral("hung.sock")), TFakeBehaviour::Silent);
    QVERIFY(hung.Listening());
    RegisterRunningObject(ViewerActiveObjectName(), hung.SocketPath());
    TfrmFolders form;
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTRY_VERIFY_WITH_TIMEOUT(Child<QPushButton>(&form, "btnDetect")->isEnabled(), 3000);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(Child<QPushButton>(&form, "btnDetect"), Qt::LeftButton);
    // Far below the 2 s the viewer is given to answer.
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(form.Detecting());
    // The window goes on meanwhile: the focus stays where it was, and typing reaches the
    // work folder edit.
    QCOMPARE(QApplication::focusWidget(), Child<QPushButton>(&form, "btnDetect"));
    Child<QLineEdit>(&form, "edtDefaultWorkFolder")->setFocus();
    for (const char c : {'/', 'x'})
        QTest::keyClick(form.windowHandle(), c);
    QCOMPARE(Child<QLineEdit>(&form, "edtDefaultWorkFolder")->text(),
             QStringLiteral("/work/lists/x"));
    // A click while it waits asks nothing more.
    QVERIFY(Child<QPushButton>(&form, "btnDetect")->isEnabled());
    Child<QPushButton>(&form, "btnDetect")->click();
    QTRY_COMPARE_WITH_TIMEOUT(TDialogSeam::Shown().size(), size_t(1), 10000);
    QVERIFY2(TDialogSeam::Shown()[0].Text.contains(QStringLiteral("did not reply within")),
             qPrintable(TDialogSeam::Shown()[0].Text));
    QCOMPARE(Child<QLineEdit>(&form, "edtDVBViewerDataFolder")->text(),
             QStringLiteral("/viewer/data/"));
    QCOMPARE(hung.Accepted(), 1);
    QVERIFY(!form.Detecting());
    UnregisterRunningObject(ViewerActiveObjectName());
}

void TestFolders::linksOpenTheFolders() {
    TfrmFolders form;
    form.show();
    Child<QPushButton>(&form, "llDataFolder")->click();
    Child<QPushButton>(&form, "llDVBViewerDataFolder")->click();
    QCOMPARE(FOpened, QStringList({GetProgramDataFolder(), QStringLiteral("/viewer/data/")}));
}

void TestFolders::placeComesFromAndGoesToTheSettings() {
    Settings().frmFoldersLeft = 321;
    Settings().frmFoldersTop = 123;
    TfrmFolders form;
    form.show();
    QCOMPARE(form.pos(), QPoint(321, 123));
    form.move(40, 60);
    form.hide();
    QCOMPARE(Settings().frmFoldersLeft, 40);
    QCOMPARE(Settings().frmFoldersTop, 60);
}

void TestFolders::escapeCancels() {
    TfrmFolders form;
    form.show();
    Child<QLineEdit>(&form, "edtDefaultWorkFolder")->setText(QStringLiteral("/elsewhere"));
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QCOMPARE(Settings().DefaultWorkFolder, QStringLiteral("/work/lists"));
}

QTEST_MAIN(TestFolders)
#include "tst_folders.moc"

#include "common/GuiTest.h"
#include "common/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// The helpers' own failures, each in a case of its own. They run in a child process, since a
// failing case fails the process that runs it; the parent reads what the child reported.
class TFailingCases : public QObject {
    Q_OBJECT

    QWidget FWindow;

public:
    TFailingCases() {
        auto* on = new QAction(&FWindow);
        on->setObjectName(QStringLiteral("actOn"));
        auto* off = new QAction(&FWindow);
        off->setObjectName(QStringLiteral("actOff"));
        off->setEnabled(false);
    }

private Q_SLOTS:
    void enabledAction() { QVERIFY(Trigger(&FWindow, QStringLiteral("actOn"))); }
    void missingAction() { QVERIFY(Trigger(&FWindow, QStringLiteral("actMissing"))); }
    void disabledAction() { QVERIFY(Trigger(&FWindow, QStringLiteral("actOff"))); }
    void noActionAtAll() { QVERIFY(Trigger(static_cast<QAction*>(nullptr))); }
    // The command ran without a modal window, and the loop ran afterwards.
    void modalNeverOpened() {
        const auto modal = WhenModal([](QWidget*) {});
        QCoreApplication::processEvents();
    }
    // The test ended before the loop ran at all.
    void modalNeverCame() {
        const auto modal = WhenModal([](QWidget*) {});
    }
    void modalPolledInVain() {
        const auto modal = WhenModal([](QWidget*) {}, {.Poll = true});
        // Waits until the driver gave up, which fails the case.
        QTRY_VERIFY_WITH_TIMEOUT(QTest::currentTestFailed(), 10000);
    }
};

// How the helpers behave, as a test that uses them sees it.
class TestGuiHelpers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void triggerRunsTheEnabledAction() {
        QWidget window;
        auto* action = new QAction(&window);
        action->setObjectName(QStringLiteral("actRun"));
        int runs = 0;
        connect(action, &QAction::triggered, this, [&runs] { ++runs; });
        QVERIFY(Trigger(&window, QStringLiteral("actRun")));
        QVERIFY(Trigger(action));
        QCOMPARE(runs, 2);
    }

    void childFindsByObjectNameAndType() {
        QWidget window;
        auto* action = new QAction(&window);
        action->setObjectName(QStringLiteral("same"));
        auto* dialog = new QDialog(&window);
        dialog->setObjectName(QStringLiteral("same"));
        QCOMPARE(Child<QDialog>(&window, "same"), dialog);
        QCOMPARE(Child<QAction>(&window, "same"), action);
        QTest::ignoreMessage(QtWarningMsg, "no QAction named other");
        QCOMPARE(Child<QAction>(&window, "other"), nullptr);
    }

    void childLooksWithinTheWindowOnly() {
        QWidget window;
        auto* popup = new QMenu(&window);
        auto* inPopup = popup->addAction(QStringLiteral("In popup"));
        inPopup->setObjectName(QStringLiteral("actInPopup"));
        auto* frame = new QWidget(&window);
        auto* nested = new QPushButton(frame);
        nested->setObjectName(QStringLiteral("btnNested"));
        auto* owned = new QDialog(&window);
        owned->setObjectName(QStringLiteral("dlgOwned"));
        auto* inOwned = new QPushButton(owned);
        inOwned->setObjectName(QStringLiteral("btnOwn"));
        QCOMPARE(Child<QAction>(&window, "actInPopup"), inPopup);
        QCOMPARE(Child<QPushButton>(&window, "btnNested"), nested);
        QCOMPARE(Child<QDialog>(&window, "dlgOwned"), owned);
        QCOMPARE(Child<QPushButton>(owned, "btnOwn"), inOwned);
        QTest::ignoreMessage(QtWarningMsg, "no QPushButton named btnOwn");
        QCOMPARE(Child<QPushButton>(&window, "btnOwn"), nullptr);
    }

    void childRefusesANameTwoChildrenShare() {
        QWidget window;
        auto* first = new QPushButton(&window);
        first->setObjectName(QStringLiteral("btnTwice"));
        auto* frame = new QWidget(&window);
        auto* second = new QPushButton(frame);
        second->setObjectName(QStringLiteral("btnTwice"));
        QTest::ignoreMessage(QtWarningMsg, "more than one QPushButton named btnTwice");
        QCOMPARE(Child<QPushButton>(&window, "btnTwice"), nullptr);
        // The same name on another type is no clash.
        auto* action = new QAction(&window);
        action->setObjectName(QStringLiteral("btnTwice"));
        QCOMPARE(Child<QAction>(&window, "btnTwice"), action);
        QCOMPARE(NamesSharedWithinWindow(&window), QStringList{u"btnTwice (widget)"_s});
        QCOMPARE(NamesOnSeveralKinds(&window), QStringList{u"btnTwice"_s});
        // Another window's names are its own.
        auto* owned = new QDialog(&window);
        auto* inOwned = new QPushButton(owned);
        inOwned->setObjectName(QStringLiteral("btnTwice"));
        QCOMPARE(NamesSharedWithinWindow(&window), QStringList{u"btnTwice (widget)"_s});
        first->setObjectName(QStringLiteral("btnFirst"));
        QCOMPARE(NamesSharedWithinWindow(&window), QStringList());
        QCOMPARE(NamesOnSeveralKinds(&window), QStringList{u"btnTwice"_s});
        action->setObjectName(QStringLiteral("actTwice"));
        QCOMPARE(NamesOnSeveralKinds(&window), QStringList());
    }

    void whenModalActsInTheWindowAndClosesIt_data() {
        QTest::addColumn<bool>("poll");
        QTest::addColumn<int>("delayMs");
        QTest::newRow("at once") << false << 0;
        QTest::newRow("polled, opened later") << true << 200;
    }
    void whenModalActsInTheWindowAndClosesIt() {
        QFETCH(bool, poll);
        QFETCH(int, delayMs);
        QDialog dialog;
        dialog.setObjectName(QStringLiteral("dlgShown"));
        QString seen;
        const auto modal =
            WhenModal([&seen](QWidget* w) { seen = w->objectName(); }, {.Poll = poll});
        // Only a polling driver may be started before the loop runs without the window.
        if (delayMs > 0)
            QTest::qWait(delayMs);
        // exec() returns only because the driver closed the window after the body.
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(modal->Ran());
        QCOMPARE(seen, QStringLiteral("dlgShown"));
    }

    void whenModalCanLeaveTheWindowToTheBody() {
        QDialog dialog;
        const auto modal =
            WhenModal([](QWidget* w) { QVERIFY(w->isVisible()); }, {.CloseAfter = false});
        // Left open, the window is closed from outside, later than the body ran.
        QTimer::singleShot(300, &dialog, &QDialog::accept);
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY(modal->Ran());
    }

    void helpersFailNamingWhatWentWrong_data() {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("message"); // empty: the case passes
        QTest::newRow("enabled") << u"enabledAction"_s << QString();
        QTest::newRow("missing") << u"missingAction"_s << u"no action actMissing"_s;
        QTest::newRow("disabled") << u"disabledAction"_s << u"action actOff is disabled"_s;
        QTest::newRow("no action") << u"noActionAtAll"_s << u"no action to trigger"_s;
        QTest::newRow("no modal") << u"modalNeverOpened"_s << u"no modal window opened"_s;
        QTest::newRow("test ended first")
            << u"modalNeverCame"_s << u"the modal window never came"_s;
        QTest::newRow("polled in vain") << u"modalPolledInVain"_s << u"no modal window opened"_s;
    }
    void helpersFailNamingWhatWentWrong() {
        QFETCH(QString, function);
        QFETCH(QString, message);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ORVANE_FAILING_CASES"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        // The child's log goes to a file: under Wine what a test prints never reaches the pipe.
        QTemporaryDir logFolder;
        QVERIFY(logFolder.isValid());
        const QString log = logFolder.filePath(u"child.txt"_s);
        child.start(QCoreApplication::applicationFilePath(),
                    {function, u"-o"_s, QDir::toNativeSeparators(log) + u",txt"_s});
        QVERIFY(child.waitForFinished(30000));
        const QString out = QString::fromUtf8(child.readAll() + ReadWholeFile(log));
        if (message.isEmpty()) {
            QVERIFY2(child.exitCode() == 0, qPrintable(out));
            return;
        }
        QVERIFY2(child.exitCode() != 0, qPrintable(out));
        const QString line = u"FAIL!  : TFailingCases::"_s + function + u"() "_s + message;
        QVERIFY2(out.contains(line), qPrintable(out));
        // The failure points at the test's own line, not at the helper.
        QVERIFY2(out.contains(u"tst_guihelpers.cpp"_s), qPrintable(out));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("ORVANE_FAILING_CASES")) {
        TFailingCases cases;
        return QTest::qExec(&cases, argc, argv);
    }
    TestGuiHelpers test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_guihelpers.moc"

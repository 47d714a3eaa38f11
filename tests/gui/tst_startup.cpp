#include "platform/USingleInstance.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "viewer/UViewerStartup.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString ProgramPath() {
#ifdef Q_OS_WIN
    return qEnvironmentVariable("ORVANE_BINARY_DIR") + QStringLiteral("/src/app/orvane.exe");
#else
    return qEnvironmentVariable("ORVANE_BINARY_DIR") + QStringLiteral("/src/app/orvane");
#endif
}

// The program with its own data folder; the runtime folder (and so the instance lock) is the
// test's.
void StartProgram(QProcess& process, const QString& dataHome) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Killing the waiting program would otherwise be reported as its leak.
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(ProgramPath(), QStringList());
}

// Where the started program keeps its files: in the data home given to it, and on Windows in
// the machine's program data folder (a fresh one for each test under Wine).
QString ProgramDataHome(const QTemporaryDir& data) {
#ifdef Q_OS_WIN
    Q_UNUSED(data);
    return QDir::fromNativeSeparators(qEnvironmentVariable("ProgramData"));
#else
    return data.path();
#endif
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFileInfo::exists(ProgramPath()), qPrintable(ProgramPath())); }

    void secondInstanceLeavesAtOnceWithoutTouchingAnything() {
        TSingleInstance first;
        QVERIFY(first.TryAcquire());
        QTemporaryDir data;
        QProcess second;
        StartProgram(second, data.path());
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        // It left before the program data folder was even made.
        QVERIFY(!QFileInfo::exists(ProgramDataHome(data) + QStringLiteral("/Orvane")));
    }

    void firstStartSeedsTheHelpPagesAndWaitsForTheUser() {
        QTemporaryDir data;
        QProcess program;
        StartProgram(program, data.path());
        QVERIFY(program.waitForStarted());
        const QString page =
            ProgramDataHome(data) + QStringLiteral("/Orvane/Language/English/Main.rtf");
        QElapsedTimer waited;
        waited.start();
        while (!QFileInfo::exists(page) && waited.elapsed() < 30000 &&
               program.state() == QProcess::Running)
            QTest::qWait(100);
        QVERIFY(QFileInfo::exists(page));
        // Without a known data folder and no viewer, it waits for the user's OK; it has not
        // gone on to save settings or ended.
        QTest::qWait(500);
        QCOMPARE(program.state(), QProcess::Running);
        QVERIFY(!QFileInfo::exists(ProgramDataHome(data) + QStringLiteral("/Orvane/Orvane.Ini")));
        program.kill();
        program.waitForFinished();
    }

    // What the program waits on above: the start-up check it runs before the main window
    // shows, here in this process so that its question can be read.
    void startUpCheckAsksToLaunchTheViewer() {
        // The run's own fresh data folder holds no settings: the folder is not known yet.
        TDialogSeam::Install();
        const bool goesOn = CheckViewerDataFolder();
        const std::vector<TShownMessage> shown = TDialogSeam::Shown();
        TDialogSeam::Uninstall();

        QVERIFY(!goesOn); // no viewer came up: the program ends
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown.front().Kind, TMessageKind::Information);
        QCOMPARE(shown.front().Text, QStringLiteral("Orvane needs to know the DVBViewer data "
                                                    "folder.\r\nPlease launch DVBViewer, then "
                                                    "click OK."));
        QVERIFY(Settings().DVBViewerDataFolder.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"

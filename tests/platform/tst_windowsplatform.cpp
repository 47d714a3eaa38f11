// What only the Windows implementations of the platform layer do: the system's service
// manager, processes by executable name, the named-mutex instance guard, the ANSI code page
// and the file ownership checks through the access lists.

#include "platform/UCodePages.h"
#include "platform/UProcessInfo.h"
#include "platform/URuntimeFolder.h"
#include "platform/UServices.h"
#include "platform/USingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

class TestWindowsPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void processesAreFoundByExecutableName();
    void serviceManagerAnswersBeforeTheRegistry();
    void secondInstanceIsRefusedUntilTheFirstEnds();
    void ansiCodePageIsTheSystems();
    void ownFoldersAndFilesArePrivate();
};

void TestWindowsPlatform::initTestCase() {
#ifndef Q_OS_WIN
    QSKIP("These are the Windows implementations; the POSIX ones are tested in tst_platform");
#endif
}

void TestWindowsPlatform::processesAreFoundByExecutableName() {
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QVERIFY(IsProcessRunningByName(self));
    QVERIFY(IsProcessRunningByName(self.toUpper()));
    QVERIFY(!IsProcessRunningByName(QStringLiteral("no-such-program-4711.exe")));
    QVERIFY(IsProcessAlive(CurrentProcessId()));
}

void TestWindowsPlatform::serviceManagerAnswersBeforeTheRegistry() {
#ifdef Q_OS_WIN
    // The remote procedure call service runs on every Windows (and under Wine).
    QCOMPARE(QuerySystemServiceState(QString(), QStringLiteral("RpcSs")),
             std::optional<int>(int(SERVICE_RUNNING)));
    QCOMPARE(QueryServiceState(QStringLiteral("127.0.0.1"), QStringLiteral("RpcSs")),
             ServiceStateRunning);
    // A service the manager does not know is left to the registry of stand-ins.
    const QString standin = QStringLiteral("OrvaneTestRecorder");
    QCOMPARE(QuerySystemServiceState(QString(), standin), std::nullopt);
    QCOMPARE(QueryServiceState(QString(), standin), ServiceStateUnknown);
    RegisterService(standin, ServiceStateRunning);
    QCOMPARE(QueryServiceState(QString(), standin), ServiceStateRunning);
    UnregisterService(standin);
    QCOMPARE(QueryServiceState(QString(), standin), ServiceStateUnknown);
#endif
}

void TestWindowsPlatform::secondInstanceIsRefusedUntilTheFirstEnds() {
    {
        TSingleInstance first;
        QVERIFY(first.TryAcquire());
        TSingleInstance second;
        QVERIFY(!second.TryAcquire());
        QVERIFY(!second.IsHeld());
    }
    TSingleInstance third;
    QVERIFY(third.TryAcquire());
#ifdef Q_OS_WIN
    // The guard is the named mutex itself, visible to any process of the session.
    const std::wstring name = TSingleInstance::LockName().toStdWString();
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    QVERIFY(mutex != nullptr);
    CloseHandle(mutex);
#endif
}

void TestWindowsPlatform::ansiCodePageIsTheSystems() {
#ifdef Q_OS_WIN
    QCOMPARE(SystemAnsiCodePage(), int(GetACP()));
    // Qt without ICU knows no "windows-1253"; the system converts it by number.
    QVERIFY(IsKnownCodePage(1253));
    QCOMPARE(EncodeToCodePage(u"\u0391\u03B2 ERT", 1253), QByteArray("\xC1\xE2 ERT"));
    QCOMPARE(DecodeFromCodePage("\xC1\xE2", 1253), QStringLiteral(u"\u0391\u03B2"));
#endif
}

void TestWindowsPlatform::ownFoldersAndFilesArePrivate() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("private")) + u'/';
    QVERIFY(EnsurePrivateFolder(folder));
    const std::optional<TPathOwnership> info = PathOwnership(folder);
    QVERIFY(info.has_value());
    QVERIFY(info->IsDir);
    QCOMPARE(info->OwnerId, CurrentUserId());
    QVERIFY(IsPrivateFolder(folder));
    QFile file(folder + QStringLiteral("entry"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(IsPrivateFile(file.fileName()));
    QVERIFY(!PathOwnership(folder + QStringLiteral("missing")).has_value());
}

QTEST_GUILESS_MAIN(TestWindowsPlatform)
#include "tst_windowsplatform.moc"

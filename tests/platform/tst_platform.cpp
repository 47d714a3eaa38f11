#include "common/TestSupport.h"
#include "platform/UAutomationClient.h"
#include "platform/UOrvaneError.h"
#include "platform/UProcessInfo.h"
#include "platform/URunningObjects.h"
#include "platform/URuntimeFolder.h"
#include "platform/UServices.h"
#include "platform/USingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The pid of a process that has ended and been reaped: no process runs under it now.

qint64 PidOfFinishedProcess() {
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("echo $$")});
    p.waitForFinished();
    return p.readAllStandardOutput().trimmed().toLongLong();
}

// Far above the automation limit, for a loaded, sanitised build; only a hang reaches it.
constexpr int HangMs = AutomationTimeoutMs + 8000;

void WriteEntry(const QString& folder, const QString& name, const QByteArray& content) {
    QVERIFY(WriteWholeFile(folder + name, content));
}

// A server on its own thread, since the client under test blocks the calling one. Each
// connection gets the scripted reply once a request line came in (or at once for "close").
class TFakeServer : public QThread {
public:
    enum TMode { Reply, Silent, CloseAtOnce, CloseAfterRequest };

    TFakeServer(TMode mode, QByteArray reply = QByteArray())
        : FMode(mode), FReply(std::move(reply)) {
        FPath = RuntimeFolder() + QStringLiteral("fake-%1.sock").arg(++Counter);
    }
    ~TFakeServer() override {
        quit();
        wait();
    }

    const QString& Path() const { return FPath; }

    void StartAndWait() {
        QVERIFY(EnsurePrivateFolder(RuntimeFolder()));
        start();
        FReady.acquire();
    }

    QByteArray LastRequest() const { return FRequest; }

protected:
    void run() override {
        QLocalServer server;
        QLocalServer::removeServer(FPath);
        server.listen(FPath);
        QObject::connect(&server, &QLocalServer::newConnection, &server, [this, &server] {
            QLocalSocket* socket = server.nextPendingConnection();
            if (FMode == CloseAtOnce) {
                socket->abort();
                socket->deleteLater();
                return;
            }
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                if (!socket->canReadLine())
                    return;
                FRequest = socket->readLine().trimmed();
                if (FMode == Reply) {
                    socket->write(FReply);
                    socket->flush();
                } else if (FMode == CloseAfterRequest) {
                    socket->disconnectFromServer();
                }
            });
        });
        FReady.release();
        exec();
    }

private:
    static inline int Counter = 0;
    TMode FMode;
    QByteArray FReply;
    QString FPath;
    QSemaphore FReady;
    QByteArray FRequest;
};

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runtimeFolderFollowsXdgRuntimeDir();
    void runningObjectsListOnlyLiveWellFormedEntries();
    void runningObjectRegistrationRoundTrip();
    void runningObjectNamesMustStayInTheirFolder();
    void serviceState_data();
    void serviceState();
    void singleInstanceRefusesASecondHolder();
    void singleInstanceRunsUnguardedWithoutARuntimeFolder();
    void clientParsesGoodReplies();
    void clientFailsWithinTheLimit_data();
    void clientFailsWithinTheLimit();
    void clientRefusesMalformedTables_data();
    void clientRefusesMalformedTables();
    void callWithoutBlockingAnswersLater();
    void callWithoutBlockingFailsAlike_data();
    void callWithoutBlockingFailsAlike();
    void callWithoutBlockingCancelledReportsNothing();
    void runtimeEntriesThatAreNotPrivateAreNotBelieved_data();
    void runtimeEntriesThatAreNotPrivateAreNotBelieved();
};

void TestPlatform::runtimeFolderFollowsXdgRuntimeDir() {
#ifdef Q_OS_WIN
    // Nothing sets it on Windows; the rule is the same where somebody does.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QDir::tempPath().toLocal8Bit() + "/xdg-runtime");
#endif
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QVERIFY(!xdg.isEmpty());
    QCOMPARE(RuntimeFolder(), QDir::cleanPath(xdg) + QStringLiteral("/orvane/"));
    QCOMPARE(RunningObjectsFolder(), RuntimeFolder() + QStringLiteral("rot/"));

    qunsetenv("XDG_RUNTIME_DIR");
    const QString fallback = RuntimeFolder();
    qputenv("XDG_RUNTIME_DIR", xdg.toLocal8Bit());
    QCOMPARE(fallback, QDir::cleanPath(QDir::tempPath()) + QStringLiteral("/orvane-") +
                           QString::number(CurrentUserId()) + u'/');
}

void TestPlatform::runningObjectsListOnlyLiveWellFormedEntries() {
    const QString folder = RunningObjectsFolder();
    QVERIFY(EnsurePrivateFolder(folder));
    const QByteArray self = QByteArray::number(CurrentProcessId());
    WriteEntry(folder, QStringLiteral("live"), "{\"pid\":" + self + ",\"socket\":\"/x\"}");
    WriteEntry(folder, QStringLiteral("stale"),
               "{\"pid\":" + QByteArray::number(PidOfFinishedProcess()) + ",\"socket\":\"/x\"}");
    WriteEntry(folder, QStringLiteral("garbage"), "not json at all");
    WriteEntry(folder, QStringLiteral("nopid"), "{\"socket\":\"/x\"}");
    WriteEntry(folder, QStringLiteral("textpid"), "{\"pid\":\"" + self + "\",\"socket\":\"/x\"}");
    WriteEntry(folder, QStringLiteral("zero"), "{\"pid\":0,\"socket\":\"/x\"}");
    WriteEntry(folder, QStringLiteral("huge"), "{\"pid\":1e300,\"socket\":\"/x\"}");

    const std::vector<TRunningObject> entries = EnumerateRunningObjects();
    QCOMPARE(entries.size(), size_t(1));
    QCOMPARE(entries[0].DisplayName, QStringLiteral("live"));
    QCOMPARE(entries[0].Pid, CurrentProcessId());
    QCOMPARE(entries[0].Socket, QStringLiteral("/x"));
    QVERIFY(!FindRunningObject(QStringLiteral("stale")));
    QVERIFY(FindRunningObject(QStringLiteral("live")));

    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(EnumerateRunningObjects().empty());
}

void TestPlatform::runningObjectRegistrationRoundTrip() {
    const QString name = QStringLiteral("!{0000-test}");
    RegisterRunningObject(name, QStringLiteral("/tmp/some.sock"));
    std::optional<TRunningObject> entry = FindRunningObject(name);
    QVERIFY(entry);
    QCOMPARE(entry->Socket, QStringLiteral("/tmp/some.sock"));
    QCOMPARE(entry->Pid, CurrentProcessId());
    // Other users can neither read nor plant entries.
#ifdef Q_OS_WIN
    // Windows reports no mode bits; the folder's access list is what counts.
    QVERIFY(IsPrivateFolder(RunningObjectsFolder()));
#else
    QCOMPARE(QFile(RunningObjectsFolder()).permissions() &
                 (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
             QFile::Permissions());
#endif

    // An entry taken over by another process is not removed by the former owner.
    WriteEntry(RunningObjectsFolder(), name, "{\"pid\":1,\"socket\":\"/y\"}");
    UnregisterRunningObject(name);
    QVERIFY(QFile::exists(RunningObjectsFolder() + name));

    RegisterRunningObject(name, QStringLiteral("/tmp/some.sock"));
    UnregisterRunningObject(name);
    QVERIFY(!QFile::exists(RunningObjectsFolder() + name));
    QVERIFY(!FindRunningObject(name));
}

void TestPlatform::runningObjectNamesMustStayInTheirFolder() {
    for (const QString& bad :
         {QStringLiteral("../escape"), QStringLiteral(".."), QString(), QStringLiteral("a/b")}) {
        QVERIFY_THROWS_EXCEPTION(EFCreateError, RegisterRunningObject(bad, QStringLiteral("/s")));
        QVERIFY(!FindRunningObject(bad));
    }
    QVERIFY(!QFile::exists(RuntimeFolder() + QStringLiteral("escape")));
}

void TestPlatform::serviceState_data() {
    QTest::addColumn<QString>("machine");
    QTest::addColumn<QString>("service");
    QTest::addColumn<QByteArray>("entry"); // "" = no file; "$self" / "$dead" = that pid
    QTest::addColumn<int>("state");

    const QByteArray running = "{\"pid\":$self,\"state\":4}";
    QTest::newRow("running, 127.0.0.1") << "127.0.0.1"
                                        << "DVBVRecorder" << running << 4;
    QTest::newRow("running, localhost") << "localhost"
                                        << "DVBVRecorder" << running << 4;
    QTest::newRow("running, empty machine") << ""
                                            << "DVBVRecorder" << running << 4;
    QTest::newRow("other machine") << "192.168.1.2"
                                   << "DVBVRecorder" << running << -1;
    QTest::newRow("not installed") << "127.0.0.1"
                                   << "DVBVRecorder" << QByteArray() << -1;
    QTest::newRow("owner gone: stopped")
        << "127.0.0.1"
        << "DVBVRecorder" << QByteArray("{\"pid\":$dead,\"state\":4}") << 1;
    QTest::newRow("paused") << "127.0.0.1"
                            << "DVBVRecorder" << QByteArray("{\"pid\":$self,\"state\":7}") << 7;
    QTest::newRow("garbage") << "127.0.0.1"
                             << "DVBVRecorder" << QByteArray("{{{") << -1;
    QTest::newRow("state not a number")
        << "127.0.0.1"
        << "DVBVRecorder" << QByteArray("{\"pid\":$self,\"state\":\"4\"}") << -1;
    QTest::newRow("path in the name") << "127.0.0.1"
                                      << "../services/DVBVRecorder" << running << -1;
}

void TestPlatform::serviceState() {
    QFETCH(QString, machine);
    QFETCH(QString, service);
    QFETCH(QByteArray, entry);
    QFETCH(int, state);
    const QString folder = ServicesFolder();
    QDir(folder).removeRecursively();
    if (!entry.isEmpty()) {
        QVERIFY(EnsurePrivateFolder(folder));
        entry.replace("$self", QByteArray::number(CurrentProcessId()));
        entry.replace("$dead", QByteArray::number(PidOfFinishedProcess()));
        WriteEntry(folder, QStringLiteral("DVBVRecorder"), entry);
    }
    QCOMPARE(QueryServiceState(machine, service), state);
}

void TestPlatform::singleInstanceRefusesASecondHolder() {
    QVERIFY(TSingleInstance::LockName().startsWith(QStringLiteral("Orvane{")));
    QVERIFY(TSingleInstance::LockFileName().startsWith(RuntimeFolder()));
    {
        TSingleInstance first;
        QVERIFY(first.TryAcquire());
        TSingleInstance second;
        QVERIFY(!second.TryAcquire());
        QVERIFY(!second.IsHeld());
        QVERIFY(first.TryAcquire()); // already held
    }
    // The first holder has ended: the next one gets the lock.
    TSingleInstance third;
    QVERIFY(third.TryAcquire());
    QVERIFY(third.IsHeld());
}

void TestPlatform::singleInstanceRunsUnguardedWithoutARuntimeFolder() {
#ifdef Q_OS_WIN
    QSKIP("The Windows guard is a named mutex, which needs no folder");
#endif
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    // A plain file where the runtime folder should be: no lock can be made there.
    const QString blocker = QDir::tempPath() + QStringLiteral("/not-a-folder");
    QVERIFY(WriteWholeFile(blocker, "x"));
    qputenv("XDG_RUNTIME_DIR", blocker.toLocal8Bit());
    TSingleInstance instance;
    const bool mayRun = instance.TryAcquire();
    const bool held = instance.IsHeld();
    qputenv("XDG_RUNTIME_DIR", xdg);
    QVERIFY(mayRun);
    QVERIFY(!held);
}

void TestPlatform::clientParsesGoodReplies() {
    {
        TFakeServer server(TFakeServer::Reply, "{\"result\":\"/data/folder/\"}\n");
        server.StartAndWait();
        QCOMPARE(TAutomationClient(server.Path()).DataFolder(), QStringLiteral("/data/folder/"));
        QCOMPARE(server.LastRequest(), QByteArray("{\"call\":\"DataFolder\"}"));
    }
    {
        QByteArray row = "[0,0,0,1,4,3232235777,1234";
        for (int c = 7; c < 27; ++c)
            row += "," + QByteArray::number(c);
        row += ",99]"; // columns beyond 27 are allowed
        TFakeServer server(TFakeServer::Reply,
                           "{\"count\":2,\"rows\":[" + row + "," + row + "]}\n");
        server.StartAndWait();
        const TViewerChannelTable table = TAutomationClient(server.Path()).GetChannels();
        QCOMPARE(table.Rows.size(), size_t(2));
        QCOMPARE(table.Rows[1][3], qint64(1));
        QCOMPARE(table.Rows[1][4], qint64(4));
        QCOMPARE(table.Rows[1][5], qint64(3232235777));
        QCOMPARE(table.Rows[1][6], qint64(1234));
        QCOMPARE(table.Rows[1][26], qint64(26));
    }
    {
        TFakeServer server(TFakeServer::Reply, "{\"result\":true}\n");
        server.StartAndWait();
        TAutomationClient(server.Path()).SetCurrentChannelNr(17);
        QCOMPARE(server.LastRequest(),
                 QByteArray("{\"call\":\"SetCurrentChannelNr\",\"value\":17}"));
    }
}

void TestPlatform::clientFailsWithinTheLimit_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("garbage") << int(TFakeServer::Reply) << QByteArray("hello there\n")
                             << "cannot be read";
    QTest::newRow("binary garbage")
        << int(TFakeServer::Reply) << QByteArray("\x00\xff\xfe{\"result\n", 12) << "cannot be read";
    QTest::newRow("json array") << int(TFakeServer::Reply) << QByteArray("[1,2]\n")
                                << "cannot be read";
    QTest::newRow("error reply") << int(TFakeServer::Reply) << QByteArray("{\"error\":\"boom\"}\n")
                                 << "boom";
    QTest::newRow("reply without end of line, never finished")
        << int(TFakeServer::Reply) << QByteArray("{\"result\":\"/x/") << "did not reply";
    QTest::newRow("no reply") << int(TFakeServer::Silent) << QByteArray() << "did not reply";
    QTest::newRow("closes at once") << int(TFakeServer::CloseAtOnce) << QByteArray() << "";
    QTest::newRow("closes after the request")
        << int(TFakeServer::CloseAfterRequest) << QByteArray() << "without replying";
    QTest::newRow("wrong result type")
        << int(TFakeServer::Reply) << QByteArray("{\"result\":5}\n") << "no folder";
}

void TestPlatform::clientFailsWithinTheLimit() {
    QFETCH(int, mode);
    QFETCH(QByteArray, reply);
    QFETCH(QString, messagePart);
    TFakeServer server(static_cast<TFakeServer::TMode>(mode), reply);
    server.StartAndWait();
    QElapsedTimer clock;
    clock.start();
    try {
        TAutomationClient(server.Path()).DataFolder();
        QFAIL("no error raised");
    } catch (const EAutomationError& e) {
        QVERIFY2(e.Message().contains(messagePart), qPrintable(e.Message()));
        QVERIFY(e.Message().startsWith(QStringLiteral("DVBViewer automation (DataFolder): ")));
    }
    // The limit itself shows in the messages above; this only tells an end from a hang.
    QVERIFY2(clock.elapsed() < HangMs, qPrintable(QString::number(clock.elapsed())));
}

void TestPlatform::clientRefusesMalformedTables_data() {
    QTest::addColumn<QByteArray>("reply");
    QByteArray full = "[";
    for (int c = 0; c < 27; ++c)
        full += (c ? "," : "") + QByteArray::number(c);
    full += "]";
    QTest::newRow("no socket") << QByteArray();
    QTest::newRow("count above rows") << "{\"count\":2,\"rows\":[" + full + "]}\n";
    QTest::newRow("negative count") << QByteArray("{\"count\":-1,\"rows\":[]}\n");
    QTest::newRow("row too short") << QByteArray("{\"count\":1,\"rows\":[[1,2,3]]}\n");
    QTest::newRow("row not an array") << QByteArray("{\"count\":1,\"rows\":[7]}\n");
    QTest::newRow("cell not a number")
        << "{\"count\":1,\"rows\":[" + full.replace("[0,", "[\"x\",") + "]}\n";
    QTest::newRow("rows missing") << QByteArray("{\"count\":0}\n");
}

void TestPlatform::clientRefusesMalformedTables() {
    QFETCH(QByteArray, reply);
    if (reply.isEmpty()) {
        // A socket path where nothing listens: refused, not waited for.
        QElapsedTimer clock;
        clock.start();
        QVERIFY_THROWS_EXCEPTION(
            EAutomationError,
            TAutomationClient(RuntimeFolder() + QStringLiteral("nobody.sock")).GetChannels());
        QVERIFY(clock.elapsed() < HangMs);
        QVERIFY_THROWS_EXCEPTION(EAutomationError, GetActiveObject(QStringLiteral("!{nobody}")));
        return;
    }
    TFakeServer server(TFakeServer::Reply, reply);
    server.StartAndWait();
    QVERIFY_THROWS_EXCEPTION(EAutomationError, TAutomationClient(server.Path()).GetChannels());
}

void TestPlatform::callWithoutBlockingAnswersLater() {
    TFakeServer server(TFakeServer::Reply, "{\"result\":\"/data/folder/\"}\n");
    server.StartAndWait();
    TAutomationCall call(server.Path(), DataFolderRequest());
    QSignalSpy replied(&call, &TAutomationCall::Replied);
    QSignalSpy failed(&call, &TAutomationCall::Failed);
    call.Start();
    QVERIFY(replied.isEmpty()); // never from within Start
    QVERIFY(replied.wait(HangMs));
    QCOMPARE(replied.at(0).at(0).toByteArray(), QByteArray("{\"result\":\"/data/folder/\"}"));
    QCOMPARE(ParseDataFolderReply(replied.at(0).at(0).toByteArray()),
             QStringLiteral("/data/folder/"));
    QCOMPARE(server.LastRequest(), QByteArray("{\"call\":\"DataFolder\"}"));
    QCoreApplication::processEvents();
    QCOMPARE(replied.size(), 1);
    QVERIFY(failed.isEmpty());
}

void TestPlatform::callWithoutBlockingFailsAlike_data() {
    clientFailsWithinTheLimit_data();
}

void TestPlatform::callWithoutBlockingFailsAlike() {
    QFETCH(int, mode);
    QFETCH(QByteArray, reply);
    QFETCH(QString, messagePart);
    TFakeServer server(static_cast<TFakeServer::TMode>(mode), reply);
    server.StartAndWait();
    TAutomationCall call(server.Path(), DataFolderRequest());
    QSignalSpy replied(&call, &TAutomationCall::Replied);
    QSignalSpy failed(&call, &TAutomationCall::Failed);
    call.Start();
    QVERIFY(replied.isEmpty() && failed.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(replied.size() + failed.size() > 0, HangMs);
    // A reply that came is read as the blocking client reads it.
    QString message;
    if (!failed.isEmpty()) {
        message = failed.at(0).at(0).toString();
    } else {
        try {
            ParseDataFolderReply(replied.at(0).at(0).toByteArray());
        } catch (const EAutomationError& e) {
            message = e.Message();
        }
    }
    QVERIFY2(message.startsWith(QStringLiteral("DVBViewer automation (DataFolder): ")),
             qPrintable(message));
    QVERIFY2(message.contains(messagePart), qPrintable(message));
    QCoreApplication::processEvents();
    QCOMPARE(replied.size() + failed.size(), 1);
}

void TestPlatform::callWithoutBlockingCancelledReportsNothing() {
    TFakeServer server(TFakeServer::Silent);
    server.StartAndWait();
    TAutomationCall call(server.Path(), GetChannelsRequest(), 200);
    QSignalSpy failed(&call, &TAutomationCall::Failed);
    call.Start();
    call.Cancel();
    // A second call with the same limit shows when the first one would have failed.
    TAutomationCall witness(server.Path(), GetChannelsRequest(), 200);
    QSignalSpy witnessFailed(&witness, &TAutomationCall::Failed);
    witness.Start();
    QVERIFY(witnessFailed.wait(HangMs));
    QTest::qWait(50);
    QVERIFY(failed.isEmpty());
    QVERIFY2(witnessFailed.at(0).at(0).toString().contains(
                 QStringLiteral("did not reply within 0.2 seconds")),
             qPrintable(witnessFailed.at(0).at(0).toString()));
}

void TestPlatform::runtimeEntriesThatAreNotPrivateAreNotBelieved_data() {
    QTest::addColumn<QString>("target"); // "entry", "folder" (rot/ and services/) or "root" (R)
    QTest::addColumn<int>("mode");       // permissions given to the target, or -1
    QTest::addColumn<bool>("foreign");   // the target belongs to another user
    QTest::addColumn<bool>("link");      // the entries are links to private files
    QTest::addColumn<bool>("believed");
    QTest::newRow("private entries") << "entry" << 0600 << false << false << true;
    QTest::newRow("entries readable by all") << "entry" << 0644 << false << false << true;
    QTest::newRow("entries the group may write") << "entry" << 0620 << false << false << false;
    QTest::newRow("entries anybody may write") << "entry" << 0666 << false << false << false;
    QTest::newRow("entries of another user") << "entry" << -1 << true << false << false;
    QTest::newRow("entries that are links") << "entry" << -1 << false << true << false;
    QTest::newRow("folders readable by all") << "folder" << 0755 << false << false << true;
    QTest::newRow("folders the group may write") << "folder" << 0770 << false << false << false;
    QTest::newRow("folders anybody may write") << "folder" << 0777 << false << false << false;
    QTest::newRow("folders of another user") << "folder" << -1 << true << false << false;
    QTest::newRow("runtime folder anybody may write") << "root" << 01777 << false << false << false;
    QTest::newRow("runtime folder of another user") << "root" << -1 << true << false << false;
}

void TestPlatform::runtimeEntriesThatAreNotPrivateAreNotBelieved() {
#ifndef Q_OS_UNIX
    QSKIP("Permission bits, owners and symbolic links as POSIX has them; the Windows access "
          "lists are checked in tst_windowsplatform");
#else
    QFETCH(QString, target);
    QFETCH(int, mode);
    QFETCH(bool, foreign);
    QFETCH(bool, link);
    QFETCH(bool, believed);
    const QString viewer = QStringLiteral("!{D0B1ACAD-1190-4E6D-BD60-41DFA6A28E30}");
    const QString service = QStringLiteral("DVBVRecorder");
    QDir(RuntimeFolder()).removeRecursively();
    RegisterRunningObject(viewer, QStringLiteral("/x.sock"));
    RegisterService(service, ServiceStateRunning);
    QVERIFY(FindRunningObject(viewer));
    QCOMPARE(QueryServiceState(QStringLiteral("127.0.0.1"), service), ServiceStateRunning);

    QStringList paths;
    if (target == u"entry")
        paths = {RunningObjectsFolder() + viewer, ServicesFolder() + service};
    else if (target == u"folder")
        paths = {RunningObjectsFolder(), ServicesFolder()};
    else
        paths = {RuntimeFolder()};
    if (link) {
        // Each entry replaced by a link to a private copy of itself beside the folders.
        for (const QString& path : paths) {
            const QString copy = RuntimeFolder() + QFileInfo(path).fileName() + u'~';
            QVERIFY(QFile::rename(path, copy));
            QVERIFY(QFile::link(copy, path));
        }
    }
    for (const QString& path : paths) {
        const QByteArray name = QFile::encodeName(QDir::cleanPath(path));
        if (mode >= 0)
            QCOMPARE(::chmod(name.constData(), mode_t(mode)), 0);
        // Root can give a file away; anybody else makes the check expect another owner.
        if (foreign && ::geteuid() == 0)
            QCOMPARE(::chown(name.constData(), 65534, 65534), 0);
    }
    if (foreign && ::geteuid() != 0)
        SetPrivateOwnerForTesting(CurrentUserId() + 1);

    const bool viewerSeen = FindRunningObject(viewer).has_value();
    const size_t listed = EnumerateRunningObjects().size();
    const int state = QueryServiceState(QStringLiteral("127.0.0.1"), service);
    bool writerRefused = false;
    if (target != u"entry") {
        try {
            RegisterRunningObject(QStringLiteral("!{another}"), QStringLiteral("/y.sock"));
        } catch (const EFCreateError&) {
            writerRefused = true;
        }
    }
    SetPrivateOwnerForTesting(std::nullopt);
    for (const QString& path : paths) // so that the folders can go
        ::chmod(QFile::encodeName(QDir::cleanPath(path)).constData(), 0700);
    QDir(RuntimeFolder()).removeRecursively();

    QCOMPARE(viewerSeen, believed);
    QCOMPARE(listed, size_t(believed ? 1 : 0));
    QCOMPARE(state, believed ? ServiceStateRunning : ServiceStateUnknown);
    if (target != u"entry")
        QCOMPARE(writerRefused, !believed);
#endif
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"

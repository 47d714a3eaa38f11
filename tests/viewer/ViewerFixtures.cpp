#include "ViewerFixtures.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <csignal>
#include <cstring>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

TChannelRecBuilder ViewerChannel() {
    return TChannelRecBuilder().TunerType(ttSatellite).Ids(1, 1, 1).Video();
}

TChannelRecBuilder ViewerMain(const QString& name, quint16 sid) {
    return TChannelRecBuilder()
        .Name(name)
        .Category(QStringLiteral("Cat"))
        .Root(QStringLiteral("Root"))
        .Video()
        .TunerType(1)
        .Ids(sid, 1, 1);
}

QList<TChannelRec> ViewerChannels(int count) {
    QList<TChannelRec> records;
    for (int i = 0; i < count; ++i)
        records << ViewerMain(QStringLiteral("Channel %1").arg(i), quint16(100 + i));
    return records;
}

// The stand-in process and the fake viewer use POSIX signals and sockets; the tests that need
// them are not built elsewhere.
#ifdef Q_OS_UNIX

QString StandinProgram() {
    return qEnvironmentVariable("ORVANE_BINARY_DIR") +
           QStringLiteral("/tools/viewer-standin/orvane-viewer-standin");
}

TStandinProcess::~TStandinProcess() {
    if (FProcess && FProcess->state() != QProcess::NotRunning)
        Terminate();
}

bool TStandinProcess::Start(const QString& dataFolder, bool recorder) {
    FProcess = std::make_unique<QProcess>();
    FProcess->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{QStringLiteral("--data-folder"), dataFolder, QStringLiteral("--headless")};
    if (recorder)
        args << QStringLiteral("--recorder");
    FProcess->start(StandinProgram(), args);
    if (!FProcess->waitForStarted(5000)) {
        FError =
            QStringLiteral("cannot start %1: %2").arg(StandinProgram(), FProcess->errorString());
        return false;
    }
    // Sanitised builds start slowly.
    FReadyLine = WaitForLine(QStringLiteral("Ready"), 20000);
    if (FReadyLine.isEmpty()) {
        FError = QStringLiteral("the stand-in did not report ready");
        return false;
    }
    return true;
}

void TStandinProcess::ReadLines() {
    while (FProcess->canReadLine())
        FLines << QString::fromLocal8Bit(FProcess->readLine()).trimmed();
}

QStringList TStandinProcess::UnreadLines() {
    ReadLines();
    return std::exchange(FLines, {});
}

QString TStandinProcess::WaitForLine(const QString& prefix, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        ReadLines();
        for (qsizetype i = 0; i < FLines.size(); ++i) {
            if (FLines[i].startsWith(prefix))
                return FLines.takeAt(i);
        }
        if (deadline.hasExpired() || FProcess->state() == QProcess::NotRunning)
            return QString();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        FProcess->waitForReadyRead(10);
    }
}

bool TStandinProcess::Terminate() {
    FProcess->terminate();
    return FProcess->waitForFinished(10000) && FProcess->exitStatus() == QProcess::NormalExit &&
           FProcess->exitCode() == 0;
}

bool TStandinProcess::Interrupt() {
    ::kill(static_cast<pid_t>(FProcess->processId()), SIGINT);
    return FProcess->waitForFinished(10000) && FProcess->exitStatus() == QProcess::NormalExit &&
           FProcess->exitCode() == 0;
}

bool TStandinProcess::Kill() {
    // Killed already (and reaped while the event loop ran).
    if (FProcess->state() == QProcess::NotRunning)
        return true;
    FProcess->kill();
    // Reaped before the caller looks: a zombie would still count as a running process.
    return FProcess->waitForFinished(10000);
}

qint64 TStandinProcess::Pid() const {
    return FProcess ? FProcess->processId() : 0;
}

// --- A viewer gone wrong ---------------------------------------------------------------------

struct TFakeViewer::TConnection {
    int Fd = -1;
    QByteArray Received;
    bool Answered = false;
};

TFakeViewer::TFakeViewer(const QString& socketPath, TFakeBehaviour behaviour)
    : FPath(socketPath), FBehaviour(behaviour) {
    if (behaviour == TFakeBehaviour::NoListener)
        return;
    FListen = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath);
    std::memcpy(address.sun_path, path.constData(),
                std::min(sizeof(address.sun_path) - 1, size_t(path.size())));
    if (::bind(FListen, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(FListen, 16) != 0) {
        ::close(FListen);
        FListen = -1;
        return;
    }
    FThread = std::thread([this] { Serve(); });
}

TFakeViewer::~TFakeViewer() {
    FStop = true;
    if (FThread.joinable())
        FThread.join();
    if (FListen >= 0)
        ::close(FListen);
    QFile::remove(FPath);
}

bool TFakeViewer::Listening() const {
    return FBehaviour == TFakeBehaviour::NoListener || FListen >= 0;
}

QList<QByteArray> TFakeViewer::Requests() const {
    std::lock_guard lock(FMutex);
    return FRequests;
}

namespace {
void SendAll(int fd, const QByteArray& bytes) {
    (void)::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
}
} // namespace

void TFakeViewer::Answer(TConnection& c) {
    switch (FBehaviour) {
    case TFakeBehaviour::Garbage:
        SendAll(c.Fd, "\x01\x7f not a reply {]\n");
        break;
    case TFakeBehaviour::NulBytes:
        SendAll(c.Fd, QByteArray(16, '\0') + '\n');
        break;
    case TFakeBehaviour::CutOffGarbage:
        SendAll(c.Fd, "{\"result\":");
        break;
    case TFakeBehaviour::ErrorReply:
        SendAll(c.Fd, "{\"error\":\"the tuner is busy\"}\n");
        break;
    case TFakeBehaviour::WrongShape:
        SendAll(c.Fd, "{\"result\":5,\"count\":3,\"rows\":[[1,2],\"x\"]}\n");
        break;
    case TFakeBehaviour::Silent:
    case TFakeBehaviour::Trickle:
        return; // the connection stays open
    case TFakeBehaviour::CloseAtOnce:
    case TFakeBehaviour::NoListener:
        break;
    }
    ::close(c.Fd);
    c.Fd = -1;
}

void TFakeViewer::Serve() {
    std::vector<TConnection> connections;
    while (!FStop) {
        std::vector<pollfd> polls{{FListen, POLLIN, 0}};
        for (const TConnection& c : connections)
            polls.push_back({c.Fd, POLLIN, 0});
        if (::poll(polls.data(), polls.size(), 25) < 0)
            continue;
        for (size_t i = 1; i < polls.size(); ++i) {
            TConnection& c = connections[i - 1];
            if (!(polls[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[512];
            const ssize_t n = ::recv(c.Fd, buffer, sizeof(buffer), MSG_DONTWAIT);
            if (n <= 0) { // the client hung up
                ::close(c.Fd);
                c.Fd = -1;
                continue;
            }
            c.Received.append(buffer, n);
            const qsizetype end = c.Received.indexOf('\n');
            if (!c.Answered && end >= 0) {
                c.Answered = true;
                {
                    std::lock_guard lock(FMutex);
                    FRequests << c.Received.left(end);
                }
                Answer(c);
            }
        }
        if (FBehaviour == TFakeBehaviour::Trickle) {
            for (const TConnection& c : connections) {
                if (c.Answered && c.Fd >= 0)
                    SendAll(c.Fd, "x");
            }
        }
        std::erase_if(connections, [](const TConnection& c) { return c.Fd < 0; });
        if (polls[0].revents & POLLIN) {
            const int fd = ::accept(FListen, nullptr, nullptr);
            if (fd >= 0) {
                ++FAccepted;
                if (FBehaviour == TFakeBehaviour::CloseAtOnce)
                    ::close(fd);
                else
                    connections.push_back({fd, {}, false});
            }
        }
        FOpen = int(connections.size());
        FMostOpen = std::max(FMostOpen.load(), FOpen.load());
    }
    for (const TConnection& c : connections)
        ::close(c.Fd);
    FOpen = 0;
}

#endif // Q_OS_UNIX

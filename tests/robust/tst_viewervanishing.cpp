// The viewer going away or talking nonsense in the middle of the program's calls: every call
// ends with a clear error (or, where the viewer is simply gone, quietly), within the
// automation time limit, without a crash; the tuning tables keep what they held.

#include "channels/UChannel.h"
#include "platform/UAutomationClient.h"
#include "platform/UOrvaneError.h"
#include "platform/URunningObjects.h"
#include "viewer/UTuning.h"
#include "viewer/UViewerEnvironment.h"
#include "viewer/ViewerFixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// What the far end of a call does.
enum class TServerBehaviour {
    Garbage,       // a line that is no JSON
    NulBytes,      // a line of zero bytes
    CutOffGarbage, // bytes without a line end, then the connection closes
    Silent,        // reads the request and never answers
    CloseAtOnce,   // accepts and hangs up
    Trickle,       // sends a byte now and then, never a line end
    ErrorReply,    // {"error": ...}
    WrongShape,    // valid JSON of the wrong shape for every call
    NoListener,    // the entry names a socket nobody listens on
};

// A stand-in for a viewer gone wrong, on a thread of its own: the calls under test block
// the main thread.
class TFakeViewer {
public:
    TFakeViewer(const QString& socketPath, TServerBehaviour behaviour)
        : FPath(socketPath), FBehaviour(behaviour) {
        if (behaviour == TServerBehaviour::NoListener)
            return;
        FListen = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(socketPath);
        std::memcpy(address.sun_path, path.constData(),
                    std::min(sizeof(address.sun_path) - 1, size_t(path.size())));
        if (::bind(FListen, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(FListen, 8) != 0) {
            ::close(FListen);
            FListen = -1;
            return;
        }
        FThread = std::thread([this] { Serve(); });
    }
    ~TFakeViewer() {
        FStop = true;
        if (FThread.joinable())
            FThread.join();
        if (FListen >= 0)
            ::close(FListen);
        QFile::remove(FPath);
    }
    bool Listening() const { return FBehaviour == TServerBehaviour::NoListener || FListen >= 0; }

private:
    bool WaitReadable(int fd, int ms) {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, ms) > 0;
    }
    void Send(int fd, const QByteArray& bytes) {
        (void)::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
    }
    // Waits (at most a while) for the request line, as a server would.
    void ReadRequest(int fd) {
        char buffer[512];
        while (!FStop && WaitReadable(fd, 100)) {
            const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
            if (n <= 0 || std::memchr(buffer, '\n', size_t(n)))
                return;
        }
    }
    // Keeps the connection until the client gives up (or the test ends).
    void Hold(int fd, bool trickle) {
        for (int i = 0; i < 200 && !FStop; ++i) {
            if (trickle)
                Send(fd, "x");
            char buffer[64];
            if (WaitReadable(fd, 25) && ::recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT) == 0)
                return; // the client hung up
        }
    }
    void Serve() {
        while (!FStop) {
            if (!WaitReadable(FListen, 50))
                continue;
            const int fd = ::accept(FListen, nullptr, nullptr);
            if (fd < 0)
                continue;
            if (FBehaviour != TServerBehaviour::CloseAtOnce)
                ReadRequest(fd);
            switch (FBehaviour) {
            case TServerBehaviour::Garbage:
                Send(fd, "\x01\x7f not a reply {]\n");
                break;
            case TServerBehaviour::NulBytes:
                Send(fd, QByteArray(16, '\0') + '\n');
                break;
            case TServerBehaviour::CutOffGarbage:
                Send(fd, "{\"result\":");
                break;
            case TServerBehaviour::Silent:
                Hold(fd, false);
                break;
            case TServerBehaviour::Trickle:
                Hold(fd, true);
                break;
            case TServerBehaviour::ErrorReply:
                Send(fd, "{\"error\":\"the tuner is busy\"}\n");
                break;
            case TServerBehaviour::WrongShape:
                Send(fd, "{\"result\":5,\"count\":3,\"rows\":[[1,2],\"x\"]}\n");
                break;
            case TServerBehaviour::CloseAtOnce:
            case TServerBehaviour::NoListener:
                break;
            }
            ::close(fd);
        }
    }

    QString FPath;
    TServerBehaviour FBehaviour;
    int FListen = -1;
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

// The program's calls that reach the viewer.
enum class TCall {
    DataFolder,
    GetChannels,
    SetCurrentChannelNr,
    GetViewerDataFolder,
    GetChannelsFromCOM,
    Tune
};

const char* CallName(TCall call) {
    switch (call) {
    case TCall::DataFolder:
    case TCall::GetViewerDataFolder:
        return "DataFolder";
    case TCall::GetChannels:
    case TCall::GetChannelsFromCOM:
        return "GetChannels";
    case TCall::SetCurrentChannelNr:
    case TCall::Tune:
        return "SetCurrentChannelNr";
    }
    return "";
}

void AddCallRows(const char* situation, int situationNumber) {
    const std::pair<const char*, TCall> calls[] = {
        {"DataFolder", TCall::DataFolder},
        {"GetChannels", TCall::GetChannels},
        {"SetCurrentChannelNr", TCall::SetCurrentChannelNr},
        {"GetViewerDataFolder", TCall::GetViewerDataFolder},
        {"GetChannelsFromCOM", TCall::GetChannelsFromCOM},
        {"Tune", TCall::Tune},
    };
    for (const auto& [name, call] : calls)
        QTest::addRow("%s, %s", situation, name) << situationNumber << int(call);
}

struct TOutcome {
    bool Raised = false;
    QString Message;
    QString Result; // the folder, for the calls that return one
    qint64 ElapsedMs = 0;
};

// A client is taken before the viewer vanishes, as a caller that has just asked
// IsViewerRunning would take it; the whole operations look the viewer up themselves.
TOutcome Run(TCall call, const std::optional<TAutomationClient>& client, TTuningManager& tuning,
             const TChannel& channel) {
    TOutcome outcome;
    QElapsedTimer timer;
    timer.start();
    try {
        switch (call) {
        case TCall::DataFolder:
            outcome.Result = client->DataFolder();
            break;
        case TCall::GetChannels:
            (void)client->GetChannels();
            break;
        case TCall::SetCurrentChannelNr:
            client->SetCurrentChannelNr(0);
            break;
        case TCall::GetViewerDataFolder:
            outcome.Result = GetViewerDataFolder();
            break;
        case TCall::GetChannelsFromCOM:
            tuning.GetChannelsFromCOM();
            break;
        case TCall::Tune:
            tuning.Tune(channel);
            break;
        }
    } catch (const EAutomationError& e) {
        outcome.Raised = true;
        outcome.Message = e.Message();
    }
    outcome.ElapsedMs = timer.elapsed();
    return outcome;
}

// The automation limit plus room for a loaded, sanitised build to notice it.
constexpr qint64 LongestWaitMs = AutomationTimeoutMs + 1500;

} // namespace

class TestViewerVanishing : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FTemp;
    TChannel FChannel;

    // A tuning table that knows FChannel as number 0, so that Tune has something to send.
    void FillTuning(TTuningManager& tuning) {
        const TChannel* const mains[] = {&FChannel};
        tuning.GetChannelsFromChannels(mains);
        QCOMPARE(tuning.TVChannels().size(), size_t(1));
        QVERIFY(tuning.CanTune(FChannel));
    }

    void CheckRaisedClearly(const TOutcome& outcome, TCall call) {
        QVERIFY2(outcome.Raised, "the call went through although the viewer could not answer");
        const QString head =
            QStringLiteral("DVBViewer automation (%1): ").arg(QLatin1String(CallName(call)));
        QVERIFY2(outcome.Message.startsWith(head) && outcome.Message.size() > head.size() + 5,
                 qPrintable(outcome.Message));
    }

private Q_SLOTS:
    void init() {
        FTemp = std::make_unique<QTemporaryDir>();
        QVERIFY(FTemp->isValid());
        FChannel = TChannel(MakeRec(TChannelSpec{}));
    }
    void cleanup() {
        UnregisterRunningObject(ViewerActiveObjectName());
        FTemp.reset();
    }

    void standinVanishingDuringACall_data() {
        QTest::addColumn<int>("situation");
        QTest::addColumn<int>("call");
        AddCallRows("killed after the lookup", 0);
        AddCallRows("frozen", 1);
        AddCallRows("killed while a call waits", 2);
    }
    void standinVanishingDuringACall() {
        QFETCH(int, situation);
        QFETCH(int, call);
        const TCall c = TCall(call);
        const QString folder = FTemp->path() + QStringLiteral("/viewer/");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile(folder + QStringLiteral("channels.dat")).open(QIODevice::WriteOnly));
        TStandinProcess standin;
        QVERIFY2(standin.Start(folder), qPrintable(standin.Error()));
        QVERIFY(IsViewerRunning());
        const std::optional<TAutomationClient> client = ConnectToViewer();
        TTuningManager tuning;
        FillTuning(tuning);
        const pid_t pid = static_cast<pid_t>(standin.Pid());

        std::thread killer;
        if (situation == 0) {
            QVERIFY(standin.Kill());
        } else {
            QCOMPARE(::kill(pid, SIGSTOP), 0);
            if (situation == 2)
                killer = std::thread([pid] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(300));
                    ::kill(pid, SIGKILL);
                });
        }
        const TOutcome outcome = Run(c, client, tuning, FChannel);
        if (killer.joinable())
            killer.join();
        if (situation != 0)
            QVERIFY(standin.Kill());

        QVERIFY2(outcome.ElapsedMs < LongestWaitMs, qPrintable(QString::number(outcome.ElapsedMs)));
        const bool looksItUp =
            c == TCall::GetViewerDataFolder || c == TCall::GetChannelsFromCOM || c == TCall::Tune;
        if (situation == 0 && looksItUp) {
            // The entry of a dead process is stale: the viewer simply does not run.
            QVERIFY2(!outcome.Raised, qPrintable(outcome.Message));
            QVERIFY(outcome.Result.isEmpty());
            QVERIFY(!IsViewerRunning());
        } else {
            CheckRaisedClearly(outcome, c);
        }
        if (situation == 2) // the hang-up ends the wait, not the time limit
            QVERIFY2(outcome.ElapsedMs < AutomationTimeoutMs,
                     qPrintable(QString::number(outcome.ElapsedMs)));
        QCOMPARE(tuning.TVChannels().size(), size_t(1));
        QVERIFY(tuning.CanTune(FChannel));
    }

    void viewerAnsweringGarbageOrNothing_data() {
        QTest::addColumn<int>("situation");
        QTest::addColumn<int>("call");
        AddCallRows("a line of garbage", int(TServerBehaviour::Garbage));
        AddCallRows("a line of zero bytes", int(TServerBehaviour::NulBytes));
        AddCallRows("half a reply, then the end", int(TServerBehaviour::CutOffGarbage));
        AddCallRows("no answer", int(TServerBehaviour::Silent));
        AddCallRows("hangs up at once", int(TServerBehaviour::CloseAtOnce));
        AddCallRows("an endless line", int(TServerBehaviour::Trickle));
        AddCallRows("an error reply", int(TServerBehaviour::ErrorReply));
        AddCallRows("a reply of the wrong shape", int(TServerBehaviour::WrongShape));
        AddCallRows("nobody listening", int(TServerBehaviour::NoListener));
    }
    void viewerAnsweringGarbageOrNothing() {
        QFETCH(int, situation);
        QFETCH(int, call);
        const auto behaviour = TServerBehaviour(situation);
        const TCall c = TCall(call);
        const QString socketPath = FTemp->path() + QStringLiteral("/viewer.sock");
        TFakeViewer server(socketPath, behaviour);
        QVERIFY(server.Listening());
        RegisterRunningObject(ViewerActiveObjectName(), socketPath);
        QVERIFY(IsViewerRunning());
        const std::optional<TAutomationClient> client = ConnectToViewer();
        TTuningManager tuning;
        FillTuning(tuning);

        const TOutcome outcome = Run(c, client, tuning, FChannel);
        QVERIFY2(outcome.ElapsedMs < LongestWaitMs, qPrintable(QString::number(outcome.ElapsedMs)));
        CheckRaisedClearly(outcome, c);
        if (behaviour == TServerBehaviour::ErrorReply)
            QVERIFY2(outcome.Message.endsWith(QStringLiteral("the tuner is busy")),
                     qPrintable(outcome.Message));
        if (behaviour == TServerBehaviour::Silent || behaviour == TServerBehaviour::Trickle)
            QVERIFY2(outcome.Message.contains(QStringLiteral("did not reply within 2 seconds")),
                     qPrintable(outcome.Message));
        QCOMPARE(tuning.TVChannels().size(), size_t(1));
        QVERIFY(tuning.CanTune(FChannel));
    }
};

QTEST_GUILESS_MAIN(TestViewerVanishing)
#include "tst_viewervanishing.moc"

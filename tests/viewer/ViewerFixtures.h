#pragma once

#include "channels/UChannelRec.h"
#include "common/ChannelFixture.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A satellite TV channel with service, stream and network 1: the start of the records the
// viewer's numbering tests build, each changing only the fields it compares.
TChannelRecBuilder ViewerChannel();
// A TV channel of root "Root" and category "Cat" with this service ID, and a list of count
// such channels "Channel 0", "Channel 1", ... with service IDs from 100: the viewer's lists of
// the main-window tests.
TChannelRecBuilder ViewerMain(const QString& name, quint16 sid);
QList<TChannelRec> ViewerChannels(int count);

// orvane-viewer-standin --headless, run for one test.
class TStandinProcess {
public:
    ~TStandinProcess();
    // Starts it on the folder and waits until it has registered; false (with the reason in
    // Error()) when it did not come up.
    bool Start(const QString& dataFolder, bool recorder = false);
    // SIGTERM, and waits for the exit.
    bool Terminate();
    // SIGINT (Ctrl+C), and waits for the exit.
    bool Interrupt();
    // SIGKILL: it gets no chance to remove its entries.
    bool Kill();
    // Waits for the stand-in to print a line that starts with the prefix; returns it. The
    // event loop runs meanwhile, so that calls which do not block can reach the stand-in.
    QString WaitForLine(const QString& prefix, int timeoutMs = 5000);
    // The lines printed so far that nobody waited for.
    QStringList UnreadLines();
    // The line with which it reported ready ("Ready N channels").
    QString ReadyLine() const { return FReadyLine; }
    QString Error() const { return FError; }
    qint64 Pid() const;

private:
    std::unique_ptr<QProcess> FProcess;
    void ReadLines();

    QStringList FLines;
    QString FError;
    QString FReadyLine;
};

QString StandinProgram();

// What the far end of a call does, for a viewer gone wrong.
enum class TFakeBehaviour {
    Garbage,       // a line that is no JSON
    NulBytes,      // a line of zero bytes
    CutOffGarbage, // bytes without a line end, then the connection closes
    Silent,        // reads the request and never answers (a hung viewer, or one in a dialog)
    CloseAtOnce,   // accepts and hangs up
    Trickle,       // sends a byte now and then, never a line end
    ErrorReply,    // {"error": ...}
    WrongShape,    // valid JSON of the wrong shape for every call
    NoListener,    // the entry names a socket nobody listens on
};

// A viewer's socket served on a thread of its own (a blocking call under test must not stop
// it), taking any number of connections at once, so that a test sees how many calls the
// program has under way and what they asked.
class TFakeViewer {
public:
    TFakeViewer(const QString& socketPath, TFakeBehaviour behaviour);
    ~TFakeViewer();
    TFakeViewer(const TFakeViewer&) = delete;
    TFakeViewer& operator=(const TFakeViewer&) = delete;

    bool Listening() const;
    const QString& SocketPath() const { return FPath; }
    // Connections taken so far, open now, and the most that were open at one time.
    int Accepted() const { return FAccepted; }
    int OpenNow() const { return FOpen; }
    int MostOpenAtOnce() const { return FMostOpen; }
    // The request lines received, in order.
    QList<QByteArray> Requests() const;

private:
    struct TConnection;
    void Serve();
    void Answer(TConnection& connection);

    QString FPath;
    TFakeBehaviour FBehaviour;
    int FListen = -1;
    std::atomic<bool> FStop{false};
    std::atomic<int> FAccepted{0};
    std::atomic<int> FOpen{0};
    std::atomic<int> FMostOpen{0};
    mutable std::mutex FMutex;
    QList<QByteArray> FRequests;
    std::thread FThread;
};

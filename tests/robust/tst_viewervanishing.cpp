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
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <optional>
#include <thread>

namespace {

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
    // An error was raised, or (for the calls that do not block) reported.
    bool Raised = false;
    QString Message;
    QString Result; // the folder, for the calls that return one
    // The calls that do not block: whether one was started at all.
    bool Started = false;
    qint64 ElapsedMs = 0;
};

// Far above the automation limit, for a loaded, sanitised build; only a hang reaches it.
constexpr int HangMs = AutomationTimeoutMs + 8000;

bool DoesNotBlock(TCall call) {
    return call == TCall::GetChannelsFromCOM || call == TCall::Tune;
}

// A client is taken before the viewer vanishes, as a caller that has just asked
// IsViewerRunning would take it; the whole operations look the viewer up themselves. The
// operations of the tuning manager return at once and report a failure later: those are
// waited for.
TOutcome Run(TCall call, const std::optional<TAutomationClient>& client, TTuningManager& tuning,
             const TChannel& channel) {
    TOutcome outcome;
    QElapsedTimer timer;
    timer.start();
    if (DoesNotBlock(call)) {
        QSignalSpy failed(&tuning, &TTuningManager::ViewerCallFailed);
        if (call == TCall::GetChannelsFromCOM)
            tuning.GetChannelsFromCOM();
        else
            tuning.Tune(channel);
        outcome.Started = tuning.Link().CallUnderWay();
        if (outcome.Started && failed.wait(HangMs)) {
            outcome.Raised = true;
            outcome.Message = failed.at(0).at(0).toString();
        }
        // Nothing more arrives, and nothing is left under way.
        QCoreApplication::processEvents();
        if (failed.size() > 1 || tuning.Link().CallUnderWay())
            outcome.Message += QStringLiteral(" (and more)");
        outcome.ElapsedMs = timer.elapsed();
        return outcome;
    }
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
        case TCall::Tune:
            break;
        }
    } catch (const EAutomationError& e) {
        outcome.Raised = true;
        outcome.Message = e.Message();
    }
    outcome.ElapsedMs = timer.elapsed();
    return outcome;
}

const QString NoReplyWithinTheLimit = QStringLiteral("did not reply within 2 seconds");
const QString ClosedWithoutReplying = QStringLiteral("closed the connection without replying");

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
        QVERIFY2(outcome.Message.startsWith(head) && outcome.Message.size() > head.size() + 5 &&
                     !outcome.Message.endsWith(QStringLiteral(" (and more)")),
                 qPrintable(outcome.Message));
    }

private Q_SLOTS:
    void init() {
        FTemp = std::make_unique<QTemporaryDir>();
        QVERIFY(FTemp->isValid());
        FChannel = TChannel(ViewerChannel().Build());
    }
    void cleanup() {
        UnregisterRunningObject(ViewerActiveObjectName());
        FTemp.reset();
    }

    // The timer asks on every tick while the tables are empty; a viewer that holds its calls
    // gets one at a time, and after the failure none for a pause, unless it registers anew.
    void aHungViewerIsAskedOnceAtATimeAndThenLeftAlone() {
        TFakeViewer hung(FTemp->filePath(QStringLiteral("hung.sock")), TFakeBehaviour::Silent);
        QVERIFY(hung.Listening());
        RegisterRunningObject(ViewerActiveObjectName(), hung.SocketPath());
        TTuningManager tuning;
        tuning.Link().SetRetryPause(60 * 60 * 1000);
        QSignalSpy failed(&tuning, &TTuningManager::ViewerCallFailed);
        const auto tickUntil = [&](const auto& done) {
            QElapsedTimer clock;
            clock.start();
            while (!done() && clock.elapsed() < HangMs) {
                tuning.GetChannelsIfNone();
                QTest::qWait(30);
                QVERIFY(hung.MostOpenAtOnce() <= 1);
            }
        };
        tickUntil([&] { return !failed.isEmpty(); });
        QCOMPARE(failed.size(), 1);
        QVERIFY(failed.at(0).at(0).toString().contains(NoReplyWithinTheLimit));
        QCOMPARE(failed.at(0).at(1).toBool(), true); // the timer's own read
        QCOMPARE(hung.Accepted(), 1);
        QVERIFY(tuning.Link().Pausing());
        // Ticks during the pause start nothing.
        for (int tick = 0; tick < 10; ++tick) {
            tuning.GetChannelsIfNone();
            QVERIFY(!tuning.Link().CallUnderWay());
        }
        QCOMPARE(hung.Accepted(), 1);

        // Another viewer registers: it is asked at the next tick.
        TFakeViewer next(FTemp->filePath(QStringLiteral("next.sock")), TFakeBehaviour::Silent);
        RegisterRunningObject(ViewerActiveObjectName(), next.SocketPath());
        QVERIFY(!tuning.Link().Pausing());
        tuning.Link().SetRetryPause(500);
        tuning.GetChannelsIfNone();
        QVERIFY(tuning.Link().CallUnderWay());
        QTRY_COMPARE(next.Accepted(), 1);
        tickUntil([&] { return failed.size() == 2; });
        QCOMPARE(failed.size(), 2);

        // Once the (here short) pause has passed, the same viewer is asked again.
        QVERIFY(tuning.Link().Pausing());
        tuning.GetChannelsIfNone();
        QVERIFY(!tuning.Link().CallUnderWay());
        tickUntil([&] { return next.Accepted() == 2; });
        QCOMPARE(next.Accepted(), 2);
        QCOMPARE(next.MostOpenAtOnce(), 1);
        QCOMPARE(hung.Accepted(), 1);
    }

    // What the user asks while a call waits goes next, one call at a time; of several tunes
    // only the latest is sent.
    void commandsWaitForTheCallUnderWay() {
        TFakeViewer hung(FTemp->filePath(QStringLiteral("hung.sock")), TFakeBehaviour::Silent);
        RegisterRunningObject(ViewerActiveObjectName(), hung.SocketPath());
        TTuningManager tuning;
        FillTuning(tuning);
        QSignalSpy failed(&tuning, &TTuningManager::ViewerCallFailed);
        tuning.GetChannelsFromCOM();
        QVERIFY(tuning.Link().CallUnderWay());
        tuning.Tune(FChannel);       // number 0
        tuning.GetChannelsFromCOM(); // the read under way serves
        tuning.Tune(FChannel);
        QTRY_COMPARE(hung.Accepted(), 1);

        QVERIFY(failed.wait(HangMs));
        QCOMPARE(failed.at(0).at(1).toBool(), false); // the user asked for it
        QTRY_COMPARE(hung.Accepted(), 2);
        QVERIFY(failed.wait(HangMs));
        QCOMPARE(failed.size(), 2);
        QCOMPARE(failed.at(1).at(1).toBool(), false);
        QVERIFY2(failed.at(1).at(0).toString().startsWith(
                     QStringLiteral("DVBViewer automation (SetCurrentChannelNr)")),
                 qPrintable(failed.at(1).at(0).toString()));
        QCOMPARE(hung.Requests(),
                 (QList<QByteArray>{R"({"call":"GetChannels"})",
                                    R"({"call":"SetCurrentChannelNr","value":0})"}));
        QCOMPARE(hung.MostOpenAtOnce(), 1);
        QVERIFY(!tuning.Link().CallUnderWay());
        // The failed read left the tables as they were.
        QCOMPARE(tuning.TVChannels().size(), size_t(1));
        QVERIFY(tuning.CanTune(FChannel));
    }

    // Once the list was written into the viewer's folder, the tables come from it; a read of
    // the viewer's table still under way must not overwrite them when it ends.
    void rebuildingFromTheListDropsAReadUnderWay() {
        TFakeViewer hung(FTemp->filePath(QStringLiteral("hung.sock")), TFakeBehaviour::Silent);
        RegisterRunningObject(ViewerActiveObjectName(), hung.SocketPath());
        TTuningManager tuning;
        QSignalSpy failed(&tuning, &TTuningManager::ViewerCallFailed);
        QSignalSpy read(&tuning, &TTuningManager::ChannelsRead);
        tuning.GetChannelsFromCOM();
        QTRY_COMPARE(hung.OpenNow(), 1);
        FillTuning(tuning);
        QVERIFY(!tuning.Link().CallUnderWay());
        // The hang-up reaches the viewer; nothing is reported.
        QTRY_COMPARE(hung.OpenNow(), 0);
        QCoreApplication::processEvents();
        QVERIFY(failed.isEmpty());
        QVERIFY(read.isEmpty());
        QVERIFY(tuning.CanTune(FChannel));
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

        QVERIFY2(outcome.ElapsedMs < HangMs, qPrintable(QString::number(outcome.ElapsedMs)));
        const bool looksItUp =
            c == TCall::GetViewerDataFolder || c == TCall::GetChannelsFromCOM || c == TCall::Tune;
        if (situation == 0 && looksItUp) {
            // The entry of a dead process is stale: the viewer simply does not run, and
            // nothing is asked.
            QVERIFY2(!outcome.Raised, qPrintable(outcome.Message));
            QVERIFY(!outcome.Started);
            QVERIFY(outcome.Result.isEmpty());
            QVERIFY(!IsViewerRunning());
        } else {
            QVERIFY(outcome.Started || !DoesNotBlock(c));
            CheckRaisedClearly(outcome, c);
        }
        // Frozen, it is the time limit that ends the call; killed while the call waits, the
        // hang-up ends it, long before the limit.
        if (situation == 1)
            QVERIFY2(outcome.Message.contains(NoReplyWithinTheLimit), qPrintable(outcome.Message));
        if (situation == 2)
            QVERIFY2(outcome.Message.contains(ClosedWithoutReplying), qPrintable(outcome.Message));
        QCOMPARE(tuning.TVChannels().size(), size_t(1));
        QVERIFY(tuning.CanTune(FChannel));
    }

    void viewerAnsweringGarbageOrNothing_data() {
        QTest::addColumn<int>("situation");
        QTest::addColumn<int>("call");
        AddCallRows("a line of garbage", int(TFakeBehaviour::Garbage));
        AddCallRows("a line of zero bytes", int(TFakeBehaviour::NulBytes));
        AddCallRows("half a reply, then the end", int(TFakeBehaviour::CutOffGarbage));
        AddCallRows("no answer", int(TFakeBehaviour::Silent));
        AddCallRows("hangs up at once", int(TFakeBehaviour::CloseAtOnce));
        AddCallRows("an endless line", int(TFakeBehaviour::Trickle));
        AddCallRows("an error reply", int(TFakeBehaviour::ErrorReply));
        AddCallRows("a reply of the wrong shape", int(TFakeBehaviour::WrongShape));
        AddCallRows("nobody listening", int(TFakeBehaviour::NoListener));
    }
    void viewerAnsweringGarbageOrNothing() {
        QFETCH(int, situation);
        QFETCH(int, call);
        const auto behaviour = TFakeBehaviour(situation);
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
        QVERIFY2(outcome.ElapsedMs < HangMs, qPrintable(QString::number(outcome.ElapsedMs)));
        QVERIFY(outcome.Started || !DoesNotBlock(c));
        CheckRaisedClearly(outcome, c);
        if (behaviour == TFakeBehaviour::ErrorReply)
            QVERIFY2(outcome.Message.endsWith(QStringLiteral("the tuner is busy")),
                     qPrintable(outcome.Message));
        if (behaviour == TFakeBehaviour::Silent || behaviour == TFakeBehaviour::Trickle)
            QVERIFY2(outcome.Message.contains(NoReplyWithinTheLimit), qPrintable(outcome.Message));
        QCOMPARE(tuning.TVChannels().size(), size_t(1));
        QVERIFY(tuning.CanTune(FChannel));
    }
};

QTEST_GUILESS_MAIN(TestViewerVanishing)
#include "tst_viewervanishing.moc"

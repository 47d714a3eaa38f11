#pragma once

#include "platform/UAutomationClient.h"

class TActiveObjectCall;

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <optional>

// The program's line to the running viewer. No call ever blocks: each runs on the event loop
// and its outcome arrives as a signal, so a viewer that hangs cannot freeze a window.
//
// At most one call is under way at a time; what is asked meanwhile waits its turn, and only
// the latest of each kind waits (one read of the channel table, one tune). After a call has
// failed, reads asked for automatically (by a timer) are not made until the viewer has
// registered anew or RetryPause has passed: a viewer that stops answering is then asked once
// every few seconds instead of on every tick. A command the user gives is always tried.
class TViewerLink : public QObject {
    Q_OBJECT

public:
    static constexpr int RetryPauseMs = 5000;

    explicit TViewerLink(QObject* parent = nullptr);
    ~TViewerLink() override;

    // Nothing happens while the viewer is not running.
    void RequestTable(bool automatic);
    void RequestTune(int channelNumber);
    // The table being read (or waiting to be) is not wanted any more: it is never delivered.
    void DropTableRead();

    bool CallUnderWay() const { return FCall != nullptr; }
    // Under way or waiting.
    bool TableReadAsked() const;
    // After a failure: automatic reads of the viewer that failed wait.
    bool Pausing() const;
    // For tests that cannot wait several seconds for the pause to end.
    void SetRetryPause(int ms) { FRetryPauseMs = ms; }

Q_SIGNALS:
    void TableRead(const TViewerChannelTable& table);
    void Tuned(int channelNumber);
    // A call failed; automatic when no command of the user was waiting for it.
    void Failed(const QString& message, bool automatic);

private:
    enum class TKind { Table, Tune };
    struct TRequest {
        TKind Kind = TKind::Table;
        int ChannelNumber = -1;
        bool Automatic = true;
    };
    // What identifies one run of the viewer: a viewer that registers anew is a new viewer.
    using TRegistration = QString;

    static std::optional<TRegistration> CurrentRegistration();
    void StartNext();
    void Start(const TRequest& request);
    void Finished(TActiveObjectCall* call, const QByteArray& line);
    void CallFailed(TActiveObjectCall* call, const QString& message);
    // Starts the pause and reports the failure.
    void Fail(const TRequest& request, const std::optional<TRegistration>& registration,
              const QString& message);
    void EndCall();

    TActiveObjectCall* FCall = nullptr;
    TRequest FCurrent;
    std::optional<TRegistration> FCurrentRegistration;
    std::optional<TRequest> FWaitingTune;
    std::optional<TRequest> FWaitingTable;
    int FRetryPauseMs = RetryPauseMs;
    bool FFailed = false;
    std::optional<TRegistration> FFailedRegistration;
    QDeadlineTimer FPauseEnds;
};

#pragma once

#include "platform/UAutomationClient.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// How the program finds the running viewer and reaches its automation server. On Windows that
// is the system's running object table and the server's COM interfaces, each call made on a
// thread of its own so that a viewer that hangs cannot freeze a window; elsewhere it is the
// stand-in's table of running objects and its socket protocol. Either way the answer of a call
// is a reply line that the Parse...Reply functions read, and every failure is an
// EAutomationError (or a Failed signal) with a message the user can read.

// The display names of the running objects. Raises EAutomationError when the table itself
// cannot be reached; a table that cannot be listed is empty.
QStringList RunningObjectDisplayNames();

// What tells one registration of the active object of this class (the class ID in braces,
// upper case) from the next, so that a restarted server counts as a new one; nothing while
// none is registered.
std::optional<QString> ActiveObjectRegistration(const QString& classId);

// A client of the active object of this class, whose calls each wait at most timeoutMs.
// Raises EAutomationError when none is registered. Nothing is ever started.
TAutomationClient ConnectToActiveObject(const QString& classId,
                                        int timeoutMs = AutomationTimeoutMs);

// One call to the active object of this class that never blocks its caller: it ends in exactly
// one Replied or Failed, delivered later on the caller's event loop, at the latest when the
// time limit has passed; never from within Start, and never after Cancel or destruction. A
// call abandoned at the limit may still be waiting inside the server; it is cleaned up when
// the server lets go and is never reported.
class TActiveObjectCall : public QObject {
    Q_OBJECT

public:
    TActiveObjectCall(QString classId, QJsonObject request, int timeoutMs = AutomationTimeoutMs,
                      QObject* parent = nullptr);
    ~TActiveObjectCall() override;

    void Start();
    void Cancel();
    QString CallName() const;

    // Calls abandoned at their limit whose server has not let go of them yet.
    static int AbandonedCallsWaiting();

Q_SIGNALS:
    // The reply line, not yet read: the Parse...Reply functions do that.
    void Replied(const QByteArray& line);
    void Failed(const QString& message);

private:
    struct TBackend;
    void Report(bool replied, const QByteArray& line, const QString& message);

    QString FClassId;
    QJsonObject FRequest;
    int FTimeoutMs;
    bool FDone = false;
    std::unique_ptr<TBackend> FBackend;
};

#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <vector>

class QLocalSocket;
class QTimer;

// The viewer's automation server as the program uses it: one call per connection, each
// finished (or failed) within the time limit. Every failure raises EAutomationError.
inline constexpr int AutomationTimeoutMs = 2000;
// Columns of the viewer's channel table that a row carries at least.
inline constexpr int ViewerTableColumns = 27;

using TViewerTableRow = std::array<qint64, ViewerTableColumns>;

struct TViewerChannelTable {
    // In the viewer's list order; column i as the viewer numbers its columns.
    std::vector<TViewerTableRow> Rows;
};

class TAutomationClient {
public:
    // Carries one request to the server and returns its reply line (without its line feed), or
    // raises EAutomationError; it ends within the time limit whatever the server does.
    using TCarrier = std::function<QByteArray(const QJsonObject& request)>;

    // Over a local socket, one connection per call.
    explicit TAutomationClient(QString socketPath, int timeoutMs = AutomationTimeoutMs);
    // Over whatever else reaches the server.
    explicit TAutomationClient(TCarrier carrier);

    // The viewer's data folder, as the viewer reports it (ending with a separator).
    QString DataFolder() const;
    TViewerChannelTable GetChannels() const;
    void SetCurrentChannelNr(int channelNumber) const;

    const QString& SocketPath() const { return FSocketPath; }

private:
    // The reply line, without its line feed.
    QByteArray Call(const QJsonObject& request) const;
    QByteArray CallOverSocket(const QJsonObject& request) const;

    QString FSocketPath;
    int FTimeoutMs = AutomationTimeoutMs;
    TCarrier FCarrier;
};

// The request line of each call (without its line feed).
QJsonObject DataFolderRequest();
QJsonObject GetChannelsRequest();
QJsonObject SetCurrentChannelNrRequest(int channelNumber);

// One call that never blocks its caller: it runs on the event loop of the thread that made it
// and ends in exactly one Replied or Failed, at the latest when the time limit has passed,
// with the same messages as the blocking client. The outcome always arrives later from the
// event loop, never from within Start, and never after Cancel.
class TAutomationCall : public QObject {
    Q_OBJECT

public:
    TAutomationCall(QString socketPath, QJsonObject request, int timeoutMs = AutomationTimeoutMs,
                    QObject* parent = nullptr);
    ~TAutomationCall() override;

    void Start();
    // Hangs up; nothing is reported any more.
    void Cancel();
    // The request's "call", as the messages name it.
    QString CallName() const;

Q_SIGNALS:
    // The reply line, without its line feed, not yet read: the Parse...Reply functions do that.
    void Replied(const QByteArray& line);
    void Failed(const QString& message);

private:
    void OnConnected();
    void OnReadyRead();
    void OnClosed();
    void OnTimeout();
    // Ends the call; the outcome, if any, is on its way.
    void Stop();
    void Finish(bool replied, const QByteArray& line, const QString& message);

    QString FSocketPath;
    QJsonObject FRequest;
    int FTimeoutMs;
    QLocalSocket* FSocket = nullptr;
    QTimer* FTimer = nullptr;
    QByteArray FReply;
    bool FConnected = false;
    bool FDone = false;
    bool FCancelled = false;
};

// The reading of one reply line of each call, apart from the connection, so that whatever a
// server sends can be checked on its own. Each raises EAutomationError as the call does.
QString ParseDataFolderReply(const QByteArray& line);
TViewerChannelTable ParseGetChannelsReply(const QByteArray& line);
void ParseSetCurrentChannelNrReply(const QByteArray& line, int channelNumber);

// The reply lines a server sends, for servers that are reached some other way and answer in
// kind, so that one reader judges every answer.
QByteArray DataFolderReplyLine(const QString& folder);
QByteArray GetChannelsReplyLine(const TViewerChannelTable& table);
QByteArray SetCurrentChannelNrReplyLine();
QByteArray ErrorReplyLine(const QString& message);
// The message of a failed call as every call words it.
QString AutomationFailureText(const QString& call, const QString& why);
// The request's "call".
QString AutomationCallName(const QJsonObject& request);

// The running object registered under exactly this display name; raises EAutomationError
// when there is none. Nothing is ever started.
TAutomationClient GetActiveObject(const QString& displayName, int timeoutMs = AutomationTimeoutMs);

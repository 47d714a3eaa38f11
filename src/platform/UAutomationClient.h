#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <vector>

class QJsonObject;

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
    explicit TAutomationClient(QString socketPath, int timeoutMs = AutomationTimeoutMs);

    // The viewer's data folder, as the viewer reports it (ending with a separator).
    QString DataFolder() const;
    TViewerChannelTable GetChannels() const;
    void SetCurrentChannelNr(int channelNumber) const;

    const QString& SocketPath() const { return FSocketPath; }

private:
    // The reply line, without its line feed.
    QByteArray Call(const QJsonObject& request) const;

    QString FSocketPath;
    int FTimeoutMs;
};

// The reading of one reply line of each call, apart from the connection, so that whatever a
// server sends can be checked on its own. Each raises EAutomationError as the call does.
QString ParseDataFolderReply(const QByteArray& line);
TViewerChannelTable ParseGetChannelsReply(const QByteArray& line);
void ParseSetCurrentChannelNrReply(const QByteArray& line, int channelNumber);

// The running object registered under exactly this display name; raises EAutomationError
// when there is none. Nothing is ever started.
TAutomationClient GetActiveObject(const QString& displayName, int timeoutMs = AutomationTimeoutMs);

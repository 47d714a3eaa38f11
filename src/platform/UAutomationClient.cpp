#include "platform/UAutomationClient.h"

#include "platform/UOrvaneError.h"
#include "platform/URunningObjects.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QTimer>
#include <algorithm>

namespace {

// A table of 100,000 channels is about 10 MB; a reply far beyond that is not a viewer's.
constexpr qsizetype MaxReplySize = 256 * 1024 * 1024;

int RemainingMs(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 0, 60 * 60 * 1000));
}

[[noreturn]] void Fail(const QString& call, const QString& why) {
    throw EAutomationError(AutomationFailureText(call, why));
}

QString CannotConnect(const QString& reason) {
    return QStringLiteral("cannot connect to the running DVBViewer (%1).").arg(reason);
}

QString NoReplyWithin(int timeoutMs) {
    return QStringLiteral("DVBViewer did not reply within %1 seconds.").arg(timeoutMs / 1000.0);
}

QString ClosedWithoutReply() {
    return QStringLiteral("DVBViewer closed the connection without replying.");
}

QString TooLarge() {
    return QStringLiteral("the reply is too large.");
}

QByteArray RequestLine(const QJsonObject& request) {
    return QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n';
}

QByteArray ReplyLine(const QJsonObject& reply) {
    return QJsonDocument(reply).toJson(QJsonDocument::Compact);
}

qint64 CellValue(const QJsonValue& cell) {
    // Integers come as JSON numbers; a fraction is cut the way a variant conversion would.
    const double d = cell.toDouble();
    return cell.toInteger(static_cast<qint64>(std::clamp(d, -9.0e18, 9.0e18)));
}

// The reply as an object; a reply that says "error" raises that message.
QJsonObject ParseReply(const QString& call, const QByteArray& reply) {
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(reply, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject())
        Fail(call, QStringLiteral("the reply of DVBViewer cannot be read."));
    QJsonObject object = doc.object();
    if (object.contains(u"error"))
        Fail(call, object.value(u"error").toString(QStringLiteral("unknown error")));
    return object;
}

} // namespace

QString AutomationFailureText(const QString& call, const QString& why) {
    return QStringLiteral("DVBViewer automation (%1): %2").arg(call, why);
}

QString AutomationCallName(const QJsonObject& request) {
    return request.value(u"call").toString();
}

QByteArray DataFolderReplyLine(const QString& folder) {
    return ReplyLine(QJsonObject{{QStringLiteral("result"), folder}});
}

QByteArray GetChannelsReplyLine(const TViewerChannelTable& table) {
    QJsonArray rows;
    for (const TViewerTableRow& row : table.Rows) {
        QJsonArray cells;
        for (const qint64 cell : row)
            cells.append(cell);
        rows.append(cells);
    }
    return ReplyLine(QJsonObject{{QStringLiteral("count"), qint64(table.Rows.size())},
                                 {QStringLiteral("rows"), rows}});
}

QByteArray SetCurrentChannelNrReplyLine() {
    return ReplyLine(QJsonObject{{QStringLiteral("result"), true}});
}

QByteArray ErrorReplyLine(const QString& message) {
    return ReplyLine(QJsonObject{{QStringLiteral("error"), message}});
}

TAutomationClient::TAutomationClient(QString socketPath, int timeoutMs)
    : FSocketPath(std::move(socketPath)), FTimeoutMs(timeoutMs) {
}

TAutomationClient::TAutomationClient(TCarrier carrier) : FCarrier(std::move(carrier)) {
}

QByteArray TAutomationClient::Call(const QJsonObject& request) const {
    return FCarrier ? FCarrier(request) : CallOverSocket(request);
}

QByteArray TAutomationClient::CallOverSocket(const QJsonObject& request) const {
    const QString call = request.value(u"call").toString();
    const QDeadlineTimer deadline(FTimeoutMs);
    QLocalSocket socket;
    socket.connectToServer(FSocketPath);
    if (!socket.waitForConnected(RemainingMs(deadline)))
        Fail(call, CannotConnect(socket.errorString()));

    socket.write(RequestLine(request));
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !socket.waitForBytesWritten(RemainingMs(deadline)))
            Fail(call,
                 QStringLiteral("the request could not be sent (%1).").arg(socket.errorString()));
    }

    QByteArray reply;
    for (;;) {
        const qsizetype searchFrom = reply.size();
        reply += socket.readAll();
        const qsizetype end = reply.indexOf('\n', searchFrom);
        if (end >= 0) {
            reply.truncate(end);
            break;
        }
        if (reply.size() > MaxReplySize)
            Fail(call, TooLarge());
        if (socket.state() != QLocalSocket::ConnectedState) {
            // A reply cut off by the closing connection is taken as it stands; none at all
            // is an error.
            if (reply.trimmed().isEmpty())
                Fail(call, ClosedWithoutReply());
            break;
        }
        if (deadline.hasExpired())
            Fail(call, NoReplyWithin(FTimeoutMs));
        socket.waitForReadyRead(std::max(1, RemainingMs(deadline)));
    }
    socket.abort();
    return reply;
}

QJsonObject DataFolderRequest() {
    return QJsonObject{{QStringLiteral("call"), QStringLiteral("DataFolder")}};
}

QJsonObject GetChannelsRequest() {
    return QJsonObject{{QStringLiteral("call"), QStringLiteral("GetChannels")}};
}

QJsonObject SetCurrentChannelNrRequest(int channelNumber) {
    return QJsonObject{{QStringLiteral("call"), QStringLiteral("SetCurrentChannelNr")},
                       {QStringLiteral("value"), channelNumber}};
}

QString TAutomationClient::DataFolder() const {
    return ParseDataFolderReply(Call(DataFolderRequest()));
}

QString ParseDataFolderReply(const QByteArray& line) {
    const QJsonValue result = ParseReply(QStringLiteral("DataFolder"), line).value(u"result");
    if (!result.isString())
        Fail(QStringLiteral("DataFolder"), QStringLiteral("the reply holds no folder."));
    return result.toString();
}

TViewerChannelTable TAutomationClient::GetChannels() const {
    return ParseGetChannelsReply(Call(GetChannelsRequest()));
}

TViewerChannelTable ParseGetChannelsReply(const QByteArray& line) {
    const QString call = QStringLiteral("GetChannels");
    const QJsonObject reply = ParseReply(call, line);
    const QJsonValue count = reply.value(u"count");
    const QJsonValue rows = reply.value(u"rows");
    if (!count.isDouble() || !rows.isArray())
        Fail(call, QStringLiteral("the reply holds no channel table."));
    const QJsonArray rowArray = rows.toArray();
    const qint64 n = count.toInteger(-1);
    if (n < 0 || n > rowArray.size())
        Fail(call, QStringLiteral("the channel table holds %1 rows, not %2.")
                       .arg(rowArray.size())
                       .arg(count.toDouble()));

    TViewerChannelTable table;
    table.Rows.reserve(static_cast<size_t>(n));
    for (qint64 i = 0; i < n; ++i) {
        const QJsonValue rowValue = rowArray.at(i);
        const QJsonArray cells = rowValue.toArray();
        if (!rowValue.isArray() || cells.size() < ViewerTableColumns)
            Fail(call, QStringLiteral("row %1 of the channel table has fewer than %2 columns.")
                           .arg(i)
                           .arg(ViewerTableColumns));
        TViewerTableRow row{};
        for (int c = 0; c < ViewerTableColumns; ++c) {
            const QJsonValue cell = cells.at(c);
            if (!cell.isDouble())
                Fail(call, QStringLiteral("column %1 of row %2 is not a number.").arg(c).arg(i));
            row[static_cast<size_t>(c)] = CellValue(cell);
        }
        table.Rows.push_back(row);
    }
    return table;
}

void TAutomationClient::SetCurrentChannelNr(int channelNumber) const {
    ParseSetCurrentChannelNrReply(Call(SetCurrentChannelNrRequest(channelNumber)), channelNumber);
}

void ParseSetCurrentChannelNrReply(const QByteArray& line, int channelNumber) {
    if (!ParseReply(QStringLiteral("SetCurrentChannelNr"), line).value(u"result").toBool())
        Fail(QStringLiteral("SetCurrentChannelNr"),
             QStringLiteral("DVBViewer did not switch to channel %1.").arg(channelNumber));
}

TAutomationClient GetActiveObject(const QString& displayName, int timeoutMs) {
    const std::optional<TRunningObject> entry = FindRunningObject(displayName);
    if (!entry)
        throw EAutomationError(
            QStringLiteral("DVBViewer automation: no running object is registered as %1.")
                .arg(displayName));
    return TAutomationClient(entry->Socket, timeoutMs);
}

// --- The call that does not block ------------------------------------------------------------

TAutomationCall::TAutomationCall(QString socketPath, QJsonObject request, int timeoutMs,
                                 QObject* parent)
    : QObject(parent), FSocketPath(std::move(socketPath)), FRequest(std::move(request)),
      FTimeoutMs(timeoutMs), FSocket(new QLocalSocket(this)), FTimer(new QTimer(this)) {
    FTimer->setSingleShot(true);
    connect(FTimer, &QTimer::timeout, this, &TAutomationCall::OnTimeout);
    connect(FSocket, &QLocalSocket::connected, this, &TAutomationCall::OnConnected);
    connect(FSocket, &QLocalSocket::readyRead, this, &TAutomationCall::OnReadyRead);
    connect(FSocket, &QLocalSocket::disconnected, this, &TAutomationCall::OnClosed);
    connect(FSocket, &QLocalSocket::errorOccurred, this, [this] {
        // Before the connection stands, any error means there is nobody to talk to; after it,
        // the far end has gone, and what it sent is all there is.
        if (FConnected)
            OnClosed();
        else
            Finish(false, {}, CannotConnect(FSocket->errorString()));
    });
}

TAutomationCall::~TAutomationCall() {
    Cancel();
}

QString TAutomationCall::CallName() const {
    return FRequest.value(u"call").toString();
}

void TAutomationCall::Start() {
    FTimer->start(FTimeoutMs);
    FSocket->connectToServer(FSocketPath);
}

void TAutomationCall::Cancel() {
    FCancelled = true;
    Stop();
}

void TAutomationCall::Stop() {
    if (FDone)
        return;
    FDone = true;
    FTimer->stop();
    FSocket->disconnect(this);
    FSocket->abort();
}

void TAutomationCall::OnConnected() {
    FConnected = true;
    FSocket->write(RequestLine(FRequest));
}

void TAutomationCall::OnReadyRead() {
    if (FDone)
        return;
    const qsizetype searchFrom = FReply.size();
    FReply += FSocket->readAll();
    const qsizetype end = FReply.indexOf('\n', searchFrom);
    if (end >= 0)
        Finish(true, FReply.left(end), QString());
    else if (FReply.size() > MaxReplySize)
        Finish(false, {}, TooLarge());
}

void TAutomationCall::OnClosed() {
    if (FDone)
        return;
    FReply += FSocket->readAll();
    const qsizetype end = FReply.indexOf('\n');
    if (end >= 0)
        Finish(true, FReply.left(end), QString());
    // A reply cut off by the closing connection is taken as it stands; none at all is an error.
    else if (FReply.trimmed().isEmpty())
        Finish(false, {}, ClosedWithoutReply());
    else
        Finish(true, FReply, QString());
}

void TAutomationCall::OnTimeout() {
    if (FDone)
        return;
    if (FConnected)
        Finish(false, {}, NoReplyWithin(FTimeoutMs));
    else
        Finish(false, {},
               CannotConnect(
                   QStringLiteral("no connection within %1 seconds").arg(FTimeoutMs / 1000.0)));
}

void TAutomationCall::Finish(bool replied, const QByteArray& line, const QString& message) {
    Stop();
    // Later, from the event loop: the receiver may start the next call or delete this one,
    // which it must not do from inside a signal of our own socket.
    const QString text = AutomationFailureText(CallName(), message);
    QMetaObject::invokeMethod(
        this,
        [this, replied, line, text] {
            if (FCancelled)
                return;
            if (replied)
                Q_EMIT Replied(line);
            else
                Q_EMIT Failed(text);
        },
        Qt::QueuedConnection);
}

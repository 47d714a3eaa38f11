#include "platform/UViewerAutomation.h"

#include "platform/UOrvaneError.h"
#include "platform/URunningObjects.h"

// The stand-in's table names an active object "!" followed by its class ID, as Windows does.
namespace {

QString ActiveObjectName(const QString& classId) {
    return u'!' + classId;
}

} // namespace

QStringList RunningObjectDisplayNames() {
    QStringList names;
    for (const TRunningObject& entry : EnumerateRunningObjects())
        names.append(entry.DisplayName);
    return names;
}

std::optional<QString> ActiveObjectRegistration(const QString& classId) {
    const std::optional<TRunningObject> entry = FindRunningObject(ActiveObjectName(classId));
    if (!entry)
        return std::nullopt;
    return QString::number(entry->Pid) + u' ' + entry->Socket;
}

TAutomationClient ConnectToActiveObject(const QString& classId, int timeoutMs) {
    return GetActiveObject(ActiveObjectName(classId), timeoutMs);
}

struct TActiveObjectCall::TBackend {
    TAutomationCall* Call = nullptr;
};

TActiveObjectCall::TActiveObjectCall(QString classId, QJsonObject request, int timeoutMs,
                                     QObject* parent)
    : QObject(parent), FClassId(std::move(classId)), FRequest(std::move(request)),
      FTimeoutMs(timeoutMs), FBackend(std::make_unique<TBackend>()) {
}

TActiveObjectCall::~TActiveObjectCall() {
    Cancel();
}

QString TActiveObjectCall::CallName() const {
    return AutomationCallName(FRequest);
}

int TActiveObjectCall::AbandonedCallsWaiting() {
    // A socket call that is given up is closed at once.
    return 0;
}

void TActiveObjectCall::Start() {
    const std::optional<TRunningObject> entry = FindRunningObject(ActiveObjectName(FClassId));
    if (!entry) {
        const QString text =
            AutomationFailureText(CallName(), QStringLiteral("DVBViewer is not running."));
        QMetaObject::invokeMethod(
            this, [this, text] { Report(false, {}, text); }, Qt::QueuedConnection);
        return;
    }
    FBackend->Call = new TAutomationCall(entry->Socket, FRequest, FTimeoutMs, this);
    connect(FBackend->Call, &TAutomationCall::Replied, this,
            [this](const QByteArray& line) { Report(true, line, QString()); });
    connect(FBackend->Call, &TAutomationCall::Failed, this,
            [this](const QString& message) { Report(false, {}, message); });
    FBackend->Call->Start();
}

void TActiveObjectCall::Cancel() {
    FDone = true;
    if (FBackend && FBackend->Call)
        FBackend->Call->Cancel();
}

void TActiveObjectCall::Report(bool replied, const QByteArray& line, const QString& message) {
    if (FDone)
        return;
    FDone = true;
    if (replied)
        Q_EMIT Replied(line);
    else
        Q_EMIT Failed(message);
}

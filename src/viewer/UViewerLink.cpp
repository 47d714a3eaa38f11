#include "viewer/UViewerLink.h"

#include "platform/UOrvaneError.h"
#include "platform/UViewerAutomation.h"
#include "viewer/UViewerEnvironment.h"

TViewerLink::TViewerLink(QObject* parent) : QObject(parent) {
}

TViewerLink::~TViewerLink() {
    if (FCall)
        FCall->Cancel();
}

std::optional<TViewerLink::TRegistration> TViewerLink::CurrentRegistration() {
    return ActiveObjectRegistration(QString::fromUtf16(ViewerClassID));
}

bool TViewerLink::TableReadAsked() const {
    return FWaitingTable || (FCall && FCurrent.Kind == TKind::Table);
}

bool TViewerLink::Pausing() const {
    return FFailed && !FPauseEnds.hasExpired() && CurrentRegistration() == FFailedRegistration;
}

void TViewerLink::RequestTable(bool automatic) {
    if (!IsViewerRunning() || (automatic && Pausing()))
        return;
    // A read that is already asked for serves; the user now waits for it too.
    if (FCall && FCurrent.Kind == TKind::Table) {
        FCurrent.Automatic = FCurrent.Automatic && automatic;
        return;
    }
    if (FWaitingTable) {
        FWaitingTable->Automatic = FWaitingTable->Automatic && automatic;
        return;
    }
    FWaitingTable = TRequest{TKind::Table, -1, automatic};
    StartNext();
}

void TViewerLink::RequestTune(int channelNumber) {
    if (channelNumber < 0 || !IsViewerRunning())
        return;
    FWaitingTune = TRequest{TKind::Tune, channelNumber, false};
    StartNext();
}

void TViewerLink::DropTableRead() {
    FWaitingTable.reset();
    if (FCall && FCurrent.Kind == TKind::Table) {
        FCall->Cancel();
        EndCall();
        StartNext();
    }
}

void TViewerLink::StartNext() {
    if (FCall)
        return;
    // The user waits for a tune; a read can come after it.
    std::optional<TRequest>& next = FWaitingTune ? FWaitingTune : FWaitingTable;
    if (!next)
        return;
    const TRequest request = *next;
    next.reset();
    Start(request);
}

void TViewerLink::Start(const TRequest& request) {
    // The viewer ended meanwhile: as when it was not running, nothing is asked.
    if (!IsViewerRunning()) {
        FWaitingTune.reset();
        FWaitingTable.reset();
        return;
    }
    const std::optional<TRegistration> registration = CurrentRegistration();
    if (!registration) {
        Fail(request, std::nullopt, QStringLiteral("DVBViewer is not running."));
        StartNext();
        return;
    }
    FCurrent = request;
    FCurrentRegistration = registration;
    const QJsonObject call = request.Kind == TKind::Table
                                 ? GetChannelsRequest()
                                 : SetCurrentChannelNrRequest(request.ChannelNumber);
    auto* started =
        new TActiveObjectCall(QString::fromUtf16(ViewerClassID), call, AutomationTimeoutMs, this);
    FCall = started;
    connect(started, &TActiveObjectCall::Replied, this,
            [this, started](const QByteArray& line) { Finished(started, line); });
    connect(started, &TActiveObjectCall::Failed, this,
            [this, started](const QString& message) { CallFailed(started, message); });
    started->Start();
}

void TViewerLink::Finished(TActiveObjectCall* call, const QByteArray& line) {
    if (call != FCall)
        return;
    const TRequest request = FCurrent;
    const std::optional<TRegistration> registration = FCurrentRegistration;
    EndCall();
    try {
        if (request.Kind == TKind::Table) {
            const TViewerChannelTable table = ParseGetChannelsReply(line);
            FFailed = false;
            Q_EMIT TableRead(table);
        } else {
            ParseSetCurrentChannelNrReply(line, request.ChannelNumber);
            FFailed = false;
            Q_EMIT Tuned(request.ChannelNumber);
        }
    } catch (const EAutomationError& e) {
        Fail(request, registration, e.Message());
    }
    StartNext();
}

void TViewerLink::CallFailed(TActiveObjectCall* call, const QString& message) {
    if (call != FCall)
        return;
    const TRequest request = FCurrent;
    const std::optional<TRegistration> registration = FCurrentRegistration;
    EndCall();
    Fail(request, registration, message);
    StartNext();
}

void TViewerLink::Fail(const TRequest& request, const std::optional<TRegistration>& registration,
                       const QString& message) {
    FFailed = true;
    FFailedRegistration = registration;
    FPauseEnds = QDeadlineTimer(FRetryPauseMs);
    // What the timer asked for meanwhile would only fail again.
    if (FWaitingTable && FWaitingTable->Automatic)
        FWaitingTable.reset();
    // Later, from the event loop: whoever shows the message may open a modal box, and the
    // caller that asked (a timer's tick) must not run inside it.
    const bool automatic = request.Automatic;
    QMetaObject::invokeMethod(
        this, [this, message, automatic] { Q_EMIT Failed(message, automatic); },
        Qt::QueuedConnection);
}

void TViewerLink::EndCall() {
    if (FCall)
        FCall->deleteLater();
    FCall = nullptr;
}

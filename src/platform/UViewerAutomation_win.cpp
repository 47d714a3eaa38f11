#include "platform/UViewerAutomation.h"

#include "platform/UOrvaneError.h"
#include "platform/UViewerCom_win.h"

#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace {

// COM for the current thread for as long as this lives. A thread that has COM already, in
// whatever apartment, is used as it is.
class TApartment {
public:
    explicit TApartment(DWORD model) : FResult(CoInitializeEx(nullptr, model)) {}
    TApartment(const TApartment&) = delete;
    TApartment& operator=(const TApartment&) = delete;
    ~TApartment() {
        if (SUCCEEDED(FResult))
            CoUninitialize();
    }
    bool Usable() const { return SUCCEEDED(FResult) || FResult == RPC_E_CHANGED_MODE; }
    HRESULT Result() const { return FResult; }

private:
    HRESULT FResult;
};

QString NoReplyWithin(int timeoutMs) {
    return QStringLiteral("DVBViewer did not reply within %1 seconds.").arg(timeoutMs / 1000.0);
}

std::atomic<int> AbandonedWaiting{0};

// One call on a thread of its own. The thread keeps this alive; whoever waits for it may give
// up and go, and then hears nothing more.
struct TWork {
    std::mutex Mutex;
    std::condition_variable Done;
    bool Finished = false;
    bool Abandoned = false;
    bool Replied = false;
    QByteArray Line;
    QString Message;
    // Told, under the mutex, when the call ends while somebody still waits.
    std::function<void()> Notify;

    void Abandon() {
        const std::lock_guard<std::mutex> lock(Mutex);
        if (!Finished && !Abandoned)
            ++AbandonedWaiting;
        Abandoned = true;
        Notify = nullptr;
    }
};

void Run(const std::shared_ptr<TWork>& work, const QString& classId, const QJsonObject& request) {
    bool replied = false;
    QByteArray line;
    QString message;
    {
        // An apartment of the thread's own, so that no window's thread is ever asked to wait
        // for the viewer; every interface of the call is released before it ends.
        const TApartment apartment(COINIT_MULTITHREADED);
        if (!apartment.Usable()) {
            message = AutomationFailureText(
                AutomationCallName(request),
                QStringLiteral("COM cannot be used (%1)").arg(HResultText(apartment.Result())));
        } else {
            try {
                line = CallViewerThroughCom(classId, request);
                replied = true;
            } catch (const EOrvaneError& e) {
                message = e.Message();
            } catch (const std::exception& e) {
                message = AutomationFailureText(AutomationCallName(request),
                                                QString::fromLocal8Bit(e.what()));
            }
        }
    }
    const std::lock_guard<std::mutex> lock(work->Mutex);
    work->Finished = true;
    work->Replied = replied;
    work->Line = std::move(line);
    work->Message = std::move(message);
    if (work->Abandoned)
        --AbandonedWaiting;
    else if (work->Notify)
        work->Notify();
    work->Done.notify_all();
}

// Calls given up at their limit that may still wait inside a server. A server that has not
// let go of these will not answer another call either, so none is started meanwhile: a viewer
// that hangs for hours must not collect a waiting thread for every tick.
constexpr int MostAbandonedWaiting = 2;

// Empty when the call is under way; otherwise why it could not be started.
QString StartWork(const std::shared_ptr<TWork>& work, const QString& classId,
                  const QJsonObject& request) {
    const QString call = AutomationCallName(request);
    if (AbandonedWaiting.load() >= MostAbandonedWaiting)
        return AutomationFailureText(
            call, QStringLiteral("DVBViewer has not finished earlier calls that it did not "
                                 "answer in time."));
    try {
        std::thread(Run, work, classId, request).detach();
        return QString();
    } catch (const std::system_error&) {
        return AutomationFailureText(call,
                                     QStringLiteral("no thread could be started for the call."));
    }
}

QByteArray CallAndWait(const QString& classId, const QJsonObject& request, int timeoutMs) {
    const auto work = std::make_shared<TWork>();
    const QString refused = StartWork(work, classId, request);
    if (!refused.isEmpty())
        throw EAutomationError(refused);
    std::unique_lock<std::mutex> lock(work->Mutex);
    if (!work->Done.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&work] { return work->Finished; })) {
        lock.unlock();
        work->Abandon();
        throw EAutomationError(
            AutomationFailureText(AutomationCallName(request), NoReplyWithin(timeoutMs)));
    }
    if (!work->Replied)
        throw EAutomationError(work->Message);
    return work->Line;
}

// The running object table's entries with their display names, handed one by one to visit,
// which returns false to stop. Raises EAutomationError when the table cannot be reached.
void VisitRunningObjects(
    const std::function<bool(IRunningObjectTable*, IMoniker*, const QString&)>& visit) {
    const TApartment apartment(COINIT_APARTMENTTHREADED);
    if (!apartment.Usable())
        throw EAutomationError(
            QStringLiteral("COM cannot be used (%1).").arg(HResultText(apartment.Result())));
    TComPtr<IBindCtx> context;
    HRESULT result = CreateBindCtx(0, context.Out());
    if (FAILED(result))
        throw EAutomationError(
            QStringLiteral("No bind context can be created (%1).").arg(HResultText(result)));
    TComPtr<IRunningObjectTable> table;
    result = GetRunningObjectTable(0, table.Out());
    if (FAILED(result) || !table)
        throw EAutomationError(QStringLiteral("The running object table cannot be reached (%1).")
                                   .arg(HResultText(result)));
    TComPtr<IEnumMoniker> entries;
    if (FAILED(table->EnumRunning(entries.Out())) || !entries)
        return;
    for (;;) {
        TComPtr<IMoniker> moniker;
        if (entries->Next(1, moniker.Out(), nullptr) != S_OK || !moniker)
            return;
        // An entry whose name cannot be had is passed over.
        LPOLESTR name = nullptr;
        if (FAILED(moniker->GetDisplayName(context.Get(), nullptr, &name)) || !name)
            continue;
        const QString displayName = QString::fromWCharArray(name);
        CoTaskMemFree(name);
        if (!visit(table.Get(), moniker.Get(), displayName))
            return;
    }
}

} // namespace

QStringList RunningObjectDisplayNames() {
    QStringList names;
    VisitRunningObjects([&names](IRunningObjectTable*, IMoniker*, const QString& name) {
        names.append(name);
        return true;
    });
    return names;
}

std::optional<QString> ActiveObjectRegistration(const QString& classId) {
    const QString wanted = u'!' + classId;
    std::optional<QString> found;
    try {
        VisitRunningObjects(
            [&](IRunningObjectTable* table, IMoniker* moniker, const QString& name) {
                if (name != wanted)
                    return true;
                // The table notes when an object registered; a new registration is a new
                // server.
                FILETIME time{};
                table->GetTimeOfLastChange(moniker, &time);
                const quint64 stamp = (quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime;
                found = name + u' ' + QString::number(stamp);
                return false;
            });
    } catch (const EAutomationError&) {
        return std::nullopt;
    }
    return found;
}

TAutomationClient ConnectToActiveObject(const QString& classId, int timeoutMs) {
    if (!ActiveObjectRegistration(classId))
        throw EAutomationError(
            QStringLiteral("DVBViewer automation: no running object is registered as !%1.")
                .arg(classId));
    return TAutomationClient([classId, timeoutMs](const QJsonObject& request) {
        return CallAndWait(classId, request, timeoutMs);
    });
}

struct TActiveObjectCall::TBackend {
    std::shared_ptr<TWork> Work;
    QTimer* Timer = nullptr;
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
    return AbandonedWaiting.load();
}

void TActiveObjectCall::Start() {
    auto work = std::make_shared<TWork>();
    FBackend->Work = work;
    FBackend->Timer = new QTimer(this);
    FBackend->Timer->setSingleShot(true);
    connect(FBackend->Timer, &QTimer::timeout, this, [this] {
        if (FBackend->Work)
            FBackend->Work->Abandon();
        Report(false, {}, AutomationFailureText(CallName(), NoReplyWithin(FTimeoutMs)));
    });
    // Runs on the call's thread, under the mutex, only while this object still waits: it
    // posts the outcome to this object's own thread.
    work->Notify = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                const std::shared_ptr<TWork> done = FBackend->Work;
                if (!done)
                    return;
                bool replied = false;
                QByteArray line;
                QString message;
                {
                    const std::lock_guard<std::mutex> lock(done->Mutex);
                    replied = done->Replied;
                    line = done->Line;
                    message = done->Message;
                }
                FBackend->Timer->stop();
                Report(replied, line, message);
            },
            Qt::QueuedConnection);
    };
    FBackend->Timer->start(FTimeoutMs);
    const QString refused = StartWork(work, FClassId, FRequest);
    if (!refused.isEmpty()) {
        // Never started: nothing waits in a server.
        work->Finished = true;
        work->Abandon();
        FBackend->Timer->stop();
        const QString text = refused;
        QMetaObject::invokeMethod(
            this, [this, text] { Report(false, {}, text); }, Qt::QueuedConnection);
    }
}

void TActiveObjectCall::Cancel() {
    FDone = true;
    if (!FBackend)
        return;
    if (FBackend->Work)
        FBackend->Work->Abandon();
    if (FBackend->Timer)
        FBackend->Timer->stop();
}

void TActiveObjectCall::Report(bool replied, const QByteArray& line, const QString& message) {
    if (FDone)
        return;
    FDone = true;
    if (FBackend->Work)
        FBackend->Work->Abandon();
    if (replied)
        Q_EMIT Replied(line);
    else
        Q_EMIT Failed(message);
}

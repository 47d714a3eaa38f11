#include "common/GuiTest.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace {

void FailAt(const QString& message, const std::source_location& where) {
    QTest::qFail(qPrintable(message), where.file_name(), int(where.line()));
}

constexpr int PollIntervalMs = 20;
constexpr int PollTries = 250;

} // namespace

QObject* FindNamedChild(const QObject* owner, const QString& name, const QMetaObject& type) {
    if (!owner) {
        qWarning("no window to look for %s in", qPrintable(name));
        return nullptr;
    }
    for (QObject* child : owner->findChildren<QObject*>(name))
        if (type.cast(child))
            return child;
    qWarning("no %s named %s", type.className(), qPrintable(name));
    return nullptr;
}

bool Trigger(QAction* action, TTrigger how, std::source_location where) {
    if (!action) {
        FailAt(QStringLiteral("no action to trigger"), where);
        return false;
    }
    if (!action->isEnabled()) {
        FailAt(QStringLiteral("action %1 is disabled").arg(action->objectName()), where);
        return false;
    }
    action->trigger();
    if (how.ProcessEvents)
        QCoreApplication::processEvents();
    return true;
}

bool Trigger(const QObject* window, const QString& name, TTrigger how, std::source_location where) {
    QAction* action = window ? window->findChild<QAction*>(name) : nullptr;
    if (!action) {
        FailAt(QStringLiteral("no action %1").arg(name), where);
        return false;
    }
    return Trigger(action, how, where);
}

TModalRun::~TModalRun() {
    // A failure of its own already said why the body never ran.
    if (!FRan && !FGaveUp && !QTest::currentTestFailed())
        FailAt(QStringLiteral("the modal window never came"), FWhere);
}

void TModalRun::Attempt(const std::function<void(QWidget*)>& body, const TModal& how,
                        int triesLeft) {
    QPointer<QWidget> modal = QApplication::activeModalWidget();
    if (!modal) {
        if (how.Poll && triesLeft > 0) {
            QTimer::singleShot(PollIntervalMs, this,
                               [this, body, how, triesLeft] { Attempt(body, how, triesLeft - 1); });
            return;
        }
        FGaveUp = true;
        FailAt(QStringLiteral("no modal window opened"), FWhere);
        return;
    }
    body(modal);
    FRan = true;
    if (how.CloseAfter && modal && modal->isVisible())
        modal->close();
}

std::unique_ptr<TModalRun> WhenModal(std::function<void(QWidget*)> body, TModal how,
                                     std::source_location where) {
    auto run = std::make_unique<TModalRun>(where);
    TModalRun* raw = run.get();
    QTimer::singleShot(0, raw,
                       [raw, body = std::move(body), how] { raw->Attempt(body, how, PollTries); });
    return run;
}

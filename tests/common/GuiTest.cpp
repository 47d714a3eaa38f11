#include "common/GuiTest.h"

#include <QAction>
#include <QApplication>
#include <QMap>
#include <QPointer>
#include <QSet>
#include <QTest>
#include <QTimer>

namespace {

void FailAt(const QString& message, const std::source_location& where) {
    QTest::qFail(qPrintable(message), where.file_name(), int(where.line()));
}

constexpr int PollIntervalMs = 20;
constexpr int PollTries = 250;

// Another window (a dialog, a tool window) owned by this one has names of its own; a popup
// menu belongs to the window that shows it.
bool IsOtherWindow(const QObject* object) {
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget && widget->isWindow() && widget->windowType() != Qt::Popup;
}

void CollectNamed(const QObject* parent, const QString& name, const QMetaObject& type,
                  QList<QObject*>& found) {
    for (QObject* child : parent->children()) {
        if (child->objectName() == name && type.cast(child))
            found.append(child);
        if (!IsOtherWindow(child))
            CollectNamed(child, name, type, found);
    }
}

// Widgets are one kind and actions another: a test names the kind it expects no finer than
// that (a QWidget for "some control").
QString KindOf(const QObject* object) {
    if (object->isWidgetType())
        return QStringLiteral("widget");
    if (qobject_cast<const QAction*>(object))
        return QStringLiteral("action");
    return QString::fromLatin1(object->metaObject()->className());
}

void CollectKinds(const QObject* parent, QMap<QString, QSet<QString>>& kinds) {
    for (QObject* child : parent->children()) {
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            kinds[name].insert(KindOf(child));
        if (!IsOtherWindow(child))
            CollectKinds(child, kinds);
    }
}

void CollectAllNamed(const QObject* parent, QMap<QString, int>& counts) {
    for (QObject* child : parent->children()) {
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            ++counts[name + QStringLiteral(" (") + KindOf(child) + u')'];
        if (!IsOtherWindow(child))
            CollectAllNamed(child, counts);
    }
}

} // namespace

QStringList NamesSharedWithinWindow(const QObject* window) {
    QMap<QString, int> counts;
    CollectAllNamed(window, counts);
    QStringList shared;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > 1)
            shared.append(it.key());
    return shared;
}

QStringList NamesOnSeveralKinds(const QObject* window) {
    QMap<QString, QSet<QString>> kinds;
    CollectKinds(window, kinds);
    QStringList shared;
    for (auto it = kinds.cbegin(); it != kinds.cend(); ++it)
        if (it.value().size() > 1)
            shared.append(it.key());
    return shared;
}

QObject* FindNamedChild(const QObject* owner, const QString& name, const QMetaObject& type) {
    if (!owner) {
        qWarning("no window to look for %s in", qPrintable(name));
        return nullptr;
    }
    QList<QObject*> found;
    CollectNamed(owner, name, type, found);
    if (found.size() == 1)
        return found.first();
    if (found.isEmpty())
        qWarning("no %s named %s", type.className(), qPrintable(name));
    else
        qWarning("more than one %s named %s", type.className(), qPrintable(name));
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
    auto* action =
        window ? static_cast<QAction*>(FindNamedChild(window, name, QAction::staticMetaObject))
               : nullptr;
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

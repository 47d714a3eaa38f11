#pragma once

// What every test of a window needs: trigger an action as the menu would, find a child by
// its object name, and act inside a modal window while the command that opened it waits in
// exec().

#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <source_location>

class QAction;

// A child of owner by object name, within owner's window: the windows it owns (dialogs, tool
// windows) keep their own names and are not searched, popup menus are. A missing name, or
// one that two children of that type share, is reported naming it and gives nullptr.
QObject* FindNamedChild(const QObject* owner, const QString& name, const QMetaObject& type);

template <typename T> T* Child(const QObject* owner, const QString& name) {
    return static_cast<T*>(FindNamedChild(owner, name, T::staticMetaObject));
}
template <typename T> T* Child(const QObject* owner, const char* name) {
    return Child<T>(owner, QString::fromLatin1(name));
}

// The object names that two children of one kind (two widgets, two actions) share within the
// window, as Child searches it; Qt's own helpers (qt_...) and unnamed children are left out.
QStringList NamesSharedWithinWindow(const QObject* window);
// The object names that children of different kinds share within the window (a tool bar and
// one of its buttons): Child tells them apart, a reader or a script going by name alone not.
QStringList NamesOnSeveralKinds(const QObject* window);

struct TTrigger {
    // Lets queued work of the action (updates, deferred windows) run before returning.
    bool ProcessEvents = true;
};

// Triggers the action as the menu would: only when it is there and enabled. Otherwise the
// test fails with a message naming the action, and the result is false so that the caller
// can leave (QVERIFY(Trigger(...))).
bool Trigger(QAction* action, TTrigger how = {},
             std::source_location where = std::source_location::current());
// The window's action with that object name.
bool Trigger(const QObject* window, const QString& name, TTrigger how = {},
             std::source_location where = std::source_location::current());

// How WhenModal meets the modal window.
struct TModal {
    // Looks once, as soon as the loop runs: the command opens the window at once. Poll keeps
    // looking for a few seconds, for commands that do some work before they open it.
    bool Poll = false;
    // Closes the window after the body, so that a body that only looks lets exec() return.
    bool CloseAfter = true;
};

// A body waiting for the next modal window. The test holds it while the command runs; it
// fails the test when it is destroyed and the window never came, and destroying it cancels
// a body that has not run yet, so it never reaches another test.
class TModalRun : public QObject {
public:
    explicit TModalRun(std::source_location where) : FWhere(where) {}
    ~TModalRun() override;
    TModalRun(const TModalRun&) = delete;
    TModalRun& operator=(const TModalRun&) = delete;

    bool Ran() const { return FRan; }

    void Attempt(const std::function<void(QWidget*)>& body, const TModal& how, int triesLeft);

private:
    std::source_location FWhere;
    bool FRan = false;
    bool FGaveUp = false;
};

// Runs body in the next modal window once it is open.
[[nodiscard]] std::unique_ptr<TModalRun>
WhenModal(std::function<void(QWidget*)> body, TModal how = {},
          std::source_location where = std::source_location::current());

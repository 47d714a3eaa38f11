#pragma once

// The main window as the program opens it, for the tests that drive it: fresh settings, the
// message boxes and file dialogs answered through the seam, the viewer's data folder and the
// work files in a temporary folder of the test's own.

#include "common/GuiTest.h"

#include "channels/UChannelRec.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QAction;
class TfrmMain;
class TChannelTreeModel;

struct TMainWindowPrepare {
    // Answers message boxes and file dialogs through the seam; tests of the real file
    // dialog leave it out.
    bool Seam = true;
};
struct TMainWindowOpen {
    // Stops the timer that follows the viewer and the commands' states, so each test
    // runs the ticks it wants; tests of the timer itself let it run.
    bool StopTimer = true;
    bool Show = true;
};
// A trigger through the main window: what it adds to the free Trigger.
struct TMainWindowTrigger {
    // Brings the commands' enabled states up to date first, as the timer would have.
    bool UpdateActionsFirst = false;
    bool ProcessEvents = true;
};

class TMainWindowFixture {
public:
    TMainWindowFixture();
    ~TMainWindowFixture();
    TMainWindowFixture(const TMainWindowFixture&) = delete;
    TMainWindowFixture& operator=(const TMainWindowFixture&) = delete;

    // For init(): fresh settings, the seam and the folder, without the window, so that a
    // test can set what the window reads when it opens. False (with the test failed) when
    // the folder could not be made.
    bool Prepare(TMainWindowPrepare how);
    bool Prepare() { return Prepare(TMainWindowPrepare{}); }
    // Opens the window; false (with the test failed) when it was never shown.
    bool Open(TMainWindowOpen how);
    bool Open() { return Open(TMainWindowOpen{}); }
    // Prepare and Open in one.
    bool Init(TMainWindowOpen how);
    bool Init() { return Init(TMainWindowOpen{}); }
    // For cleanup(): closes the window and leaves nothing for the next test.
    void Cleanup();
    // Closes the window as the program ends, keeping the folder and settings.
    void Close();

    bool IsOpen() const { return bool(FMain); }
    TfrmMain& Main() const { return *FMain; }
    TfrmMain* operator->() const { return FMain.get(); }
    TChannelTreeModel& Tree() const;
    // The names of the ticked main channels in tree order, one blank between them.
    QString TickedNames() const;
    // The test's folder, and a file in it.
    QString Folder() const { return FDir->path(); }
    QString Path(const QString& name = QStringLiteral("work.dat")) const;

    // The window's control or action by its object name; see the free Child.
    template <typename T> T* Child(const char* name) const { return ::Child<T>(FMain.get(), name); }
    // The window's action by its object name; nullptr (and a warning naming it) if missing.
    QAction* Action(const QString& name) const;
    // The window's action triggered as the menu would; see the free Trigger.
    bool Trigger(const QString& name, TMainWindowTrigger how = {},
                 std::source_location where = std::source_location::current());
    // Writes the records to the file and loads it; false (with the test failed) when
    // writing failed.
    bool Load(const QString& path, const QList<TChannelRec>& records);

private:
    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TfrmMain> FMain;
};

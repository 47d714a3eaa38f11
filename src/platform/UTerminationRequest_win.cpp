#include "platform/UTerminationRequest.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <windows.h>

#include <cstdio>

namespace {

// Runs on a thread of its own that the system makes; the quit is queued to the main thread.
// Returning from a close event ends the process, so that one waits for the clean-up a while.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return FALSE;
    QMetaObject::invokeMethod(
        app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(2000);
    return TRUE;
}

} // namespace

bool QuitEventLoopOnTerminationRequest() {
    if (!SetConsoleCtrlHandler(OnConsoleEvent, TRUE)) {
        std::fprintf(stderr, "SetConsoleCtrlHandler failed: %lu\n", GetLastError());
        return false;
    }
    return true;
}

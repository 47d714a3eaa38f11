#include "platform/USingleInstance.h"

#include <windows.h>

// A named mutex in the session's namespace: the system removes it with the last process that
// has it open, so a holder that died never blocks.
struct TSingleInstance::THolder {
    HANDLE Mutex = nullptr;
    ~THolder() {
        if (Mutex)
            CloseHandle(Mutex);
    }
};

TSingleInstance::TSingleInstance() = default;

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::TryAcquire() {
    if (FHeld)
        return true;
    const std::wstring name = LockName().toStdWString();
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    if (!mutex)
        // Denied: the mutex exists, made by another user's instance in this session. Any
        // other failure: run unguarded rather than not at all.
        return error != ERROR_ACCESS_DENIED;
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    FHolder = std::make_unique<THolder>();
    FHolder->Mutex = mutex;
    FHeld = true;
    return true;
}

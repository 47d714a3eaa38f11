#include "platform/USingleInstance.h"

#include "platform/URuntimeFolder.h"

#include <QLockFile>

QString TSingleInstance::LockName() {
    return QStringLiteral("Orvane{6E2B9F4C-3A17-4D85-9C0E-7B1F2A8D5E43}");
}

QString TSingleInstance::LockFileName() {
    return RuntimeFolder() + LockName() + QStringLiteral(".lock");
}

TSingleInstance::TSingleInstance() = default;

TSingleInstance::~TSingleInstance() {
    if (FLock && FHeld)
        FLock->unlock();
}

bool TSingleInstance::TryAcquire() {
    if (FHeld)
        return true;
    if (!EnsurePrivateFolder(RuntimeFolder()))
        return true;
    if (!FLock) {
        FLock = std::make_unique<QLockFile>(LockFileName());
        // Only a dead holder makes the lock stale; by default an old lock of a live holder
        // would count as stale and a second instance could take it over.
        FLock->setStaleLockTime(0);
    }
    FHeld = FLock->tryLock(0);
    return FHeld || FLock->error() != QLockFile::LockFailedError;
}

bool TSingleInstance::IsHeld() const {
    return FHeld;
}

#include "platform/URuntimeFolder.h"
#include "platform/USingleInstance.h"

#include <QLockFile>

struct TSingleInstance::THolder {
    QLockFile Lock;
    explicit THolder(const QString& fileName) : Lock(fileName) {}
};

TSingleInstance::TSingleInstance() = default;

TSingleInstance::~TSingleInstance() {
    if (FHolder && FHeld)
        FHolder->Lock.unlock();
}

bool TSingleInstance::TryAcquire() {
    if (FHeld)
        return true;
    if (!EnsurePrivateFolder(RuntimeFolder()))
        return true;
    if (!FHolder) {
        FHolder = std::make_unique<THolder>(LockFileName());
        // Only a dead holder makes the lock stale; by default an old lock of a live holder
        // would count as stale and a second instance could take it over.
        FHolder->Lock.setStaleLockTime(0);
    }
    FHeld = FHolder->Lock.tryLock(0);
    return FHeld || FHolder->Lock.error() != QLockFile::LockFailedError;
}

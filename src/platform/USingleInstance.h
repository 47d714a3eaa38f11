#pragma once

#include <QString>
#include <memory>

class QLockFile;

// One instance of the program at a time: the first process to take the lock keeps it until
// it ends; a later one sees it taken and leaves at once. A holder that died does not block.
class TSingleInstance {
public:
    // The lock's name, "Orvane" followed by the program's fixed GUID.
    static QString LockName();
    // The lock file in the runtime folder.
    static QString LockFileName();

    TSingleInstance();
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // True when this object now holds the lock (or already held it); false when another
    // holder has it or the lock cannot be made.
    bool TryAcquire();
    bool IsHeld() const;

private:
    std::unique_ptr<QLockFile> FLock;
    bool FHeld = false;
};

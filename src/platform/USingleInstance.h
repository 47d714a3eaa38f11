#pragma once

#include <QString>
#include <memory>

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

    // False only when another live process holds the lock: this one must end. True when this
    // object holds it, and also when no lock can be made at all (an unusable runtime folder):
    // the program then runs unguarded rather than not at all.
    bool TryAcquire();
    bool IsHeld() const;

private:
    // The system's lock object: a lock file here, a named mutex on Windows.
    struct THolder;
    std::unique_ptr<THolder> FHolder;
    bool FHeld = false;
};

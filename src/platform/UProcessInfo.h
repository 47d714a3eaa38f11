#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// What the running-object and service registries need to know about processes: an entry
// left behind by a process that died without cleaning up must not count.
qint64 CurrentProcessId();
// True while a process with this id exists (also one of another user).
bool IsProcessAlive(qint64 pid);
// The numeric id of the user running this process (names the per-user runtime folder).
qint64 CurrentUserId();

// Who owns a file or folder and who else may change it, read from the path itself: a
// symbolic link is described as a link, never as what it points to.
struct TPathOwnership {
    bool IsDir = false;
    bool IsFile = false; // a regular file
    qint64 OwnerId = -1;
    // The group or anybody else may write it.
    bool WritableByOthers = false;
};
// Nothing when the path does not exist (or cannot be examined).
std::optional<TPathOwnership> PathOwnership(const QString& path);

// True while a process runs whose Windows executable file has this name (no folder; the case
// does not matter). Always false elsewhere, where no Windows program runs as itself.
bool IsProcessRunningByName(const QString& executableName);

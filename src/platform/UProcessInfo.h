#pragma once

#include <QtGlobal>

// What the running-object and service registries need to know about processes: an entry
// left behind by a process that died without cleaning up must not count.
qint64 CurrentProcessId();
// True while a process with this id exists (also one of another user).
bool IsProcessAlive(qint64 pid);
// The numeric id of the user running this process (names the per-user runtime folder).
qint64 CurrentUserId();

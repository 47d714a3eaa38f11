#pragma once

#include <QString>
#include <optional>
#include <vector>

// The table of running automation objects: each one is a file R/rot/<display name> holding
// {"pid": <process id>, "socket": "<local socket path>"}. An entry whose process has gone
// is stale and never listed.
struct TRunningObject {
    QString DisplayName;
    qint64 Pid = 0;
    QString Socket;
};

QString RunningObjectsFolder();

// The live entries, in no particular order. An empty result when the table does not exist.
std::vector<TRunningObject> EnumerateRunningObjects();
// The live entry registered under exactly this display name.
std::optional<TRunningObject> FindRunningObject(const QString& displayName);

// Announces an object of this process; raises EFCreateError when the entry cannot be
// written. The display name must be a plain file name.
void RegisterRunningObject(const QString& displayName, const QString& socketPath);
// Removes the entry if it belongs to this process.
void UnregisterRunningObject(const QString& displayName);

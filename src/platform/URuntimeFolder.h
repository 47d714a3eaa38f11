#pragma once

#include <QString>

// The per-user folder R in which running programs announce themselves: the running objects
// (R/rot/), the services (R/services/) and the single-instance lock live there.
// $XDG_RUNTIME_DIR/orvane/ when XDG_RUNTIME_DIR is set, else <temp>/orvane-<user id>/.
// Always ends with a separator; the folder is not created.
QString RuntimeFolder();
// RuntimeFolder() + name + separator, not created.
QString RuntimeSubFolder(const QString& name);
// Creates the folder (and R) readable by the user only; false when that fails.
bool EnsurePrivateFolder(const QString& folder);

// The small JSON entry files kept in R's sub-folders.
class QJsonObject;
// A name that stays inside its folder: no separators, not "." or "..".
bool IsPlainFileName(const QString& name);
// The entry's object; false when the file is missing, too large or not a JSON object.
bool ReadRuntimeEntry(const QString& path, QJsonObject& object);
// Writes the entry whole (temporary file renamed into place, so no reader sees half of it),
// creating the folder; raises EFCreateError naming the file on failure.
void WriteRuntimeEntry(const QString& folder, const QString& name, const QJsonObject& object);
// Removes the entry unless its "pid" names another process, which took the name over since.
void RemoveOwnRuntimeEntry(const QString& path);

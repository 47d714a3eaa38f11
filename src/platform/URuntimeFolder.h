#pragma once

#include <QString>
#include <optional>

// The per-user folder R in which running programs announce themselves: the running objects
// (R/rot/), the services (R/services/) and the single-instance lock live there.
// $XDG_RUNTIME_DIR/orvane/ when XDG_RUNTIME_DIR is set, else <temp>/orvane-<user id>/.
// Always ends with a separator; the folder is not created.
QString RuntimeFolder();
// RuntimeFolder() + name + separator, not created.
QString RuntimeSubFolder(const QString& name);
// Creates the folder (and R) readable by the user only; false when that fails, and when
// either exists but is not private (see below): someone else may have made it first.
bool EnsurePrivateFolder(const QString& folder);

// What R and its entries must be before anything in them is believed: where R lies in a
// shared temporary folder, another user could create it first and pose as a running viewer.
// A private folder is a real folder (not a link) owned by the user that neither the group
// nor others may write; a private file likewise a regular file.
bool IsPrivateFolder(const QString& folder);
bool IsPrivateFile(const QString& path);
// The user whom the checks above take as the owner; nothing restores the real one. Lets a
// test that cannot give a file away make its own files count as someone else's.
void SetPrivateOwnerForTesting(std::optional<qint64> userId);

// The small JSON entry files kept in R's sub-folders.
class QJsonObject;
// A name that stays inside its folder: no separators, not "." or "..".
bool IsPlainFileName(const QString& name);
// The entry's object; false when the file is missing, too large or not a JSON object, and
// when the entry, its folder or R is not private.
bool ReadRuntimeEntry(const QString& path, QJsonObject& object);
// Writes the entry whole (temporary file renamed into place, so no reader sees half of it),
// creating the folder; raises EFCreateError naming the file on failure.
void WriteRuntimeEntry(const QString& folder, const QString& name, const QJsonObject& object);
// Removes the entry unless its "pid" names another process, which took the name over since.
void RemoveOwnRuntimeEntry(const QString& path);

#include "platform/URunningObjects.h"

#include "platform/UProcessInfo.h"
#include "platform/URuntimeFolder.h"

#include <QDir>
#include <QJsonObject>

namespace {

std::optional<TRunningObject> ReadEntry(const QString& folder, const QString& name) {
    QJsonObject object;
    if (!ReadRuntimeEntry(folder + name, object))
        return std::nullopt;
    const QJsonValue pid = object.value(u"pid");
    const QJsonValue socket = object.value(u"socket");
    if (!pid.isDouble() || !socket.isString())
        return std::nullopt;
    TRunningObject entry{name, pid.toInteger(), socket.toString()};
    if (!IsProcessAlive(entry.Pid))
        return std::nullopt;
    return entry;
}

} // namespace

QString RunningObjectsFolder() {
    return RuntimeSubFolder(QStringLiteral("rot"));
}

std::vector<TRunningObject> EnumerateRunningObjects() {
    std::vector<TRunningObject> result;
    const QString folder = RunningObjectsFolder();
    if (!IsPrivateFolder(RuntimeFolder()) || !IsPrivateFolder(folder))
        return result;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (std::optional<TRunningObject> entry = ReadEntry(folder, name))
            result.push_back(std::move(*entry));
    }
    return result;
}

std::optional<TRunningObject> FindRunningObject(const QString& displayName) {
    if (!IsPlainFileName(displayName))
        return std::nullopt;
    return ReadEntry(RunningObjectsFolder(), displayName);
}

void RegisterRunningObject(const QString& displayName, const QString& socketPath) {
    QJsonObject object;
    object.insert(QStringLiteral("pid"), CurrentProcessId());
    object.insert(QStringLiteral("socket"), socketPath);
    WriteRuntimeEntry(RunningObjectsFolder(), displayName, object);
}

void UnregisterRunningObject(const QString& displayName) {
    if (IsPlainFileName(displayName))
        RemoveOwnRuntimeEntry(RunningObjectsFolder() + displayName);
}

#include "platform/UServices.h"

#include "platform/UProcessInfo.h"
#include "platform/URuntimeFolder.h"

#include <QJsonObject>

namespace {

bool IsThisMachine(const QString& machineName) {
    return machineName.isEmpty() || machineName == u"127.0.0.1" ||
           machineName.compare(u"localhost", Qt::CaseInsensitive) == 0;
}

} // namespace

QString ServicesFolder() {
    return RuntimeSubFolder(QStringLiteral("services"));
}

int QueryServiceState(const QString& machineName, const QString& serviceName) {
    if (const std::optional<int> state = QuerySystemServiceState(machineName, serviceName))
        return *state;
    QJsonObject object;
    if (!IsThisMachine(machineName) || !IsPlainFileName(serviceName) ||
        !ReadRuntimeEntry(ServicesFolder() + serviceName, object))
        return ServiceStateUnknown;
    const QJsonValue pid = object.value(u"pid");
    const QJsonValue state = object.value(u"state");
    if (!pid.isDouble() || !state.isDouble())
        return ServiceStateUnknown;
    if (!IsProcessAlive(pid.toInteger()))
        return ServiceStateStopped;
    const qint64 value = state.toInteger();
    return value >= 0 && value <= 0xFFFF ? static_cast<int>(value) : ServiceStateUnknown;
}

void RegisterService(const QString& serviceName, int state) {
    QJsonObject object;
    object.insert(QStringLiteral("pid"), CurrentProcessId());
    object.insert(QStringLiteral("state"), state);
    WriteRuntimeEntry(ServicesFolder(), serviceName, object);
}

void UnregisterService(const QString& serviceName) {
    if (IsPlainFileName(serviceName))
        RemoveOwnRuntimeEntry(ServicesFolder() + serviceName);
}

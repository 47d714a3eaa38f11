#include "platform/USingleInstance.h"

#include "platform/URuntimeFolder.h"

QString TSingleInstance::LockName() {
    return QStringLiteral("Orvane{6E2B9F4C-3A17-4D85-9C0E-7B1F2A8D5E43}");
}

QString TSingleInstance::LockFileName() {
    return RuntimeFolder() + LockName() + QStringLiteral(".lock");
}

bool TSingleInstance::IsHeld() const {
    return FHeld;
}

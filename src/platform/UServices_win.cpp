#include "platform/UServices.h"

#include <windows.h>

namespace {

struct TServiceHandle {
    SC_HANDLE Handle = nullptr;
    explicit TServiceHandle(SC_HANDLE handle) : Handle(handle) {}
    ~TServiceHandle() {
        if (Handle)
            CloseServiceHandle(Handle);
    }
    TServiceHandle(const TServiceHandle&) = delete;
    TServiceHandle& operator=(const TServiceHandle&) = delete;
};

} // namespace

std::optional<int> QuerySystemServiceState(const QString& machineName, const QString& serviceName) {
    const std::wstring machine = machineName.toStdWString();
    const std::wstring service = serviceName.toStdWString();
    TServiceHandle manager(OpenSCManagerW(machineName.isEmpty() ? nullptr : machine.c_str(),
                                          nullptr, SC_MANAGER_CONNECT));
    if (!manager.Handle)
        return std::nullopt;
    TServiceHandle handle(OpenServiceW(manager.Handle, service.c_str(), SERVICE_QUERY_STATUS));
    if (!handle.Handle)
        return std::nullopt;
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(handle.Handle, &status))
        return ServiceStateUnknown;
    return static_cast<int>(status.dwCurrentState);
}

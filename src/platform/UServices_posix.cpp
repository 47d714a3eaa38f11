#include "platform/UServices.h"

// No service manager here that knows the viewer's services.
std::optional<int> QuerySystemServiceState(const QString&, const QString&) {
    return std::nullopt;
}

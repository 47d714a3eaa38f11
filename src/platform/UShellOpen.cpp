#include "platform/UShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
std::function<void(const QString&)>& Handler() {
    static std::function<void(const QString&)> handler;
    return handler;
}
} // namespace

void ShellOpen(const QString& pathOrUrl) {
    if (Handler()) {
        Handler()(pathOrUrl);
        return;
    }
    const QUrl url = pathOrUrl.contains(QStringLiteral("://")) ? QUrl(pathOrUrl)
                                                               : QUrl::fromLocalFile(pathOrUrl);
    QDesktopServices::openUrl(url);
}

void SetShellOpenHandler(std::function<void(const QString&)> handler) {
    Handler() = std::move(handler);
}

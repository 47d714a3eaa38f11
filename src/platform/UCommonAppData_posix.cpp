#include "platform/UCommonAppData.h"

#include <QDir>
#include <QStandardPaths>

// Without a machine-wide application data folder that a user may write, the user's own data
// folder stands in for it (XDG_DATA_HOME, else ~/.local/share).
QString GetCommonAppDataFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (folder.isEmpty())
        return QString();
    return folder.endsWith(QDir::separator()) ? folder : folder + QDir::separator();
}

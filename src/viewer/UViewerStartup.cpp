#include "viewer/UViewerStartup.h"

#include "platform/UShellOpen.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <exception>

QString LaunchViewerMessage() {
    return QStringLiteral("Orvane needs to know the DVBViewer data folder.\r\n"
                          "Please launch DVBViewer, then click OK.");
}

QString DetectedFoldersMessage(const QString& viewerDataFolder) {
    return QStringLiteral("Detected: ") + viewerDataFolder +
           QStringLiteral("\r\nIt will be stored for your next visit.\r\n"
                          "Just click \"Open DVBViewer\" to load the channel list.\r\n"
                          "You can tune channels (F9) if DVBViewer is running.");
}

bool CheckViewerDataFolder() {
    try {
        LoadSettings();
        if (!SettingsReadFailure().isEmpty())
            ShowWarningMessage(SettingsReadFailure());
        // A stored folder is trusted as it stands, even one that has gone since.
        if (!Settings().DVBViewerDataFolder.isEmpty())
            return true;
        if (!IsViewerRunning())
            ShowInfoMessage(LaunchViewerMessage());
        if (!IsViewerRunning())
            return false;
        DetectFolders();
        ShowInfoMessage(DetectedFoldersMessage(Settings().DVBViewerDataFolder));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void OpenProgramDataFolder() {
    ShellOpen(GetProgramDataFolder());
}

void OpenViewerDataFolder() {
    ShellOpen(Settings().DVBViewerDataFolder);
}

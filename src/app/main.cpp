#include "help/UMyHelp.h"
#include "icons/UIcons.h"
#include "main/UMain.h"
#include "platform/USingleInstance.h"
#include "settings/USettings.h"
#include "viewer/UViewerStartup.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QLatin1String(OrvaneVersion));
    // Every window of the run carries the program's icon: the first-start message comes before
    // the main window, and the About box takes the application's.
    QApplication::setWindowIcon(AppIcon());
#ifdef ORVANE_DESKTOP_FILE_NAME
    // Ties the windows to the installed menu entry and its icon; on Wayland the desktop finds
    // the icon only through it.
    QGuiApplication::setDesktopFileName(QStringLiteral(ORVANE_DESKTOP_FILE_NAME));
#endif

    // One instance at a time; a second one leaves without a word.
    TSingleInstance instance;
    if (!instance.TryAcquire())
        return 0;

    if (QFontDatabase::families().contains(QStringLiteral("Segoe UI")))
        QApplication::setFont(QFont(QStringLiteral("Segoe UI"), 9));

    // A fresh program data folder gets the help pages the program ships with.
    const bool folderWasMissing = !QFileInfo::exists(GetProgramDataFolder());
    if (EnsureProgramDataFolder() && folderWasMissing)
        InstallHelpPages(GetProgramDataFolder());

    auto frmMain = std::make_unique<TfrmMain>();
    // The restore window lives for the whole run; the main window owns it.
    frmMain->CreateRestoreWindow();
    // Help windows belong to no window; the run ends with the main window all the same.
    QObject::connect(frmMain.get(), &TfrmMain::FormClosed, &app, [] {
        HelpWindowsManager().CloseAll();
        QCoreApplication::quit();
    });

    if (!CheckViewerDataFolder()) {
        // The window's end still writes the settings, so the next start asks again.
        frmMain.reset();
        return 0;
    }

    frmMain->show();
    const int result = QApplication::exec();
    frmMain.reset();
    return result;
}

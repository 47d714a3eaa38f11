#include "help/UMyHelp.h"

#include "help/UHelp.h"
#include "platform/UOrvaneError.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextEdit>

// Outside any namespace: the resource's initialiser lives in this static library, where no
// reference would otherwise keep it.
static void InitHelpResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(orvane_help);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

const char* const PageNames[HelpPageCount] = {
    "HappyMan", "CodePage", "CheckUncheck", "Restore", "Settings", "Main", "IPTV2Xepg", "",
};

const QString CouldNotShowMessage = QStringLiteral("Could not create/show help window");

} // namespace

QString HelpPageName(int number) {
    if (number < 0 || number >= HelpPageCount)
        return QString();
    return QString::fromLatin1(PageNames[number]);
}

int HelpPageNumber(const QString& name) {
    if (name.isEmpty())
        return -1;
    for (int i = 0; i < HelpPageCount; ++i) {
        if (name == QLatin1StringView(PageNames[i]))
            return i;
    }
    return -1;
}

QStringList HelpPageNames() {
    QStringList names;
    for (int i = 0; i < HelpPageCount; ++i) {
        if (PageNames[i][0] != '\0')
            names << QString::fromLatin1(PageNames[i]);
    }
    return names;
}

QString HelpFileName(const QString& name) {
    const QString folder = GetProgramDataFolder();
    // Without a data folder there is no page; a relative name would read the working folder.
    if (folder.isEmpty() || name.isEmpty())
        return QString();
    return folder + QStringLiteral("Language/English/") + name + QStringLiteral(".rtf");
}

void THelpWindowsManager::ShowHelp(const QString& HName, int HID) {
    if (HID < 0 || HID >= HelpPageCount) {
        ShowErrorMessage(CouldNotShowMessage);
        return;
    }
    if (IsLaunched(HID)) {
        SetWindowFocus(HID);
        return;
    }
    auto* window = new TfrmHelp();
    try {
        Add(window, HID);
        window->SetHelpName(HName, HID);
        window->ShowPage();
    } catch (const std::exception&) {
        Remove(HID);
        delete window;
        ShowErrorMessage(CouldNotShowMessage);
    }
}

bool THelpWindowsManager::IsLaunched(int HID) const {
    return Window(HID) != nullptr;
}

void THelpWindowsManager::SetWindowFocus(int HID) {
    TfrmHelp* window = Window(HID);
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
    window->reHelp()->setFocus();
}

void THelpWindowsManager::Add(TfrmHelp* aWindow, int HID) {
    if (HID >= 0 && HID < HelpPageCount)
        FWs[HID] = aWindow;
}

void THelpWindowsManager::Remove(int HID) {
    if (HID >= 0 && HID < HelpPageCount)
        FWs[HID] = nullptr;
}

TfrmHelp* THelpWindowsManager::Window(int HID) const {
    if (HID < 0 || HID >= HelpPageCount)
        return nullptr;
    return FWs[HID].data();
}

void THelpWindowsManager::CloseAll() {
    for (QPointer<TfrmHelp>& slot : FWs) {
        if (TfrmHelp* window = slot.data()) {
            slot = nullptr;
            delete window;
        }
    }
}

THelpWindowsManager& HelpWindowsManager() {
    static THelpWindowsManager manager;
    static bool hooked = false;
    // Windows outlive no application: free them while it still exists.
    if (!hooked && QCoreApplication::instance()) {
        hooked = true;
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                         QCoreApplication::instance(), [] { HelpWindowsManager().CloseAll(); });
    }
    return manager;
}

void ShowHelpPage(int number) {
    HelpWindowsManager().ShowHelp(HelpPageName(number), number);
}

void ShowHelpPage(const QString& pageName) {
    ShowHelpPage(HelpPageNumber(pageName));
}

QString InstalledHelpFolder() {
#ifdef ORVANE_DATA_FROM_BINDIR
    // Relative to the executable rather than a fixed prefix: the same package runs from
    // /usr, /usr/local, /opt or a folder the user unpacked it into.
    return QDir::cleanPath(
        QDir(QCoreApplication::applicationDirPath())
            .filePath(QStringLiteral(ORVANE_DATA_FROM_BINDIR "/Language/English")));
#else
    return QString();
#endif
}

bool InstallHelpPages(const QString& programDataFolder, QStringList* written) {
    return InstallHelpPagesFrom(programDataFolder, InstalledHelpFolder(), written);
}

bool InstallHelpPagesFrom(const QString& programDataFolder, const QString& sourceFolder,
                          QStringList* written) {
    InitHelpResources();
    const QString folder = QDir(programDataFolder).filePath(QStringLiteral("Language/English"));
    bool ok = QDir().mkpath(folder);
    for (const QString& name : HelpPageNames()) {
        const QString fileName = name + QStringLiteral(".rtf");
        const QString target = QDir(folder).filePath(fileName);
        if (QFileInfo::exists(target))
            continue;
        QFile source;
        bool opened = false;
        if (!sourceFolder.isEmpty()) {
            source.setFileName(QDir(sourceFolder).filePath(fileName));
            opened = source.open(QIODevice::ReadOnly);
        }
        // A page the installation lacks, or cannot give, is the built-in one.
        if (!opened) {
            source.setFileName(QStringLiteral(":/help/Language/English/") + fileName);
            if (!source.open(QIODevice::ReadOnly)) {
                ok = false;
                continue;
            }
        }
        // Written whole or not at all, and with the user's own permissions rather than the
        // resource's read-only ones, so that the user can edit the page.
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly) || file.write(source.readAll()) != source.size() ||
            !file.commit()) {
            ok = false;
            continue;
        }
        if (written)
            *written << target;
    }
    return ok;
}

#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>

class TfrmHelp;

// The help pages by number; every Help button and the main window's "Help..." name one.
enum THelpPage : int {
    hpHappyMan = 0,
    hpCodePage = 1,
    hpCheckUncheck = 2,
    hpRestore = 3,
    hpSettings = 4,
    hpMain = 5,
    hpIPTV2Xepg = 6,
    hpUnused = 7,
};

inline constexpr int HelpPageCount = 8;

// The page's name ("Settings" for 4); empty for 7 and for numbers that name no page.
QString HelpPageName(int number);
// The number of the named page; -1 when no page has that name.
int HelpPageNumber(const QString& name);
// The names of the pages that exist, in number order.
QStringList HelpPageNames();
// Where a page is read from: <program data folder>Language/English/<name>.rtf.
QString HelpFileName(const QString& name);

// Keeps at most one help window per page. It does not own the windows: each frees itself
// when closed and empties its slot.
class THelpWindowsManager {
public:
    THelpWindowsManager() = default;
    THelpWindowsManager(const THelpWindowsManager&) = delete;
    THelpWindowsManager& operator=(const THelpWindowsManager&) = delete;

    // Brings the page's window forward when it is open, otherwise opens one; a page that cannot
    // be loaded gives "Could not create/show help window".
    void ShowHelp(const QString& HName, int HID);
    bool IsLaunched(int HID) const;
    void SetWindowFocus(int HID);
    void Add(TfrmHelp* aWindow, int HID);
    void Remove(int HID);

    // The open window of a page, or nullptr.
    TfrmHelp* Window(int HID) const;
    // Closes every open help window (the program is ending).
    void CloseAll();

private:
    std::array<QPointer<TfrmHelp>, HelpPageCount> FWs;
};

// The process-wide manager.
THelpWindowsManager& HelpWindowsManager();

void ShowHelpPage(int number);
// The same by the page's name.
void ShowHelpPage(const QString& pageName);

// The folder of help pages installed with the program, found from where the executable is
// (<prefix>/share/orvane/Language/English/ beside <prefix>/bin/orvane), so that the program
// finds it wherever it was installed; empty when this build has no such place.
QString InstalledHelpFolder();

// Copies the pages the program ships with into <programDataFolder>/Language/English/, each
// only when that file is missing, so that a page the user has edited stays as it is. A page
// comes from InstalledHelpFolder() when it is there, so that a packager's pages win, and
// otherwise from the copy built into the program. Returns false when a missing page could not
// be written; the names of the written files go to *written when given.
bool InstallHelpPages(const QString& programDataFolder, QStringList* written = nullptr);
// The same with the installed pages taken from sourceFolder (empty: built-in pages only).
bool InstallHelpPagesFrom(const QString& programDataFolder, const QString& sourceFolder,
                          QStringList* written = nullptr);

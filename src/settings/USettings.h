#pragma once

#include "platform/UCommonAppData.h"

#include <QString>
#include <QtGlobal>

// The one process-wide settings record. Each member starts at its built-in default, which
// holds until the settings file is read and whenever the file lacks the key.
struct TSettings {
    quint8 PathMode = 2;
    QString DVBViewerDataFolder;
    QString DefaultWorkFolder;
    bool ConfirmSaveDVBViewer = true;
    bool ConfirmOverwriteFile = true;
    bool DoInfoFileSaved = true;
    bool ConfirmDeleteChecked = true;
    int CodepageIndex = 0;
    int ForcedCodePage = -1;
    bool FreeDragAndDropAllowed = false;
    bool frmGoToVisible = false;
    bool frmCheckingVisible = false;
    QString ChannelSeparator = QStringLiteral("   \u2022   ");
    QString RootSeparator = QStringLiteral("   >>>>>>");

    int frmMainLeft = 50;
    int frmMainTop = 50;
    int frmMainClientHeight = 608;
    int frmMainClientWidth = 720;
    int tvChannelsWidth = 400;
    int frmCheckingLeft = 200;
    int frmCheckingTop = 200;
    int frmCheckingClientWidth = 360;
    int frmCheckingClientHeight = 700;
    int frmFoldersLeft = 200;
    int frmFoldersTop = 100;
    int frmMakeManHappyLeft = 200;
    int frmMakeManHappyTop = 200;
    int frmMakeManHappyClientHeight = 586;
    int frmMakeManHappyClientWidth = 413;
    int frmGoToLeft = 200;
    int frmGoToTop = 200;
    int frmSearchLeft = 200;
    int frmSearchTop = 200;
    int frmCheckCategoriesLeft = 200;
    int frmCheckCategoriesTop = 100;
    int frmCheckCategoriesClientHeight = 565;
    int frmCheckCategoriesClientWidth = 417;
    int frmRestoreLeft = 200;
    int frmRestoreTop = 100;
    int frmRestoreClientHeight = 570;
    int frmRestoreClientWidth = 426;
};

// The version text shown in captions and written to the settings file.
inline constexpr const char* OrvaneVersion = "0.3.0.0";

// The process-wide record.
TSettings& Settings();
// Puts every value back to its built-in default and forgets a file that could not be read
// (start of a test, or a fresh run).
void ResetSettings();

// GetCommonAppDataFolder() + "Orvane" + separator.
QString GetProgramDataFolder();
// Creates the program data folder when it is missing; false when it cannot be created (or the
// platform names no application data folder).
bool EnsureProgramDataFolder();
// The settings file in the program data folder.
QString SettingsFileName();

// Reads the settings file into the record; a missing file, section or key leaves the values in
// force. So does an existing file that cannot be read (a folder of that name, no permission):
// then SettingsReadFailure() says which file and why, and SaveSettings leaves that file alone
// for the rest of the run, so that the user's settings are never replaced by defaults.
void LoadSettings();
// The text for the user when the last LoadSettings could not read the file; empty otherwise.
QString SettingsReadFailure();
// Writes the record into the settings file, keeping everything else the file holds. Creates the
// program data folder when needed; the file is replaced whole or not at all. Writes nothing
// after a LoadSettings that could not read the file. Raises EFOpenError when the existing file
// cannot be read (it is then left alone), EFCreateError or EWriteError naming the file when it
// cannot be written.
void SaveSettings();

// The forced code page when one is chosen, else the system's ANSI code page.
int EffectiveCodePage();

// Any text as the settings file: read it, write it back, read that again; the second read
// must give the record the first one gave.

#include "platform/UOrvaneError.h"
#include "settings/USettings.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// Every member of the record, for the comparison of two reads.
auto Fields(const TSettings& s) {
    return std::tie(
        s.PathMode, s.DVBViewerDataFolder, s.DefaultWorkFolder, s.ConfirmSaveDVBViewer,
        s.ConfirmOverwriteFile, s.DoInfoFileSaved, s.ConfirmDeleteChecked, s.CodepageIndex,
        s.ForcedCodePage, s.FreeDragAndDropAllowed, s.frmGoToVisible, s.frmCheckingVisible,
        s.ChannelSeparator, s.RootSeparator, s.frmMainLeft, s.frmMainTop, s.frmMainClientHeight,
        s.frmMainClientWidth, s.tvChannelsWidth, s.frmCheckingLeft, s.frmCheckingTop,
        s.frmCheckingClientWidth, s.frmCheckingClientHeight, s.frmFoldersLeft, s.frmFoldersTop,
        s.frmMakeManHappyLeft, s.frmMakeManHappyTop, s.frmMakeManHappyClientHeight,
        s.frmMakeManHappyClientWidth, s.frmGoToLeft, s.frmGoToTop, s.frmSearchLeft, s.frmSearchTop,
        s.frmCheckCategoriesLeft, s.frmCheckCategoriesTop, s.frmCheckCategoriesClientHeight,
        s.frmCheckCategoriesClientWidth, s.frmRestoreLeft, s.frmRestoreTop,
        s.frmRestoreClientHeight, s.frmRestoreClientWidth);
}

void Fail(const char* what, const QString& fileName) {
    std::fprintf(stderr, "check failed: %s\n", what);
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly))
        std::fprintf(stderr, "file written:\n%s\n", file.readAll().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A data folder of this process alone, so that runs side by side do not meet.
    const QString home =
        QDir::tempPath() + QStringLiteral("/orvane-fuzz-settings-") + QString::number(getpid());
    QDir().mkpath(home);
    setenv("XDG_DATA_HOME", QFile::encodeName(home).constData(), 1);
    if (!EnsureProgramDataFolder()) {
        std::fprintf(stderr, "cannot create the program data folder under %s\n",
                     QFile::encodeName(home).constData());
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString fileName = SettingsFileName();
    {
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            Fail("cannot write the input file", fileName);
    }
    ResetSettings();
    try {
        LoadSettings();
    } catch (const EOrvaneError&) {
        Fail("a readable settings file raised an error", fileName);
    }
    const TSettings first = Settings();

    try {
        SaveSettings();
    } catch (const EOrvaneError&) {
        Fail("the settings could not be written", fileName);
    }
    ResetSettings();
    LoadSettings();
    if (Fields(Settings()) != Fields(first))
        Fail("a second read of the written file gives another record", fileName);
    return 0;
}

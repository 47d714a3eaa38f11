#include "settings/USettings.h"

#include "platform/UCodePages.h"
#include "platform/UOrvaneError.h"
#include "settings/UIniFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString SectionName = QStringLiteral("Orvane");

enum class TKeyKind { Integer, Boolean, Text, Separator, PathMode, Version };

struct TKey {
    const char16_t* Name;
    TKeyKind Kind;
    int TSettings::*Int = nullptr;
    bool TSettings::*Bool = nullptr;
    QString TSettings::*Text = nullptr;
};

constexpr TKey IntKey(const char16_t* name, int TSettings::*member) {
    return TKey{name, TKeyKind::Integer, member, nullptr, nullptr};
}
constexpr TKey BoolKey(const char16_t* name, bool TSettings::*member) {
    return TKey{name, TKeyKind::Boolean, nullptr, member, nullptr};
}
constexpr TKey TextKey(const char16_t* name, QString TSettings::*member,
                       TKeyKind kind = TKeyKind::Text) {
    return TKey{name, kind, nullptr, nullptr, member};
}

// The order in which a new file receives its keys.
const TKey Keys[] = {
    TKey{u"PathMode", TKeyKind::PathMode},
    TextKey(u"DVBViewerDataFolder", &TSettings::DVBViewerDataFolder),
    TextKey(u"DefaultWorkFolder", &TSettings::DefaultWorkFolder),
    BoolKey(u"ConfirmSaveDVBViewer", &TSettings::ConfirmSaveDVBViewer),
    BoolKey(u"ConfirmOverwriteFile", &TSettings::ConfirmOverwriteFile),
    TKey{u"Version", TKeyKind::Version},
    BoolKey(u"DoInfoFileSaved", &TSettings::DoInfoFileSaved),
    BoolKey(u"ConfirmDeleteChecked", &TSettings::ConfirmDeleteChecked),
    IntKey(u"frmMainTop", &TSettings::frmMainTop),
    IntKey(u"frmMainLeft", &TSettings::frmMainLeft),
    IntKey(u"frmMainClientHeight", &TSettings::frmMainClientHeight),
    IntKey(u"frmMainClientWidth", &TSettings::frmMainClientWidth),
    IntKey(u"frmCheckingTop", &TSettings::frmCheckingTop),
    IntKey(u"frmCheckingLeft", &TSettings::frmCheckingLeft),
    IntKey(u"frmCheckingClientWidth", &TSettings::frmCheckingClientWidth),
    IntKey(u"frmCheckingClientHeight", &TSettings::frmCheckingClientHeight),
    IntKey(u"frmFoldersLeft", &TSettings::frmFoldersLeft),
    IntKey(u"frmFoldersTop", &TSettings::frmFoldersTop),
    IntKey(u"frmMakeManHappyTop", &TSettings::frmMakeManHappyTop),
    IntKey(u"frmMakeManHappyLeft", &TSettings::frmMakeManHappyLeft),
    IntKey(u"frmMakeManHappyClientHeight", &TSettings::frmMakeManHappyClientHeight),
    IntKey(u"frmMakeManHappyClientWidth", &TSettings::frmMakeManHappyClientWidth),
    IntKey(u"frmGoToTop", &TSettings::frmGoToTop),
    IntKey(u"frmGoToLeft", &TSettings::frmGoToLeft),
    IntKey(u"frmSearchLeft", &TSettings::frmSearchLeft),
    IntKey(u"frmSearchTop", &TSettings::frmSearchTop),
    IntKey(u"frmCheckCategoriesLeft", &TSettings::frmCheckCategoriesLeft),
    IntKey(u"frmCheckCategoriesTop", &TSettings::frmCheckCategoriesTop),
    IntKey(u"frmCheckCategoriesClientHeight", &TSettings::frmCheckCategoriesClientHeight),
    IntKey(u"frmCheckCategoriesClientWidth", &TSettings::frmCheckCategoriesClientWidth),
    IntKey(u"frmRestoreLeft", &TSettings::frmRestoreLeft),
    IntKey(u"frmRestoreTop", &TSettings::frmRestoreTop),
    IntKey(u"frmRestoreClientHeight", &TSettings::frmRestoreClientHeight),
    IntKey(u"frmRestoreClientWidth", &TSettings::frmRestoreClientWidth),
    IntKey(u"tvChannelsWidth", &TSettings::tvChannelsWidth),
    IntKey(u"CodepageIndex", &TSettings::CodepageIndex),
    IntKey(u"ForcedCodePage", &TSettings::ForcedCodePage),
    BoolKey(u"FreeDragAndDropAllowed", &TSettings::FreeDragAndDropAllowed),
    BoolKey(u"frmGoToVisible", &TSettings::frmGoToVisible),
    BoolKey(u"frmCheckingVisible", &TSettings::frmCheckingVisible),
    TextKey(u"ChannelSeparator", &TSettings::ChannelSeparator, TKeyKind::Separator),
    TextKey(u"RootSeparator", &TSettings::RootSeparator, TKeyKind::Separator),
};

// Separators are stored between quotes so that their blanks survive the trimming of values.
// Both tests look at the text as read, so a lone quote, or two, reads as empty text.
QString UnquoteSeparator(const QString& asRead) {
    QString result = asRead;
    if (asRead.endsWith(u'"'))
        result.chop(1);
    if (asRead.startsWith(u'"') && !result.isEmpty())
        result.remove(0, 1);
    return result;
}

// Set when the settings file stood there but could not be read: it holds settings this run
// does not know, so it must not be written over.
QString GReadFailure;

} // namespace

TSettings& Settings() {
    static TSettings settings;
    return settings;
}

void ResetSettings() {
    Settings() = TSettings{};
    GReadFailure.clear();
}

QString SettingsReadFailure() {
    return GReadFailure;
}

QString GetProgramDataFolder() {
    const QString common = GetCommonAppDataFolder();
    if (common.isEmpty())
        return QString();
    return common + QStringLiteral("Orvane") + QDir::separator();
}

bool EnsureProgramDataFolder() {
    const QString folder = GetProgramDataFolder();
    if (folder.isEmpty())
        return false;
    return QDir().mkpath(folder);
}

QString SettingsFileName() {
    return GetProgramDataFolder() + QStringLiteral("Orvane.Ini");
}

void LoadSettings() {
    if (GetProgramDataFolder().isEmpty())
        return;
    TIniFile ini;
    try {
        ini = TIniFile(SettingsFileName());
    } catch (const EFileError& e) {
        GReadFailure =
            e.Message() + QStringLiteral("\r\nOrvane goes on with its default settings and leaves "
                                         "that file as it is: changed settings are not saved in "
                                         "this run.");
        return;
    }
    TSettings& s = Settings();
    for (const TKey& key : Keys) {
        const QString name = QString::fromUtf16(key.Name);
        switch (key.Kind) {
        case TKeyKind::Integer:
            s.*key.Int = ini.ReadInteger(SectionName, name, s.*key.Int);
            break;
        case TKeyKind::Boolean:
            s.*key.Bool = ini.ReadBool(SectionName, name, s.*key.Bool);
            break;
        case TKeyKind::Text:
            s.*key.Text = ini.ReadString(SectionName, name, s.*key.Text);
            break;
        case TKeyKind::Separator:
            if (const std::optional<QString> value = ini.Value(SectionName, name))
                s.*key.Text = UnquoteSeparator(*value);
            break;
        case TKeyKind::PathMode: {
            // Only 0, 1 and 2 have a meaning; anything else a hand edit left shows the full path.
            const int mode = ini.ReadInteger(SectionName, name, s.PathMode);
            s.PathMode = mode >= 0 && mode <= 2 ? static_cast<quint8>(mode) : 2;
            break;
        }
        case TKeyKind::Version:
            break;
        }
    }
}

void SaveSettings() {
    // The user was told at start-up that this file is kept as it is.
    if (!GReadFailure.isEmpty())
        return;
    if (GetProgramDataFolder().isEmpty())
        throw EFCreateError(QStringLiteral("Cannot create file \"Orvane.Ini\". The system names "
                                           "no application data folder."));
    const QString fileName = SettingsFileName();
    TIniFile ini(fileName);
    const TSettings& s = Settings();
    for (const TKey& key : Keys) {
        const QString name = QString::fromUtf16(key.Name);
        switch (key.Kind) {
        case TKeyKind::Integer:
            ini.WriteInteger(SectionName, name, s.*key.Int);
            break;
        case TKeyKind::Boolean:
            ini.WriteBool(SectionName, name, s.*key.Bool);
            break;
        case TKeyKind::Text:
            ini.WriteString(SectionName, name, s.*key.Text);
            break;
        case TKeyKind::Separator:
            ini.WriteString(SectionName, name, u'"' + s.*key.Text + u'"');
            break;
        case TKeyKind::PathMode:
            ini.WriteInteger(SectionName, name, s.PathMode);
            break;
        case TKeyKind::Version:
            ini.WriteString(SectionName, name, QLatin1String(OrvaneVersion));
            break;
        }
    }
    // The folder may be missing on a first run; without it the file cannot be written.
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    ini.UpdateFile();
}

int EffectiveCodePage() {
    const TSettings& s = Settings();
    return s.CodepageIndex != 0 ? s.ForcedCodePage : SystemAnsiCodePage();
}

#include "icons/UIcons.h"

#include <QFile>
#include <QHash>
#include <QStringView>

#include <algorithm>
#include <iterator>

// The resource lives in a static library, where nothing else would pull its
// initialiser into the executable; naming it here does.
static void InitIconResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)done;
}

namespace {

struct TIndexedPicture {
    int Index;
    const char* File;
};

// Kept sorted: CommandIconNames() relies on it.
const char* const CommandPictures[] = {
    "About",
    "AppendChecked",
    "AppendUnchecked",
    "ApplyOrder",
    "Changes",
    "CheckAll",
    "CheckDuplicates",
    "Checking",
    "CheckingByCategoryAndRoot",
    "Codepage",
    "CollapseTreeView",
    "DefaultAudioTrack",
    "DeleteAllBookmarks",
    "DeleteChecked",
    "DeletePermanently",
    "EditChannelName",
    "Exit",
    "ExpandTreeView",
    "Export",
    "FileOpen",
    "FileSave",
    "FileSaveAs",
    "FocusMainForm",
    "Folders",
    "FullPath",
    "GoTo",
    "Help",
    "Information",
    "InsertCheckedAfter",
    "InsertCheckedBefore",
    "InvertChecking",
    "KeepMovedChannelsChecked",
    "MakeIPTVXepgReady",
    "MakeManHappy",
    "MoveCheckedToBottom",
    "MoveCheckedToTop",
    "NoPath",
    "OpenDVBViewerFile",
    "RenameCategories",
    "RenameRoots",
    "Restore",
    "RestoreDeleted",
    "SaveCheckedAs",
    "SaveDVBViewerFile",
    "Search",
    "SetAutoUpdate",
    "SetEPGFlags",
    "SetGroup",
    "SetRDS",
    "SetSpeakers",
    "Settings",
    "ShowChannelNumbers",
    "SmallPath",
    "ToggleBookmark",
    "Tune",
    "UncheckAll",
    "ViewChannelInfo",
    "ViewChecking",
    "ViewGoTo",
    "ViewStructure",
};

const TIndexedPicture NodePictures[] = {
    {1, "NodeTV"},
    {2, "NodeRadio"},
    {3, "NodeEncryptedTV"},
    {4, "NodeEncryptedRadio"},
    {5, "NodeBookmarkedTV"},
    {6, "NodeBookmarkedRadio"},
    {7, "NodeBookmarkedEncryptedTV"},
    {8, "NodeBookmarkedEncryptedRadio"},
    {10, "NodeRoot"},
    {11, "NodeCategory"},
    {13, "NodeSelected"},
    {14, "NodeSelectedBookmarked"},
};

const TIndexedPicture StatePictures[] = {
    {1, "StateUnticked"},
    {2, "StateTicked"},
};

const TIndexedPicture HappyPictures[] = {
    {0, "Happy"},
    {1, "NotHappy"},
};

const TIndexedPicture IptvPictures[] = {
    {1, "IptvClash"},
    {2, "IptvUnique"},
    {5, "IptvNewNid"},
    {6, "IptvKeepsNid"},
};

QString PictureFile(const char* baseName) {
    return QStringLiteral(":/icons/") + QLatin1StringView(baseName) + QStringLiteral(".svg");
}

// The sizes at which a build without SVG support has each picture as a PNG,
// ":/icons/<name>-<size>.png" (the program's icon has larger ones as well).
constexpr int RenderedSizes[] = {16, 20, 24, 32, 40, 48, 64, 96, 128, 256};

void AddPicture(QIcon& icon, const char* baseName, QIcon::Mode mode) {
    const QString svg = PictureFile(baseName);
    if (QFile::exists(svg)) {
        icon.addFile(svg, QSize(), mode);
        return;
    }
    for (const int size : RenderedSizes) {
        const QString png = QStringLiteral(":/icons/") + QLatin1StringView(baseName) + u'-' +
                            QString::number(size) + QStringLiteral(".png");
        if (QFile::exists(png))
            icon.addFile(png, QSize(size, size), mode);
    }
}

QIcon Picture(const char* baseName) {
    QIcon icon;
    AddPicture(icon, baseName, QIcon::Normal);
    return icon;
}

QIcon CachedIcon(const char* baseName) {
    InitIconResources();
    static QHash<const char*, QIcon> cache;
    auto it = cache.constFind(baseName);
    if (it == cache.constEnd())
        it = cache.insert(baseName, Picture(baseName));
    return *it;
}

template <std::size_t N> const char* FindPicture(const TIndexedPicture (&table)[N], int index) {
    for (const TIndexedPicture& p : table)
        if (p.Index == index)
            return p.File;
    return nullptr;
}

template <std::size_t N> QIcon IndexedIcon(const TIndexedPicture (&table)[N], int index) {
    const char* file = FindPicture(table, index);
    return file ? CachedIcon(file) : QIcon();
}

} // namespace

QIcon CommandIcon(const QString& actionName) {
    const QLatin1StringView prefix("act");
    if (!actionName.startsWith(prefix))
        return QIcon();
    const QString base = actionName.mid(prefix.size());
    const auto begin = std::begin(CommandPictures);
    const auto end = std::end(CommandPictures);
    const auto it = std::lower_bound(begin, end, base, [](const char* entry, const QString& b) {
        return QString::compare(QLatin1StringView(entry), b, Qt::CaseSensitive) < 0;
    });
    if (it == end || base != QLatin1StringView(*it))
        return QIcon();
    return CachedIcon(*it);
}

QStringList CommandIconNames() {
    QStringList names;
    names.reserve(static_cast<qsizetype>(std::size(CommandPictures)));
    for (const char* entry : CommandPictures)
        names.append(QStringLiteral("act") + QLatin1StringView(entry));
    return names;
}

QIcon NodeImage(int index) {
    return IndexedIcon(NodePictures, index);
}

QIcon NodeIcon(int nodeImage, int selectedImage) {
    const char* normal = FindPicture(NodePictures, nodeImage);
    const char* selected = FindPicture(NodePictures, selectedImage);
    if (!normal)
        return QIcon();
    if (!selected)
        return CachedIcon(normal);
    InitIconResources();
    static QHash<int, QIcon> cache;
    const int key = nodeImage * 100 + selectedImage;
    auto it = cache.constFind(key);
    if (it == cache.constEnd()) {
        QIcon icon;
        AddPicture(icon, normal, QIcon::Normal);
        AddPicture(icon, selected, QIcon::Selected);
        it = cache.insert(key, icon);
    }
    return *it;
}

QIcon StateImage(int index) {
    return IndexedIcon(StatePictures, index);
}

QIcon HappyImage(int index) {
    return IndexedIcon(HappyPictures, index);
}

QIcon IptvStateImage(int index) {
    return IndexedIcon(IptvPictures, index);
}

QIcon AppIcon() {
    return CachedIcon("AppIcon");
}

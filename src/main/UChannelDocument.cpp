#include "main/UChannelDocument.h"

#include "channels/UChannel.h"
#include "channels/UChannelRec.h"
#include "channels/UChannels.h"
#include "main/UChangeSummary.h"
#include "main/UChannelTreeModel.h"
#include "main/UCsvExport.h"
#include "platform/UAtomicFile.h"
#include "platform/UOrvaneError.h"
#include "settings/USettings.h"
#include "ui/UUserPrompt.h"
#include "viewer/UTuning.h"
#include "viewer/UViewerEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <cstdio>
#include <unistd.h>
#endif

namespace {

const QString& DialogFilter() {
    static const QString filter = QStringLiteral("DVBViewer channel list (*.dat)");
    return filter;
}

// A name typed without an extension gets the list extension, as the save dialogs promise.
QString WithDefaultExtension(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QStringLiteral(".dat");
}

bool SamePath(const QString& a, const QString& b) {
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

bool IsPathSeparator(QChar c) {
#ifdef Q_OS_WIN
    return c == u'\\' || c == u'/' || c == u':';
#else
    return c == u'/';
#endif
}

QString ClassNameOf(const std::exception& e) {
    if (const auto* error = dynamic_cast<const EOrvaneError*>(&e))
        return error->ClassName();
    return QStringLiteral("Exception");
}

QString MessageOf(const std::exception& e) {
    if (const auto* error = dynamic_cast<const EOrvaneError*>(&e))
        return error->Message();
    return QString::fromLocal8Bit(e.what());
}

bool Exists(const QString& path) {
    return QFileInfo::exists(path);
}
// A companion is read only when it is a file; a folder of that name is not one.
bool IsFile(const QString& path) {
    return QFileInfo(path).isFile();
}

void AppendRecord(QByteArray& image, const TChannel& channel) {
    image.append(reinterpret_cast<const char*>(&channel.Rec), ChannelRecSize);
}

QByteArray Digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

// The digest of the file the list was read from: its header and records as read.
QByteArray DigestOfList(const TChannels& channels) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&channels.Header()), HeaderSize));
    for (const auto& channel : channels.Channels())
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(&channel->Rec), ChannelRecSize));
    return hash.result();
}

QByteArray HeaderImage(const TChannels& channels, qsizetype records) {
    QByteArray image;
    image.reserve(HeaderSize + records * ChannelRecSize);
    image.append(reinterpret_cast<const char*>(&channels.Header()), HeaderSize);
    return image;
}

// The enabling timer pauses while a file is read in, and runs again however the read ends.
class TLoadingGuard {
public:
    explicit TLoadingGuard(TChannelDocument& document) : FDocument(document) {
        Q_EMIT FDocument.LoadingStarted();
    }
    ~TLoadingGuard() { Q_EMIT FDocument.LoadingFinished(); }
    TLoadingGuard(const TLoadingGuard&) = delete;
    TLoadingGuard& operator=(const TLoadingGuard&) = delete;

private:
    TChannelDocument& FDocument;
};

} // namespace

TChannelDocument::TChannelDocument(TUserPrompt& prompt, QObject* parent)
    : QObject(parent), FPrompt(&prompt), FChannels(std::make_unique<TChannels>()),
      FTree(std::make_unique<TChannelTreeModel>()),
      FTuningManager(std::make_unique<TTuningManager>()) {
}

TChannelDocument::~TChannelDocument() {
    // The tree borrows the channels: it goes first.
    FTree.reset();
}

void TChannelDocument::SetModified(bool modified) {
    if (FModified == modified)
        return;
    FModified = modified;
    Q_EMIT ModifiedChanged(FModified);
}

TChannelTree TChannelDocument::MainTree() const {
    TChannelTree tree;
    tree.Model = FTree.get();
    tree.Selection = FSelection;
    return tree;
}

void TChannelDocument::SetTreeSelection(QItemSelectionModel* selection) {
    FSelection = selection;
}

bool TChannelDocument::IsDVBViewerFile(const QString& path) {
    return !path.isEmpty() && SamePath(path, DVBViewerFileName());
}

QString TChannelDocument::DVBViewerFileName() {
    return Settings().DVBViewerDataFolder + QStringLiteral("channels.dat");
}

QString TChannelDocument::DeletedFileName(const QString& path) {
    qsizetype dot = -1;
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (IsPathSeparator(path.at(i)))
            break;
        if (path.at(i) == u'.') {
            dot = i;
            break;
        }
    }
    return (dot < 0 ? path : path.left(dot)) + QStringLiteral(".Odel");
}

void TChannelDocument::SetFileName(const QString& path) {
    FFileName = path;
    Q_EMIT FileNameChanged(FFileName);
}

void TChannelDocument::SetDiskStamp(const QString& path, const QByteArray& digest) {
    FStampPath = path;
    FStampDigest = digest;
}

void TChannelDocument::SelectNode(int row) {
    if (row < 0 || row >= FTree->TopCount())
        return;
    // The view scrolls to its current index, so this also brings the node into view.
    MainTree().Select(FTree->NodeIndex(row));
}

std::vector<TChannel*> TChannelDocument::MainChannelsInTreeOrder() const {
    std::vector<TChannel*> mains;
    mains.reserve(size_t(FTree->TopCount()));
    for (int row = 0; row < FTree->TopCount(); ++row)
        mains.push_back(FTree->ChannelAt(row));
    return mains;
}

// --- Loading and appending -------------------------------------------------------------------

void TChannelDocument::LoadChannelList(const QString& path) {
    TLoadingGuard guard(*this);

    // Both files are read and checked before anything is touched: a refused file leaves the
    // list, the tree, the file name and the unsaved mark as they were.
    TChannels loaded;
    loaded.LoadFromFile(path);
    const QString deletedPath = DeletedFileName(path);
    TChannels deleted;
    if (IsFile(deletedPath))
        deleted.AddFromFileAsDeleted(deletedPath);

    // The list is refilled, never replaced: every window borrows it. The tree lets go of the
    // old channels before they are freed.
    FTree->Clear();
    FChannels->ClearChannels();
    FChannels->TakeContentsOf(loaded);
    // A list that reads without error is its file byte for byte: header and whole records.
    SetDiskStamp(path, DigestOfList(*FChannels));
    FTree->DisplayTreeView(*FChannels);
    SetFileName(path);
    SelectNode(0);
    if (deleted.Count() > 0)
        FChannels->AddFromBytesAsDeleted(deleted.ToBytes(), deletedPath);

    SetModified(false);
    Q_EMIT ChannelsChanged();
}

void TChannelDocument::AppendFile(const QString& path, bool asChecked) {
    if (path.isEmpty())
        return;
    TLoadingGuard guard(*this);

    // Read whole before the list grows, so that a refused file leaves no channels behind
    // that have no node. The list's own header stays: the read copy only checks the ID.
    TChannels appended;
    appended.LoadFromFile(path);
    const QString deletedPath = DeletedFileName(path);
    TChannels deleted;
    if (IsFile(deletedPath))
        deleted.AddFromFileAsDeleted(deletedPath);

    const int first = FChannels->Count();
    FChannels->AppendFromBytes(appended.ToBytes(), path, asChecked);
    FTree->AddAppendedToTree(*FChannels, first);
    if (deleted.Count() > 0)
        FChannels->AddFromBytesAsDeleted(deleted.ToBytes(), deletedPath);
    SelectNode(FTree->TopCount() - 1);

    SetModified(true);
    Q_EMIT ChannelsChanged();
}

// --- Saving ----------------------------------------------------------------------------------

void TChannelDocument::SaveChannelList(const QString& path, bool showInfo) {
    if (FTree->IsEmpty())
        return;
    const QString deletedPath = DeletedFileName(path);
    // A list named like its own companion would be overwritten or removed right after it
    // was written.
    if (SamePath(deletedPath, path))
        throw EFCreateError(QStringLiteral("Cannot save the channel list as \"%1\": that name "
                                           "is kept for the deleted channels. Choose another "
                                           "name.")
                                .arg(path));

    QByteArray image = HeaderImage(*FChannels, FChannels->Count());
    for (int row = 0; row < FTree->TopCount(); ++row) {
        AppendRecord(image, *FTree->ChannelAt(row));
        for (const TChannel* sub : FTree->SubChannelsAt(row))
            AppendRecord(image, *sub);
    }
    WriteFileAtomically(path, image);
    SetDiskStamp(path, Digest(image));
    // The list now lives under this name, whatever becomes of its companion.
    SetFileName(path);

    QByteArray deletedImage = HeaderImage(*FChannels, 0);
    bool anyDeleted = false;
    const int count = FChannels->Count();
    for (int i = 0; i < count;) {
        const TChannel* channel = FChannels->Channel(i);
        // The index is at hand: finding the channel again would make this walk quadratic.
        const int subs = FChannels->GetSubChannelCountAt(i);
        if (channel->State == csDeleted || channel->State == csRecentlyDeleted) {
            anyDeleted = true;
            for (int k = i; k <= i + subs && k < count; ++k)
                AppendRecord(deletedImage, *FChannels->Channel(k));
        }
        i += subs + 1;
    }
    if (anyDeleted)
        WriteFileAtomically(deletedPath, deletedImage);
    else if (Exists(deletedPath))
        QFile::remove(deletedPath);
    // Only now is every change on disk: a failed companion keeps the mark, so that the
    // deleted channels are not lost at exit without the question about unsaved changes.
    SetModified(false);

    if (showInfo)
        FPrompt->ShowInfoMessage(path + QStringLiteral("\r\nSaved."));
}

void TChannelDocument::SaveCheckedToFile(const QString& path, bool showInfo) {
    if (FTree->IsEmpty())
        return;
    QByteArray image = HeaderImage(*FChannels, FTree->CheckedCount());
    for (int row = 0; row < FTree->TopCount(); ++row) {
        const TChannel* channel = FTree->ChannelAt(row);
        if (!channel->IsChecked)
            continue;
        AppendRecord(image, *channel);
        for (const TChannel* sub : FTree->SubChannelsAt(row))
            AppendRecord(image, *sub);
    }
    WriteFileAtomically(path, image);
    // The file last loaded may be the one replaced: this program wrote it, no other.
    if (SamePath(path, FStampPath))
        SetDiskStamp(path, Digest(image));

    // Ticked channels are saved without deleted channels. A companion left from an older list
    // of this name would join the new list at its next load with channels it never had.
    const QString deletedPath = DeletedFileName(path);
    const bool staleCompanion = !SamePath(deletedPath, path) && IsFile(deletedPath);
    if (staleCompanion && !QFile::remove(deletedPath))
        throw EFCreateError(
            QStringLiteral("Cannot remove file \"%1\", which belongs to the "
                           "list that \"%2\" replaced. Remove it, or its "
                           "deleted channels join that list when it is opened.")
                .arg(QDir::toNativeSeparators(deletedPath), QDir::toNativeSeparators(path)));
    const QString removedNote =
        staleCompanion ? QStringLiteral("The deleted channels file %1 of the list it replaced "
                                        "was removed: checked channels are saved without "
                                        "deleted channels.")
                             .arg(QDir::toNativeSeparators(deletedPath))
                       : QString();
    if (showInfo)
        FPrompt->ShowInfoMessage(
            path + QStringLiteral("\r\nSaved.") +
            (removedNote.isEmpty() ? QString() : QStringLiteral("\r\n") + removedNote));
    else if (!removedNote.isEmpty())
        FPrompt->ShowInfoMessage(removedNote);
}

// --- Backups ---------------------------------------------------------------------------------

void TChannelDocument::DeleteBackupFile(const QString& path) {
    int code = 0;
#ifdef Q_OS_UNIX
    if (::unlink(QFile::encodeName(path).constData()) == 0)
        return;
    code = errno;
#else
    std::error_code error;
    if (std::filesystem::remove(std::filesystem::path(path.toStdU16String()), error))
        return;
    code = error ? error.value() : ENOENT;
#endif
    throw EBackupException(QStringLiteral("Failed to delete: ") + path +
                           QStringLiteral("\r\nGetLastError=") + QString::number(code));
}

void TChannelDocument::RenameBackupFile(const QString& oldPath, const QString& newPath) {
    int code = 0;
#ifdef Q_OS_UNIX
    if (::rename(QFile::encodeName(oldPath).constData(), QFile::encodeName(newPath).constData()) ==
        0)
        return;
    code = errno;
#else
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(oldPath.toStdU16String()),
                            std::filesystem::path(newPath.toStdU16String()), error);
    if (!error)
        return;
    code = error.value();
#endif
    throw EBackupException(QStringLiteral("Failed to rename: ") + oldPath +
                           QStringLiteral("\r\nto\r\n") + newPath +
                           QStringLiteral("\r\nGetLastError=") + QString::number(code));
}

bool TChannelDocument::BackupDVBViewerFiles() {
    const QString viewerFolder = Settings().DVBViewerDataFolder;
    const QString viewerList = viewerFolder + QStringLiteral("channels.dat");
    const QString viewerDeleted = viewerFolder + QStringLiteral("channels.Odel");
    if (!Exists(viewerList))
        return true;

    const QString backupFolder = GetProgramDataFolder();
    const auto backup = [&backupFolder](const char* name) -> QString {
        return backupFolder + QLatin1String(name);
    };
    try {
        // A first save on a fresh machine must not fail for want of the folder.
        if (!EnsureProgramDataFolder())
            throw EBackupException(QStringLiteral("Failed to create the folder: ") + backupFolder);

        if (!Exists(backup("channels.dat"))) {
            CopyFileContents(viewerList, backup("channels.dat"));
            if (Exists(backup("channels.Odel")))
                DeleteBackupFile(backup("channels.Odel"));
            if (Exists(viewerDeleted))
                CopyFileContents(viewerDeleted, backup("channels.Odel"));
        }
        if (Exists(backup("channels2.Odel")))
            DeleteBackupFile(backup("channels2.Odel"));
        if (Exists(backup("channels2.dat")))
            DeleteBackupFile(backup("channels2.dat"));
        if (Exists(backup("channels1.Odel")))
            RenameBackupFile(backup("channels1.Odel"), backup("channels2.Odel"));
        if (Exists(backup("channels1.dat")))
            RenameBackupFile(backup("channels1.dat"), backup("channels2.dat"));
        CopyFileContents(viewerList, backup("channels1.dat"));
        if (Exists(viewerDeleted))
            CopyFileContents(viewerDeleted, backup("channels1.Odel"));
    } catch (const std::exception& e) {
        FPrompt->ShowErrorMessage(QStringLiteral("Backup Process Failed:\r\nClassName: ") +
                                  ClassNameOf(e) + QStringLiteral("\r\nMessage: ") + MessageOf(e));
        return false;
    }
    return true;
}

bool TChannelDocument::SaveDVBViewer() {
    if (!BackupDVBViewerFiles()) {
        FPrompt->ShowErrorMessage(
            QStringLiteral("Backup of DVBViewer Channel list (channels.dat) failed.\r\n"
                           "The Channels are NOT saved.\r\n"
                           "Try Save As instead."));
        return false;
    }
    try {
        SaveChannelList(DVBViewerFileName(), true);
    } catch (const std::exception& e) {
        FPrompt->ShowErrorMessage(
            QStringLiteral("Failed to overwrite channels.dat:\r\nClassName: ") + ClassNameOf(e) +
            QStringLiteral(" Message: ") + MessageOf(e));
        FPrompt->ShowWarningMessage(
            QStringLiteral("channels.dat/channels.Odel might be corrupted.\r\n"
                           "---------------\r\n"
                           "Proberly OK if \"Access denied\" error.\r\n"
                           "In that case use Save As and Run Orvane as Administrator.\r\n"
                           "---------------\r\n"
                           "In other cases you have up 3 backups in Orvane Data Folder:\r\n"
                           "channels.dat, channels1.dat and channels2.dat."));
        return false;
    }
    const std::vector<TChannel*> mains = MainChannelsInTreeOrder();
    FTuningManager->GetChannelsFromChannels(std::span<TChannel* const>(mains));
    return true;
}

// --- Commands --------------------------------------------------------------------------------

bool TChannelDocument::MayDiscardChanges() {
    return !FModified ||
           FPrompt->AskWarningQuestion(QStringLiteral("Changes are not saved!!! Load anyway?"));
}

bool TChannelDocument::MayOverwrite(const QString& path) {
    if (!Exists(path) || !Settings().ConfirmOverwriteFile)
        return true;
    return FPrompt->AskWarningQuestion(QStringLiteral("File ") + path +
                                       QStringLiteral(" exists! Overwrite?"));
}

void TChannelDocument::CommandOpenDVBViewer() {
    if (!MayDiscardChanges())
        return;
    LoadChannelList(DVBViewerFileName());
    FTuningManager->GetChannelsFromCOM();
}

void TChannelDocument::CommandFileOpen() {
    if (!MayDiscardChanges())
        return;
    const QString path = FPrompt->AskOpenFileName(QStringLiteral("Open DVBViewer channel list"),
                                                  Settings().DefaultWorkFolder, DialogFilter());
    if (path.isEmpty())
        return;
    LoadChannelList(path);
}

void TChannelDocument::CommandFileSave() {
    if (FFileName.isEmpty() || IsDVBViewerFile(FFileName)) {
        CommandFileSaveAs();
        return;
    }
    SaveChannelList(FFileName, Settings().DoInfoFileSaved);
}

void TChannelDocument::CommandFileSaveAs() {
    const QString path = WithDefaultExtension(
        FPrompt->AskSaveFileName(QStringLiteral("Save DVBViewer channel list as"),
                                 Settings().DefaultWorkFolder, DialogFilter()));
    if (path.isEmpty() || !MayOverwrite(path))
        return;
    SaveChannelList(path, Settings().DoInfoFileSaved);
}

void TChannelDocument::CommandSaveCheckedAs() {
    const QString path = WithDefaultExtension(FPrompt->AskSaveFileName(
        QStringLiteral("Save Checked channels as"), Settings().DefaultWorkFolder, DialogFilter()));
    if (path.isEmpty() || !MayOverwrite(path))
        return;
    SaveCheckedToFile(path, Settings().DoInfoFileSaved);
}

QString TChannelDocument::AskAppendFileName(bool asChecked) const {
    return FPrompt->AskOpenFileName(
        asChecked ? QStringLiteral("Append DVBViewer channel list as Checked")
                  : QStringLiteral("Append DVBViewer channel list as Unchecked"),
        Settings().DefaultWorkFolder, DialogFilter());
}

void TChannelDocument::CommandAppend(bool asChecked) {
    AppendFile(AskAppendFileName(asChecked), asChecked);
}

void TChannelDocument::CommandSaveDVBViewer() {
    if (Settings().ConfirmSaveDVBViewer &&
        !FPrompt->AskConfirmation(QStringLiteral("Overwrite DVBViewer channel list?\r\n\r\n") +
                                  DescribeChanges(ChangesAgainstFile(DVBViewerFileName()))))
        return;
    SaveDVBViewer();
}

void TChannelDocument::CommandExport() {
    if (FTree->IsEmpty())
        return;
    const int checked = FTree->CheckedCount();
    // Yes takes the ticked channels, as "Save Checked As..." would; No the whole list.
    const bool checkedOnly =
        checked > 0 &&
        FPrompt->AskConfirmation(
            QStringLiteral("Export only the %1 checked channels?\r\n(No exports all %2 channels.)")
                .arg(checked)
                .arg(FTree->TopCount()));
    QString path =
        FPrompt->AskSaveFileName(QStringLiteral("Export channels as CSV"),
                                 Settings().DefaultWorkFolder, QStringLiteral("CSV file (*.csv)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    if (!MayOverwrite(path))
        return;
    WriteFileAtomically(path, CsvExport::ChannelsAsCsv(*FTree, checkedOnly));
    if (Settings().DoInfoFileSaved)
        FPrompt->ShowInfoMessage(path + QStringLiteral("\r\nExported: %1 channels.")
                                            .arg(checkedOnly ? checked : FTree->TopCount()));
}

TChangeReport TChannelDocument::ChangesAgainstFile(const QString& path) const {
    TChangeReport report;
    report.Path = path;
    report.Counts.InTree = FTree->TopCount();
    QFile file(path);
    report.FileExists = IsFile(path);
    if (!report.FileExists)
        return report;
    if (!file.open(QIODevice::ReadOnly)) {
        report.ReadError = file.errorString();
        return report;
    }
    const QByteArray bytes = file.readAll();
    report.ChangedOnDisk = SamePath(path, FStampPath) && Digest(bytes) != FStampDigest;
    try {
        TChannels onDisk;
        onDisk.LoadFromBytes(bytes, path);
        // Unreadable deleted channels only cost the restored count its accuracy.
        TChannels deleted;
        const QString deletedPath = DeletedFileName(path);
        if (IsFile(deletedPath)) {
            try {
                deleted.AddFromFileAsDeleted(deletedPath);
            } catch (const std::exception&) {
                deleted.ClearChannels();
            }
        }
        report.Counts = CompareTreeWithFile(*FTree, onDisk, deleted);
    } catch (const std::exception& e) {
        report.ReadError = MessageOf(e);
    }
    return report;
}

void TChannelDocument::CommandChanges() {
    const QString path = FFileName.isEmpty() ? DVBViewerFileName() : FFileName;
    FPrompt->ShowInfoMessage(DescribeChanges(ChangesAgainstFile(path)));
}

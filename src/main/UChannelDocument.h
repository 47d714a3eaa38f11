#pragma once

#include "main/UCheckedTreeViewHelper.h"

#include <QObject>
#include <QString>
#include <memory>

class TChannels;
class TChannelTreeModel;
class TTuningManager;
class TUserPrompt;
struct TChangeReport;

// The channel list of the run with its main tree and the file commands on them. The main
// window owns one and shows its tree; the commands here need no window, so that they run
// (and are tested) headless. What they ask or tell the user goes through the prompt, which
// outlives the document.
class TChannelDocument : public QObject {
    Q_OBJECT

public:
    explicit TChannelDocument(TUserPrompt& prompt, QObject* parent = nullptr);
    ~TChannelDocument() override;

    // The unsaved-changes mark: set by every command that changes the list or its order,
    // cleared by loading and by saving the whole list.
    bool IsModified() const { return FModified; }
    void SetModified(bool modified);

    TChannels& Channels() { return *FChannels; }
    TChannelTreeModel& Tree() { return *FTree; }
    TTuningManager& TuningManager() { return *FTuningManager; }
    // The main tree with the selection of its view (the main window sets the selection).
    TChannelTree MainTree() const;
    void SetTreeSelection(class QItemSelectionModel* selection);

    // Full path of the list last loaded or saved whole; empty until then.
    const QString& FileName() const { return FFileName; }

    // True when path names the viewer's channels.dat.
    static bool IsDVBViewerFile(const QString& path);
    static QString DVBViewerFileName();
    // The list's path with its extension replaced by ".Odel".
    static QString DeletedFileName(const QString& path);

    // The file commands. Reading and writing errors propagate as exceptions (the caller
    // shows them), except in SaveDVBViewer, which shows its own messages.
    void LoadChannelList(const QString& path);
    void SaveChannelList(const QString& path, bool showInfo);
    void SaveCheckedToFile(const QString& path, bool showInfo);
    void AppendFile(const QString& path, bool asChecked);
    // Rotates the backups in the program data folder; false (after telling the user) when
    // that failed.
    bool BackupDVBViewerFiles();
    // "Save DVBViewer" after its confirmation: backups, the write, the tuning table.
    // Returns true when the list was written.
    bool SaveDVBViewer();

    // The whole commands as the menu runs them: questions, dialogs, the operation above and
    // its messages. Errors other than those SaveDVBViewer handles propagate.
    void CommandOpenDVBViewer();
    void CommandFileOpen();
    void CommandFileSave();
    void CommandFileSaveAs();
    void CommandSaveCheckedAs();
    void CommandAppend(bool asChecked);
    void CommandSaveDVBViewer();
    // "Changes...": what saving the tree would change in the list file (the file last loaded
    // or saved, or else the viewer's), shown in an information box.
    void CommandChanges();
    // What writing the tree to path would change there, read from the file as it is now.
    TChangeReport ChangesAgainstFile(const QString& path) const;
    // "Export...": the list as a table for spreadsheet programs. With ticked channels the
    // user chooses between them and the whole list; the list itself is not touched.
    void CommandExport();

    // The open dialog of the append commands; the chosen path, or empty when cancelled.
    QString AskAppendFileName(bool asChecked) const;
    // Delete or rename a backup file, or raise EBackupException with the system's code.
    static void DeleteBackupFile(const QString& path);
    static void RenameBackupFile(const QString& oldPath, const QString& newPath);

    // The main channels of the tree in tree order (what the viewer will number).
    std::vector<class TChannel*> MainChannelsInTreeOrder() const;

Q_SIGNALS:
    // The unsaved-changes mark was set or cleared.
    void ModifiedChanged(bool modified);
    // FileName changed: the caption follows.
    void FileNameChanged(const QString& fileName);
    // Channels or their order changed: the structure and the information panes follow.
    void ChannelsChanged();
    // A load or an append starts or ends (the enabling timer pauses meanwhile).
    void LoadingStarted();
    void LoadingFinished();

private:
    void SetFileName(const QString& path);
    // Remembers what the file at path holds as this program last read or wrote it.
    void SetDiskStamp(const QString& path, const QByteArray& digest);
    void SelectNode(int row);
    // The questions before a load drops unsaved changes and before a save replaces a file.
    bool MayDiscardChanges();
    bool MayOverwrite(const QString& path);

    TUserPrompt* FPrompt;
    bool FModified = false;
    std::unique_ptr<TChannels> FChannels;
    std::unique_ptr<TChannelTreeModel> FTree;
    std::unique_ptr<TTuningManager> FTuningManager;
    class QItemSelectionModel* FSelection = nullptr;
    QString FFileName;
    // The file last loaded or saved whole, and a digest of its bytes then: a file that no
    // longer matches it was written by another program meanwhile.
    QString FStampPath;
    QByteArray FStampDigest;
};

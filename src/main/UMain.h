#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <vector>

class QAction;
class QActionGroup;
class QKeyEvent;
class QLabel;
class QMenu;
class QSplitter;
class QTextEdit;
class QTimer;
class QToolBar;
class QTreeView;
class TChannelDocument;
class TChannelTreeModel;
class TChannelTreeView;
class TChannel;
class TEditCommands;
class TChannels;
class TStructure;
class TStructureModel;
class TTuningManager;
class TUserPrompt;
class TfrmRestore;
class TfrmChecking;
class TfrmGoTo;

// The version's platform tag, shown in the caption.
inline constexpr const char* OrvanePlatformTag = "(x32)";

// The main window: the channel tree, the structure or channel information pane beside it,
// every command of the program as a QAction named after it, and the timer that keeps the
// commands' enabled state current.
class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    TChannelDocument& Document() { return *FDocument; }
    TChannels& Channels();
    TTuningManager& TuningManager();
    TChannelTreeModel& Tree();
    QString FileName() const;
    bool IsNotHappy() const { return FIsNotHappy; }
    TStructure& TheStructure() { return *FTheStructure; }
    TStructureModel& StructureModel() { return *FStructureModel; }
    // The editing commands of the run; their settings ("Keep Moved Channels Checked") live
    // as long as the window.
    TEditCommands& EditCommands() { return *FEditCommands; }
    // The restore window of the run (created at start); "Restore Deleted..." shows it.
    TfrmRestore* CreateRestoreWindow();
    TfrmRestore* RestoreWindow() const;

    // The text of the caption for a list file name (empty before the first load).
    static QString CaptionFor(const QString& name);
    void UpdateCaption(const QString& name);
    void ShowInfoPane();
    void UpdateChannelInfoAndWindows();
    void UpdateStructure();
    // Shows the structure as built: the pane, the grouped-or-not state and the face.
    void ShowStructure();
    // Deleted main channels back to the end of the main tree, ticked.
    void RestoreChannels(const std::vector<TChannel*>& rc);
    void ChangeTreeViewNames();
    void ShowCheckedCount();
    // Every command's enabled state from the state of the trees and the list.
    void UpdateActions();
    // How often tiEnabled follows the viewer and the commands' states.
    static constexpr int EnabledTimerInterval = 300;
    // One tick of tiEnabled.
    void tiEnabledTimer();
    // The window's own keys (F3 to F8 with or without Ctrl); true when the key was used.
    // The tool windows pass the keys they do not use here.
    bool FormKeyDown(QKeyEvent* event);
    // Selects the next (odd kinds) or previous (even kinds) top-level node of the active tree
    // after the selected one that matches the kind; nothing moves when none does.
    void SelectNextMatching(int kind);

    // Command handlers.
    void actInformationExecute();
    void actApplyOrderExecute();
    void actMakeIPTVXepgReadyExecute();
    void actViewStructureExecute();
    void actRestoreDeletedExecute();
    void actMakeManHappyExecute();
    void actViewChannelInfoExecute();
    void actHelpExecute();
    void actSearchExecute();
    void actGoToExecute();
    void actViewGoToExecute(bool checked);
    void actCheckingExecute();
    void actViewCheckingExecute(bool checked);
    void actCheckingByCategoryAndRootExecute();
    void actCheckDuplicatesExecute();
    // The check-by-properties and GoTo windows of the run.
    TfrmChecking* CheckingWindow() const { return FfrmChecking; }
    TfrmGoTo* GoToWindow() const { return FfrmGoTo; }
    void actTuneExecute();
    void actFoldersExecute();
    void actSettingsExecute();
    void actCodepageExecute();
    void actExpandTreeViewExecute();
    void actCollapseTreeViewExecute();
    void SetPathMode(int mode);

Q_SIGNALS:
    // The window agreed to close: the run ends.
    void FormClosed();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Opens the first root of the structure pane all the way down and closes the rest.
    void ShowFirstRootOnly();
    QAction* MakeAction(const char* name, const QString& caption, const QKeySequence& shortcut = {},
                        const QString& hint = QString());
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreatePanes();
    void CreateStatusBar();
    void ConnectCommands();
    void ConnectEditCommands();
    void CreateSelectionWindows();
    void AfterShow();
    void PrepareChannelsPopup(const QModelIndex& node);
    void SetEnabled(QAction* action, bool enabled);
    // The tree the expand and collapse commands act on.
    QTreeView* FocusedTree() const;
    void UpdateHappyPanel();

    // Controls.
    TChannelTreeView* tvChannels = nullptr;
    QTreeView* tvStructure = nullptr;
    QTextEdit* reChannelInfo = nullptr;
    QSplitter* FSplitter = nullptr;
    QToolBar* tbMain = nullptr;
    QLabel* FStatusPanels[4] = {};
    QTimer* tiEnabled = nullptr;
    QMenu* pmChannels = nullptr;
    QMenu* pmSubChannels = nullptr;
    QMenu* pmStructure = nullptr;

    // File.
    QAction* actOpenDVBViewerFile = nullptr;
    QAction* actSaveDVBViewerFile = nullptr;
    QAction* actFileOpen = nullptr;
    QAction* actFileSaveAs = nullptr;
    QAction* actFileSave = nullptr;
    QAction* actAppendChecked = nullptr;
    QAction* actAppendUnchecked = nullptr;
    QAction* actApplyOrder = nullptr;
    QAction* actExport = nullptr;
    QAction* actChanges = nullptr;
    QAction* actInformation = nullptr;
    QAction* actExit = nullptr;
    // Edit.
    QAction* actSearch = nullptr;
    QAction* actGoTo = nullptr;
    QAction* actToggleBookmark = nullptr;
    QAction* actDeleteAllBookmarks = nullptr;
    QAction* actRestoreDeleted = nullptr;
    QAction* actMakeManHappy = nullptr;
    QAction* actMakeIPTVXepgReady = nullptr;
    // View.
    QAction* actNoPath = nullptr;
    QAction* actSmallPath = nullptr;
    QAction* actFullPath = nullptr;
    QAction* actViewStructure = nullptr;
    QAction* actViewChannelInfo = nullptr;
    QAction* actShowChannelNumbers = nullptr;
    QAction* actViewChecking = nullptr;
    QAction* actViewGoTo = nullptr;
    // Check/Uncheck.
    QAction* actChecking = nullptr;
    QAction* actCheckingByCategoryAndRoot = nullptr;
    QAction* actCheckDuplicates = nullptr;
    QAction* actUncheckAll = nullptr;
    QAction* actCheckAll = nullptr;
    QAction* actInvertChecking = nullptr;
    // With Checked do.
    QAction* actKeepMovedChannelsChecked = nullptr;
    QAction* actRenameCategories = nullptr;
    QAction* actRenameRoots = nullptr;
    QAction* actMoveCheckedToTop = nullptr;
    QAction* actMoveCheckedToBottom = nullptr;
    QAction* actDeleteChecked = nullptr;
    QAction* actSaveCheckedAs = nullptr;
    QAction* actSetGroup = nullptr;
    QAction* actSetAutoUpdate = nullptr;
    QAction* actSetEPGFlags = nullptr;
    QAction* actSetSpeakers = nullptr;
    QAction* actSetRDS = nullptr;
    // Options and Help.
    QAction* actFolders = nullptr;
    QAction* actSettings = nullptr;
    QAction* actCodepage = nullptr;
    QAction* actHelp = nullptr;
    QAction* actAbout = nullptr;
    // Not in the main menu.
    QAction* actInsertCheckedBefore = nullptr;
    QAction* actInsertCheckedAfter = nullptr;
    QAction* actTune = nullptr;
    QAction* actEditChannelName = nullptr;
    QAction* actDefaultAudioTrack = nullptr;
    QAction* actExpandTreeView = nullptr;
    QAction* actCollapseTreeView = nullptr;
    QAction* actFocusMainForm = nullptr;

    // The document's questions become message boxes and file dialogs.
    std::unique_ptr<TUserPrompt> FPrompt;
    std::unique_ptr<TChannelDocument> FDocument;
    std::unique_ptr<TStructure> FTheStructure;
    TStructureModel* FStructureModel = nullptr;
    // The single node moved since the structure was last brought up to date, which it can
    // follow without a rebuild; any other change of the tree's shape spoils it.
    struct TNodeMove {
        int OldRow = -1;
        int NewRow = -1;
    };
    std::vector<TNodeMove> FMovesSinceStructure;
    TEditCommands* FEditCommands = nullptr;
    QPointer<TfrmRestore> FRestoreWindow;
    QActionGroup* FPathGroup = nullptr;
    QActionGroup* FPaneGroup = nullptr;
    // The check-by-properties window, once it exists: Help then shows its page.
    QPointer<QWidget> FCheckingWindow;
    TfrmChecking* FfrmChecking = nullptr;
    TfrmGoTo* FfrmGoTo = nullptr;
    bool FIsNotHappy = false;
    // "Tune" from the viewer's state as last seen and the selected channel.
    void UpdateTuneAction(bool running);
    void ViewerChannelsRead();
    void ViewerCallFailed(const QString& message, bool automatic);

    bool FViewerErrorShown = false;
    bool FShownOnce = false;
};

#pragma once

#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"

#include <QDialog>

#include <functional>
#include <vector>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QTimer;
class QToolBar;
class TChannel;
class TChannelDocument;
class TChannelTreeView;

// What the restore window uses of the window that opens it (the main window).
struct TRestoreHost {
    // The command of that object name, offered again in the restore window, where it acts on
    // the active tree (the restore tree while the window is shown); none when there is none.
    std::function<QAction*(const QString& name)> Command;
    // Brings the enabled state of those commands up to date for the active tree.
    std::function<void()> UpdateActions;
    // Hands deleted main channels back to the end of the main tree, ticked.
    std::function<void(const std::vector<TChannel*>&)> RestoreChannels;
    // The opener's own keys (the jumps); true when the key was used.
    std::function<bool(QKeyEvent*)> FormKeyDown;
};

// The restore window's tree: deleted main channels by their full name, whatever the main
// tree's path and number settings are.
class TRestoreTreeModel : public TChannelTreeModel {
    Q_OBJECT

public:
    using TChannelTreeModel::TChannelTreeModel;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

// Lists the deleted channels of the list, the latest batch ticked, for restoring them into
// the main tree or deleting them for good. One instance lives for the whole run and is shown
// modally by "Restore Deleted..."; while it is shown its tree is the active tree.
class TfrmRestore : public QDialog {
    Q_OBJECT

public:
    TfrmRestore(TChannelDocument& document, TRestoreHost host, QWidget* parent = nullptr);
    ~TfrmRestore() override;

    TRestoreTreeModel& Model() { return *FModel; }
    TChannelTree Tree() const;

    // Refills the tree from the list (done on every show).
    void FillTree();
    // One tick of tiEnabled: command states and the status bar.
    void tiEnabledTimer();
    void ShowCheckedCount();

    void actRestoreExecute();
    void actDeletePermanentlyExecute();
    void actUncheckAllExecute();
    void actCheckingExecute();
    void actGoToExecute();
    void actHelpExecute();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* MakeAction(const char* name, const QString& caption,
                        const QKeySequence& shortcut = {});
    // The host's command of the same name, run on this window's tree.
    QAction* Forward(const char* name, const QString& caption, const QKeySequence& shortcut = {});
    void CreateActions();
    void CreateMenus();
    bool FormKeyDown(QKeyEvent* event);
    void SetCommandEnabled(QAction* action, bool enabled);

    TChannelTreeView* tvDeleted = nullptr;
    QMenuBar* mmRestore = nullptr;
    QToolBar* tbDeleted = nullptr;
    QMenu* pmDeleted = nullptr;
    QLabel* FStatusPanels[3] = {};
    QTimer* tiEnabled = nullptr;

    // Edit.
    QAction* actSearch = nullptr;
    QAction* actGoTo = nullptr;
    QAction* actToggleBookmark = nullptr;
    QAction* actDeleteAllBookmarks = nullptr;
    // Check/Uncheck.
    QAction* actChecking = nullptr;
    QAction* actCheckingByCategoryAndRoot = nullptr;
    QAction* actUncheckAll = nullptr;
    QAction* actCheckAll = nullptr;
    QAction* actInvertChecking = nullptr;
    // With Checked do.
    QAction* actRestore = nullptr;
    QAction* actDeletePermanently = nullptr;
    // Help and the tree's popup.
    QAction* actHelp = nullptr;
    QAction* actTune = nullptr;

    TChannelDocument& FDocument;
    TRestoreHost FHost;
    TRestoreTreeModel* FModel = nullptr;
    // Commands of the host and this window's copies of them.
    std::vector<std::pair<QAction*, QAction*>> FForwarded;
    // The tool bar's buttons for "Delete Permanently" and "Restore", captioned on their own.
    QAction* FtbDeletePermanently = nullptr;
    QAction* FtbRestore = nullptr;
};

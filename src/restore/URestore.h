#pragma once

#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"

#include <QDialog>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QTimer;
class QToolBar;
class TChannelTreeView;
class TfrmMain;

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
    // The window belongs to the main window and registers itself there.
    explicit TfrmRestore(TfrmMain& main);
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
    // A command of the main window, run on this window's tree.
    QAction* Forward(const char* name, const QString& caption, QAction* target,
                     const QKeySequence& shortcut = {});
    void CreateActions();
    void CreateMenus();
    bool FormKeyDown(QKeyEvent* event);
    void SetCommandEnabled(QAction* action, bool enabled);

    TChannelTreeView* tvDeleted = nullptr;
    QMenuBar* mmRestore = nullptr;
    QToolBar* tbRestore = nullptr;
    QMenu* pmDeleted = nullptr;
    QLabel* StatusPanels[3] = {};
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

    TfrmMain& FMain;
    TRestoreTreeModel* FModel = nullptr;
    // Commands of the main window and this window's copies of them.
    std::vector<std::pair<QAction*, QAction*>> FForwarded;
    // The tool bar's buttons for "Delete Permanently" and "Restore", captioned on their own.
    QAction* FtbDeletePermanently = nullptr;
    QAction* FtbRestore = nullptr;
};

#pragma once

#include <QDialog>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class TChannelDocument;
class TIPTVManager;
class TSizeGripPanel;

// The modal window that prepares the IPTV channels of the edited list for an external
// programme guide: it shows the groups of the IPTV manager, calculates new network IDs for
// the clashing ones (once per window) and saves them into the viewer's list and iptv.txt.
// Created for each use; the list must not change while it is open.
class TfrmMakeIPTVXepg : public QDialog {
    Q_OBJECT

public:
    // Item data of tvIPTV's nodes, for whoever reads the tree (tests, scripts).
    enum TRole {
        StateImageRole = Qt::UserRole + 1, // the group's state: 1, 2, 5 or 6
        NodeImageRole,                     // the channel picture of the main tree, 1..8
    };

    explicit TfrmMakeIPTVXepg(TChannelDocument& document, QWidget* parent = nullptr);
    ~TfrmMakeIPTVXepg() override;

    TIPTVManager& IPTVManager() { return *FIPTVManager; }
    bool IsCalculated() const { return FIsCalculated; }
    bool IsSaved() const { return FIsSaved; }

    void FormShow();
    void btnCalculateClick();
    void btnSaveDVBViewerClick();
    void btnHelpClick();
    void tiSaveEnabledTimer();
    // Fills tvIPTV from the manager's groups in one batch; true when every group is unique.
    bool DisplayTreeViewFirst();
    // iptv.txt, the new network IDs into the list, the viewer's list saved, the tree redrawn.
    void SaveToDVBViewer();
    // The closing question; true when the window may close.
    bool FormCloseQuery();

    // Closing by Exit, Escape or the close box asks first.
    void reject() override;

Q_SIGNALS:
    // The save ran: the main window refreshes its channel information and tool windows.
    void SavedToDVBViewer();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SetNodeImages(QTreeWidgetItem* item, int state, int nodeImage);
    void SetAllExpanded(bool expanded);
    void tvIPTVContextPopup(const QPoint& pos);

    QTreeWidget* tvIPTV = nullptr;
    TSizeGripPanel* FPanel = nullptr;
    QLabel* lblStart = nullptr;
    QLineEdit* edtStart = nullptr;
    QPushButton* btnCalculate = nullptr;
    QPushButton* btnSaveDVBViewer = nullptr;
    QPushButton* btnExit = nullptr;
    QPushButton* btnHelp = nullptr;
    QMenu* pmProperties = nullptr;
    QAction* miExpandTreeView = nullptr;
    QAction* miCollapseTreeView = nullptr;
    QTimer* tiSaveEnabled = nullptr;

    TChannelDocument& FDocument;
    std::unique_ptr<TIPTVManager> FIPTVManager;
    bool FIsCalculated = false;
    bool FIsSaved = false;
};

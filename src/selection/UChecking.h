#pragma once

#include "main/UCheckedTreeViewHelper.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TKeyPreview;
class TSizeGripPanel;

// Ticks or unticks the channels of a tree that have any of the properties ticked here.
// The main window keeps one modeless instance for the whole run; another window may open
// its own instance modally (ShowModal) on the tree that is active then.
class TfrmChecking : public QDialog {
    Q_OBJECT

public:
    explicit TfrmChecking(QWidget* parent = nullptr);
    ~TfrmChecking() override;

    // Shows the window modally; the remembered visibility of the main window's own instance
    // stays as it was.
    int ShowModal();
    // The tree to act on; without one, the active tree at the time of the press.
    void SetTree(const TChannelTree& tree) { FTree = tree; }

    bool IsActivated() const { return FIsActivated; }

    // The property set of the ticked items (and of "Has Language:").
    quint64 CheckedProperties() const;
    // The item of a property, or none.
    QTreeWidgetItem* ItemOf(int property) const;

    void btnCheckClick();
    void btnUncheckClick();
    // Close button, close box and the main window's view command.
    void FormClose();

Q_SIGNALS:
    // The window was shown (true) or closed (false): the main window's view command follows.
    void VisibilityChanged(bool visible);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildTree();
    void UpdateButtons();
    void CheckOrUncheck(bool check);
    void ResetChecks();
    bool FormKeyDown(QKeyEvent* event);

    QTreeWidget* tvChecking = nullptr;
    QCheckBox* chbLanguage = nullptr;
    QLineEdit* edtLanguage = nullptr;
    QLabel* lblLanguage = nullptr;
    QPushButton* btnCheck = nullptr;
    QPushButton* btnUncheck = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnHelp = nullptr;
    TSizeGripPanel* pnlButtons = nullptr;
    QMenu* pmChecking = nullptr;

    TChannelTree FTree;
    TKeyPreview* FKeyPreview = nullptr;
    bool FIsActivated = false;
    bool FClosing = false;
};

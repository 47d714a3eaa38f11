#pragma once

#include "main/UCheckedTreeViewHelper.h"
#include "selection/UCategoryStructure.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TSizeGripPanel;

// Ticks or unticks the channels of the active tree whose root is the chosen one and whose
// category is one of the ticked ones. Created for one use and shown modally.
class TfrmCheckCategories : public QDialog {
    Q_OBJECT

public:
    explicit TfrmCheckCategories(QWidget* parent = nullptr);
    ~TfrmCheckCategories() override;

    // The tree to act on; without one, the active tree.
    void SetTree(const TChannelTree& tree) { FTree = tree; }
    const TCategoryStructure& CategoryStructure() const { return FCS; }

    void btnCheckClick();
    void btnUncheckClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TChannelTree Tree() const;
    void FillCategories();
    void UpdateButtons();
    void CheckOrUncheck(bool check);

    QLabel* lblRoot = nullptr;
    QComboBox* cboRoot = nullptr;
    QTreeWidget* tvCategories = nullptr;
    QPushButton* btnCheck = nullptr;
    QPushButton* btnUncheck = nullptr;
    QPushButton* btnClose = nullptr;
    TSizeGripPanel* pnlButtons = nullptr;

    TChannelTree FTree;
    TCategoryStructure FCS;
};

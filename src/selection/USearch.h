#pragma once

#include "main/UCheckedTreeViewHelper.h"
#include "selection/USearchMatch.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TKeyPreview;

// Finds the channels of the active tree whose name, category and root hold given texts and
// steps between them. Created for one use and shown modally.
class TfrmSearch : public QDialog {
    Q_OBJECT

public:
    explicit TfrmSearch(QWidget* parent = nullptr);
    ~TfrmSearch() override;

    TSearchCriteria Criteria() const;
    // A step from the selected node; with select, the match becomes the selected node.
    bool Step(bool forward, bool select);
    void btnPrevClick();
    void btnNextClick();
    void chbCheckedClick();
    // Enables "Previous" and "Next" exactly when a step that way would find a match.
    void RefreshButtons();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void CriteriaChanged();
    bool FormKeyDown(QKeyEvent* event);
    void SelectMatch(const TChannelTree& tree, int row);

    QGroupBox* gbSearchSettings = nullptr;
    QGroupBox* gbNavigation = nullptr;
    QLineEdit* edtChannelName = nullptr;
    QLineEdit* edtCategory = nullptr;
    QLineEdit* edtRoot = nullptr;
    QCheckBox* chbIgnoreCase = nullptr;
    QPushButton* btnPrev = nullptr;
    QPushButton* btnNext = nullptr;
    QCheckBox* chbChecked = nullptr;
    QPushButton* btnClose = nullptr;

    TKeyPreview* FKeyPreview = nullptr;
};

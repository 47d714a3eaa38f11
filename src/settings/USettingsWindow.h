#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The "Settings" dialog: two switches, the two separators of the tree's path texts and free
// drag and drop. exec() returns Accepted only when OK stored the values (OK is enabled by a
// change), so the caller knows when to rebuild the tree's texts.
class TfrmSettings : public QDialog {
    Q_OBJECT

public:
    explicit TfrmSettings(QWidget* parent = nullptr);

private:
    void FormShow();
    void ControlChanged();
    void btnOKClick();
    void btnHelpClick();

    QCheckBox* chbDoInfoFileSaved = nullptr;
    QCheckBox* chbConfirmDeleteChecked = nullptr;
    QLineEdit* edtChannelSeparator = nullptr;
    QLineEdit* edtRootSeparator = nullptr;
    QCheckBox* chbFreeDragAndDropAllowed = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;
};

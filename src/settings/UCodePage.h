#pragma once

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The "Force CodePage" dialog: channel names in the system's ANSI code page, or in one the user
// names. exec() returns Accepted only when OK stored the choice (OK is enabled by a change), so
// the caller knows when to show every name again.
class TfrmCodePage : public QDialog {
    Q_OBJECT

public:
    explicit TfrmCodePage(QWidget* parent = nullptr);

private:
    void FormShow();
    void ControlChanged();
    void btnOKClick();
    void btnHelpClick();

    QGroupBox* rgCodePage = nullptr;
    QButtonGroup* FItems = nullptr;
    QRadioButton* rbSystemCodePage = nullptr;
    QRadioButton* rbForcedCodePage = nullptr;
    QLineEdit* edtCodePage = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;
};

#pragma once

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QVBoxLayout;

enum TSetType : int {
    stRDS = 0,
    stAutoUpdate = 1,
    stSpeakers = 2,
};

// Asks for the value of RDS, auto update or the default audio track (speakers), by SetType;
// the command that opened it applies the chosen item to the ticked channels.
class TfrmSetProperty : public QDialog {
    Q_OBJECT

public:
    explicit TfrmSetProperty(QWidget* parent = nullptr);

    TSetType SetType() const { return FSetType; }
    void SetSetType(TSetType type);

    // The chosen item; -1 while none is chosen.
    int ItemIndex() const;
    void SetItemIndex(int index);

private:
    // Clears the items, chooses none and fills caption and items by SetType; the dialog is
    // shown as the last call left it.
    void FormShow();
    void rgPropertiesClick();
    void btnOkClick();

    QGroupBox* rgProperties = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    TSetType FSetType = stRDS;
    QButtonGroup* FItems = nullptr;
    QVBoxLayout* FItemsLayout = nullptr;
};

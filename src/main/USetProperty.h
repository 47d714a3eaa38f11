#pragma once

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QVBoxLayout;
class TChannelTreeModel;

enum TSetType : int {
    stRDS = 0,
    stAutoUpdate = 1,
    stSpeakers = 2,
};

// Sets RDS, auto update or the default audio track (speakers) of every ticked channel.
class TfrmSetProperty : public QDialog {
    Q_OBJECT

public:
    explicit TfrmSetProperty(TChannelTreeModel& tree, QWidget* parent = nullptr);

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

    TChannelTreeModel& FTree;
    TSetType FSetType = stRDS;
    QButtonGroup* FItems = nullptr;
    QVBoxLayout* FItemsLayout = nullptr;
};

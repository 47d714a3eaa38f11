#pragma once

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class TChannelTreeModel;

// Sets the channel group (A to H) of every ticked channel and of its audio tracks.
class TfrmSetGroup : public QDialog {
    Q_OBJECT

public:
    explicit TfrmSetGroup(TChannelTreeModel& tree, QWidget* parent = nullptr);

    // The chosen group, 0 for "A" to 7 for "H"; -1 while none is chosen.
    int ItemIndex() const;
    void SetItemIndex(int index);

private:
    void rgGroupsClick();
    void btnOkClick();

    QGroupBox* rgGroups = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    TChannelTreeModel& FTree;
    QButtonGroup* FItems = nullptr;
};

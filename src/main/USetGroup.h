#pragma once

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QPushButton;

// Asks for a channel group (A to H); the command that opened it applies the choice to the
// ticked channels.
class TfrmSetGroup : public QDialog {
    Q_OBJECT

public:
    explicit TfrmSetGroup(QWidget* parent = nullptr);

    // The chosen group, 0 for "A" to 7 for "H"; -1 while none is chosen.
    int ItemIndex() const;
    void SetItemIndex(int index);

private:
    void rgGroupsClick();
    void btnOkClick();

    QGroupBox* rgGroups = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    QButtonGroup* FItems = nullptr;
};

#pragma once

#include <QDialog>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TChannel;
class TChannelTreeModel;

enum TEditMode : int {
    emRoot = 0,
    emCategory = 1,
    emChannelName = 2,
};

// The name editor: a new root or category for every ticked channel, or a new name for one
// channel, with the bytes still free shown as the user types. It only collects the name; the
// command that opened it applies it (and refuses a name that does not fit some channel).
class TfrmEditName : public QDialog {
    Q_OBJECT

public:
    // The ticked channels are read from the tree when the dialog is shown.
    explicit TfrmEditName(TChannelTreeModel& tree, QWidget* parent = nullptr);
    ~TfrmEditName() override;

    TEditMode EditMode() const { return FEditMode; }
    void SetEditMode(TEditMode mode) { FEditMode = mode; }
    // Channel name mode only: the channel and its displayed number.
    TChannel* ChannelToEdit() const { return FChannelToEdit; }
    void SetChannelToEdit(TChannel* channel) { FChannelToEdit = channel; }
    int ChannelNo() const { return FChannelNo; }
    void SetChannelNo(int no) { FChannelNo = no; }

    // The name as typed; the command that opened the dialog reads it after OK.
    QString Name() const;
    void SetName(const QString& name);

    // The free-byte count shown now.
    int FreeBytes() const { return FFree; }

    // Sizes given at 96 dots per inch, scaled to the screen the dialog is on.
    int Scaled(int pixels) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void edtNameChange();
    void btnOkClick();

    // The byte lengths a root or category rename needs of each listed channel, taken once on
    // show: every keystroke then costs integer arithmetic per channel, not a conversion.
    struct TLengths {
        int Root = 0;
        int Category = 0;
        int Name = 0;
    };

    QLabel* lblNameType = nullptr;
    QLineEdit* edtName = nullptr;
    QLabel* lblFree = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QLabel* lblTooLongNames = nullptr;
    QPlainTextEdit* meChannels = nullptr;

    TChannelTreeModel& FTree;
    TEditMode FEditMode = emChannelName;
    TChannel* FChannelToEdit = nullptr;
    int FChannelNo = 0;
    std::vector<TChannel*> FListChecked;
    std::vector<TLengths> FLengths;
    // FullName of a listed channel, made the first time it is too long.
    std::vector<QString> FFullNames;
    int FFree = 0;
    bool FShown = false;
};

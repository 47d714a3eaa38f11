#pragma once

#include "main/UCheckedTreeViewHelper.h"
#include "selection/UJumps.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TKeyPreview;

// Jumps to the previous or next channel of the active tree that is bookmarked, ticked,
// encrypted, free to air, radio or TV. The main window keeps one modeless instance (without
// "Checked (F12)"); another window may open its own instance modally (ShowModal).
class TfrmGoTo : public QDialog {
    Q_OBJECT

public:
    explicit TfrmGoTo(QWidget* parent = nullptr);
    ~TfrmGoTo() override;

    int ShowModal();
    void SetCheckedBoxVisible(bool visible);
    bool IsCheckedBoxVisible() const { return FCheckedBoxVisible; }

    // Enables each jump button exactly when its jump would find a channel.
    void SetEnabledControls();
    // The jump button of a kind (0 to 11).
    QPushButton* JumpButton(int kind) const { return FJumpButtons[static_cast<size_t>(kind)]; }
    void JumpClick(int kind);
    void chbCheckedClick();
    void btnMakeSelectedVisibleClick();
    // Close button, close box and the main window's view command.
    void FormClose();

Q_SIGNALS:
    // The window was shown (true) or closed (false): the main window's view command follows.
    void VisibilityChanged(bool visible);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool FormKeyDown(QKeyEvent* event);
    // "Checked (F12)" shows the selected node's tick, without ticking anything.
    void ShowSelectedTick();

    QGroupBox* gbBookmark = nullptr;
    QGroupBox* gbChecked = nullptr;
    QGroupBox* gbEncryptted = nullptr;
    QGroupBox* gbFTA = nullptr;
    QGroupBox* gbRadio = nullptr;
    QGroupBox* gbTV = nullptr;
    QPushButton* btnPrevBookmark = nullptr;
    QPushButton* btnNextBookmark = nullptr;
    QPushButton* btnPrevChecked = nullptr;
    QPushButton* btnNextChecked = nullptr;
    QPushButton* btnPrevEncrypted = nullptr;
    QPushButton* btnNextEncrypted = nullptr;
    QPushButton* btnPrevFTA = nullptr;
    QPushButton* btnNextFTA = nullptr;
    QPushButton* btnPrevRadio = nullptr;
    QPushButton* btnNextRadio = nullptr;
    QPushButton* btnPrevTV = nullptr;
    QPushButton* btnNextTV = nullptr;
    QPushButton* btnMakeSelectedVisible = nullptr;
    QCheckBox* chbChecked = nullptr;
    QPushButton* btnClose = nullptr;

    std::array<QPushButton*, JumpKindCount> FJumpButtons{};
    TKeyPreview* FKeyPreview = nullptr;
    bool FCheckedBoxVisible = true;
};

#pragma once

#include <QDialog>

class QPushButton;
class THappyManView;
class TSizeGripPanel;
class TfrmMain;

// "Make the Man Happy": previews the list in grouped order, marks in red every channel that
// would move and, on "&Accept", reorders the main tree that way.
class TfrmMakeManHappy : public QDialog {
    Q_OBJECT

public:
    explicit TfrmMakeManHappy(TfrmMain& main);
    ~TfrmMakeManHappy() override;

    // Line of the first channel that would move, or -1.
    int ScrollTo() const { return FScrollTo; }

    void btnAcceptClick();
    void btnFindClick();
    void btnCopyClick();
    void btnHelpClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DisplayHappyMan();
    void UpdateButtons();
    void PutCaretOnScrollTo();
    bool FormKeyDown(QKeyEvent* event);

    THappyManView* reHappyMan = nullptr;
    TSizeGripPanel* pnlButtons = nullptr;
    QPushButton* btnAccept = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnFind = nullptr;
    QPushButton* btnCopy = nullptr;
    QPushButton* btnHelp = nullptr;

    TfrmMain& FMain;
    int FScrollTo = -1;
};

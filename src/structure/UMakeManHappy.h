#pragma once

#include <QDialog>

class QPushButton;
class TChannelDocument;
class THappyManView;
class TSizeGripPanel;
class TStructure;

// "Make the Man Happy": previews the list in grouped order, marks in red every channel that
// would move and, on "&Accept", reorders the main tree that way. The preview reads the
// structure as the structure pane shows it: the opener shows that pane first.
class TfrmMakeManHappy : public QDialog {
    Q_OBJECT

public:
    TfrmMakeManHappy(TChannelDocument& document, TStructure& structure, QWidget* parent = nullptr);
    ~TfrmMakeManHappy() override;

    // Line of the first channel that would move, or -1.
    int ScrollTo() const { return FScrollTo; }

    void btnAcceptClick();
    void btnFindClick();
    void btnCopyClick();
    void btnHelpClick();

Q_SIGNALS:
    // The main tree was reordered: its view, the structure pane and the command states follow.
    void Reordered();

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

    TChannelDocument& FDocument;
    TStructure& FStructure;
    int FScrollTo = -1;
};

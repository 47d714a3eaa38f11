#pragma once

#include "structure/UStructure.h"

#include <QDialog>
#include <QPointer>
#include <vector>

class QPushButton;
class QTextDocument;
class QTextEdit;
class TSizeGripPanel;
class TfrmMain;

// Builds the preview text in one go: one cursor, one edit block, a char format per run.
// Runs end their lines with CR LF; each line becomes one block, so block n is line n.
void FillHappyManDocument(QTextDocument& document, const std::vector<TStructureTextRun>& runs);

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

    QTextEdit* reHappyMan = nullptr;
    TSizeGripPanel* pnlButtons = nullptr;
    QPushButton* btnAccept = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnFind = nullptr;
    QPushButton* btnCopy = nullptr;
    QPushButton* btnHelp = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DisplayHappyMan();
    void UpdateButtons();
    void PutCaretOnScrollTo();
    bool FormKeyDown(QKeyEvent* event);

    TfrmMain& FMain;
    // The preview text shown now (the editor does not own it).
    QPointer<QTextDocument> FDocument;
    int FScrollTo = -1;
};

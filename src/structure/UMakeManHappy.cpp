#include "structure/UMakeManHappy.h"

#include "help/UMyHelp.h"
#include "help/USizeGribPanel.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeView.h"
#include "main/UMain.h"
#include "settings/USettings.h"
#include "structure/UHappyManView.h"
#include "viewer/UMessages.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Holds the wait cursor for the lifetime of the guard, also when a step raises.
struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

} // namespace

TfrmMakeManHappy::TfrmMakeManHappy(TfrmMain& main) : QDialog(&main), FMain(main) {
    setObjectName(QStringLiteral("frmMakeManHappy"));
    setWindowTitle(QStringLiteral("Make the Man Happy"));
    // Modal to its own window only: a help page opened from here is a window of its own and
    // must stay usable beside it.
    setWindowModality(Qt::WindowModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(false); // the panel carries the grip

    reHappyMan = new THappyManView(this);
    reHappyMan->setObjectName(QStringLiteral("reHappyMan"));
    reHappyMan->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reHappyMan->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    pnlButtons = new TSizeGripPanel(this);
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    pnlButtons->setFixedHeight(44);
    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, pnlButtons);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    btnAccept = button("btnAccept", QStringLiteral("&Accept"));
    btnFind = button("btnFind", QStringLiteral("&Find"));
    btnCopy = button("btnCopy", QStringLiteral("C&opy"));
    btnClose = button("btnClose", QStringLiteral("&Close"));
    btnHelp = button("btnHelp", QStringLiteral("&Help"));
    auto* buttons = new QHBoxLayout(pnlButtons);
    buttons->setContentsMargins(8, 0, 16, 0);
    for (QPushButton* b : {btnAccept, btnFind, btnCopy})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    buttons->addWidget(btnHelp);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(reHappyMan);
    layout->addWidget(pnlButtons);

    const auto guarded = [this](QPushButton* b, void (TfrmMakeManHappy::*member)()) {
        connect(b, &QPushButton::clicked, this,
                [this, member] { RunGuarded([this, member] { (this->*member)(); }); });
    };
    guarded(btnAccept, &TfrmMakeManHappy::btnAcceptClick);
    guarded(btnFind, &TfrmMakeManHappy::btnFindClick);
    guarded(btnCopy, &TfrmMakeManHappy::btnCopyClick);
    guarded(btnHelp, &TfrmMakeManHappy::btnHelpClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    // The window sees keys before its controls.
    qApp->installEventFilter(this);
}

TfrmMakeManHappy::~TfrmMakeManHappy() {
    qApp->removeEventFilter(this);
}

void TfrmMakeManHappy::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    const TSettings& s = Settings();
    move(s.frmMakeManHappyLeft, s.frmMakeManHappyTop);
    resize(s.frmMakeManHappyClientWidth, s.frmMakeManHappyClientHeight);
    TWaitCursor wait;
    // The preview reads the structure the pane shows, so the pane must be the one in use.
    FMain.ShowStructurePane();
    DisplayHappyMan();
    UpdateButtons();
}

void TfrmMakeManHappy::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    TSettings& s = Settings();
    s.frmMakeManHappyLeft = x();
    s.frmMakeManHappyTop = y();
    s.frmMakeManHappyClientHeight = height();
    s.frmMakeManHappyClientWidth = width();
}

void TfrmMakeManHappy::DisplayHappyMan() {
    TStructure& structure = FMain.TheStructure();
    // The text shown goes first: a long list's old and new text together would double what
    // the window holds.
    reHappyMan->SetText(TStructureText());
    reHappyMan->SetText(structure.DisplayHappyMan());
    FScrollTo = structure.ScrollTo();
    if (FScrollTo >= 0)
        PutCaretOnScrollTo();
}

void TfrmMakeManHappy::PutCaretOnScrollTo() {
    if (FScrollTo >= reHappyMan->LineCount())
        return;
    reHappyMan->PutCaretOnLine(FScrollTo);
    reHappyMan->setFocus();
}

void TfrmMakeManHappy::UpdateButtons() {
    btnAccept->setEnabled(FMain.IsNotHappy());
    btnFind->setEnabled(FScrollTo != -1);
}

void TfrmMakeManHappy::btnAcceptClick() {
    if (!AskConfirmation(QStringLiteral("Are you sure you want to reorder channels?")))
        return;
    TWaitCursor wait;
    FMain.TheStructure().MakeManHappy(FMain.Tree());
    // The reorder leaves no node of the main tree selected and every node collapsed.
    FMain.TreeView().selectionModel()->clear();
    FMain.TreeView().collapseAll();
    FMain.ShowStructure();
    DisplayHappyMan();
    UpdateButtons();
    SetChannelsModified(true);
    FMain.UpdateChannelInfoAndWindows();
    FMain.UpdateActions();
}

void TfrmMakeManHappy::btnFindClick() {
    if (FScrollTo >= 0)
        PutCaretOnScrollTo();
}

void TfrmMakeManHappy::btnCopyClick() {
    reHappyMan->selectAll();
    reHappyMan->CopySelection();
}

void TfrmMakeManHappy::btnHelpClick() {
    ShowHelpPage(hpHappyMan);
}

bool TfrmMakeManHappy::FormKeyDown(QKeyEvent* event) {
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_F1:
        btnHelpClick();
        return true;
    default:
        return false;
    }
}

bool TfrmMakeManHappy::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && isVisible()) {
        if (FormKeyDown(static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

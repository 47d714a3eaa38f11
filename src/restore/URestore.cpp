#include "restore/URestore.h"

#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "help/UMyHelp.h"
#include "icons/UIcons.h"
#include "main/UChannelDocument.h"
#include "selection/UChecking.h"
#include "selection/UGoTo.h"
#include "selection/USelectionHost.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "views/UChannelTreeView.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int TimerInterval = 500;

// Puts a tree in place as the active one and the other back when the scope ends, also when
// the work in between raises.
class TActiveTreeSwitch {
public:
    TActiveTreeSwitch(const TChannelTree& during, const TChannelTree& after) : FAfter(after) {
        SetActiveTreeView(during);
    }
    ~TActiveTreeSwitch() { SetActiveTreeView(FAfter); }
    TActiveTreeSwitch(const TActiveTreeSwitch&) = delete;
    TActiveTreeSwitch& operator=(const TActiveTreeSwitch&) = delete;

private:
    TChannelTree FAfter;
};

} // namespace

QVariant TRestoreTreeModel::data(const QModelIndex& index, int role) const {
    if ((role == Qt::DisplayRole || role == Qt::AccessibleTextRole) && IsTopLevel(index)) {
        if (const TChannel* channel = ChannelOf(index))
            return channel->FullName();
    }
    return TChannelTreeModel::data(index, role);
}

TfrmRestore::TfrmRestore(TChannelDocument& document, TRestoreHost host, QWidget* parent)
    : QDialog(parent), FDocument(document), FHost(std::move(host)) {
    setObjectName(QStringLiteral("frmRestore"));
    setWindowTitle(QStringLiteral("Check channels to Restore or Delete permanently"));
    // Modal to its own window only: a help page opened from here is a window of its own and
    // must stay usable beside it.
    setWindowModality(Qt::WindowModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    FModel = new TRestoreTreeModel(this);
    FModel->SetShowChannelNumbers(false);
    FModel->SetDecorationProvider([](int nodeImage, int selectedImage) {
        return QVariant(NodeIcon(nodeImage, selectedImage));
    });
    tvDeleted = new TChannelTreeView(this);
    tvDeleted->setObjectName(QStringLiteral("tvDeleted"));
    tvDeleted->setModel(FModel);

    CreateActions();
    CreateMenus();

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("sbRestore"));
    status->setSizeGripEnabled(true);
    const int widths[3] = {100, 200, 70};
    const QString texts[3] = {QStringLiteral("Checked: 0"),
                              QStringLiteral("Shift+Up/Down: Toggle checkboxes"),
                              QStringLiteral("ESC: Exit")};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(texts[i], status);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(widths[i]);
        status->addWidget(panel);
        FStatusPanels[i] = panel;
    }

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(tbDeleted);
    body->addWidget(tvDeleted, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(mmRestore);
    layout->addLayout(body, 1);
    layout->addWidget(status);

    tiEnabled = new QTimer(this);
    tiEnabled->setObjectName(QStringLiteral("tiEnabled"));
    tiEnabled->setInterval(TimerInterval);
    connect(tiEnabled, &QTimer::timeout, this, &TfrmRestore::tiEnabledTimer);
    connect(FModel, &TChannelTreeModel::CheckedCountChanged, this, &TfrmRestore::ShowCheckedCount);

    resize(426, 570);
    SetRestoreTreeView(Tree());
    // The window sees keys before its controls.
    qApp->installEventFilter(this);
}

TfrmRestore::~TfrmRestore() {
    qApp->removeEventFilter(this);
    SetRestoreTreeView(TChannelTree());
}

TChannelTree TfrmRestore::Tree() const {
    return TChannelTree{FModel, tvDeleted->selectionModel()};
}

QAction* TfrmRestore::MakeAction(const char* name, const QString& caption,
                                 const QKeySequence& shortcut) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    action->setIcon(CommandIcon(action->objectName()));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    addAction(action);
    return action;
}

QAction* TfrmRestore::Forward(const char* name, const QString& caption,
                              const QKeySequence& shortcut) {
    QAction* action = MakeAction(name, caption, shortcut);
    QAction* target = FHost.Command ? FHost.Command(action->objectName()) : nullptr;
    if (!target) {
        action->setEnabled(false);
        return action;
    }
    FForwarded.emplace_back(target, action);
    connect(action, &QAction::triggered, this, [this, target] {
        // The host's command acts on the active tree, which is this window's while it is
        // shown; its enabled state must be the one for this tree, not the last timer's.
        if (FHost.UpdateActions)
            FHost.UpdateActions();
        if (target->isEnabled())
            target->trigger();
        tiEnabledTimer();
    });
    return action;
}

void TfrmRestore::CreateActions() {
    const int ctrl = static_cast<int>(Qt::CTRL);
    const int shift = static_cast<int>(Qt::SHIFT);

    actSearch = Forward("actSearch", QStringLiteral("Search..."), QKeySequence(ctrl | Qt::Key_Q));
    actGoTo = MakeAction("actGoTo", QStringLiteral("GoTo"));
    actToggleBookmark =
        Forward("actToggleBookmark", QStringLiteral("Toggle Bookmark"), QKeySequence(Qt::Key_F2));
    actDeleteAllBookmarks = Forward("actDeleteAllBookmarks", QStringLiteral("Delete All Bookmarks"),
                                    QKeySequence(shift | Qt::Key_Delete));

    actChecking = MakeAction("actChecking", QStringLiteral("By Channel Properties..."),
                             QKeySequence(ctrl | Qt::Key_P));
    actCheckingByCategoryAndRoot =
        Forward("actCheckingByCategoryAndRoot", QStringLiteral("By Root and Category..."),
                QKeySequence(ctrl | Qt::Key_R));
    actUncheckAll =
        MakeAction("actUncheckAll", QStringLiteral("Uncheck All"), QKeySequence(ctrl | Qt::Key_U));
    actCheckAll = Forward("actCheckAll", QStringLiteral("Check All"));
    actInvertChecking = Forward("actInvertChecking", QStringLiteral("Invert Checking"));

    actRestore = MakeAction("actRestore", QStringLiteral("Restore"));
    actDeletePermanently = MakeAction("actDeletePermanently", QStringLiteral("Delete Permanently"));
    actHelp = MakeAction("actHelp", QStringLiteral("Help"), QKeySequence(Qt::Key_F1));
    actTune = Forward("actTune", QStringLiteral("Tune"), QKeySequence(Qt::Key_F9));

    FtbDeletePermanently = new QAction(CommandIcon(QStringLiteral("actDeletePermanently")),
                                       QStringLiteral("Delete &Permanently"), this);
    FtbDeletePermanently->setObjectName(QStringLiteral("tbDeletePermanently"));
    FtbRestore =
        new QAction(CommandIcon(QStringLiteral("actRestore")), QStringLiteral("&Restore"), this);
    FtbRestore->setObjectName(QStringLiteral("tbRestore"));

    const auto guarded = [this](QAction* action, void (TfrmRestore::*member)()) {
        connect(action, &QAction::triggered, this,
                [this, member] { RunGuarded([this, member] { (this->*member)(); }); });
    };
    guarded(actRestore, &TfrmRestore::actRestoreExecute);
    guarded(FtbRestore, &TfrmRestore::actRestoreExecute);
    guarded(actDeletePermanently, &TfrmRestore::actDeletePermanentlyExecute);
    guarded(FtbDeletePermanently, &TfrmRestore::actDeletePermanentlyExecute);
    guarded(actUncheckAll, &TfrmRestore::actUncheckAllExecute);
    guarded(actChecking, &TfrmRestore::actCheckingExecute);
    guarded(actGoTo, &TfrmRestore::actGoToExecute);
    guarded(actHelp, &TfrmRestore::actHelpExecute);
}

void TfrmRestore::CreateMenus() {
    mmRestore = new QMenuBar(this);
    mmRestore->setObjectName(QStringLiteral("mmRestore"));
    QMenu* edit = mmRestore->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("mnEdit"));
    edit->addActions({actSearch, actGoTo});
    edit->addSeparator();
    edit->addActions({actToggleBookmark, actDeleteAllBookmarks});
    QMenu* check = mmRestore->addMenu(QStringLiteral("Check/Uncheck"));
    check->setObjectName(QStringLiteral("mnCheck"));
    check->addActions({actChecking, actCheckingByCategoryAndRoot});
    check->addSeparator();
    check->addActions({actUncheckAll, actCheckAll, actInvertChecking});
    QMenu* withChecked = mmRestore->addMenu(QStringLiteral("With Checked do"));
    withChecked->setObjectName(QStringLiteral("mnWithChecked"));
    withChecked->addActions({actRestore, actDeletePermanently});
    QAction* help = mmRestore->addAction(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mnHelp"));
    connect(help, &QAction::triggered, this, &TfrmRestore::actHelpExecute);

    tbDeleted = new QToolBar(QStringLiteral("Commands"), this);
    tbDeleted->setObjectName(QStringLiteral("tbDeleted"));
    tbDeleted->setOrientation(Qt::Vertical);
    tbDeleted->setMovable(false);
    tbDeleted->setFloatable(false);
    tbDeleted->setIconSize(QSize(32, 32));
    tbDeleted->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tbDeleted->addActions({actUncheckAll, actGoTo, actSearch, FtbDeletePermanently, FtbRestore});
    tbDeleted->layout()->setSpacing(0);

    pmDeleted = new QMenu(this);
    pmDeleted->setObjectName(QStringLiteral("pmDeleted"));
    pmDeleted->addAction(actTune);
    tvDeleted->SetPopupMenus(pmDeleted, pmDeleted);
}

void TfrmRestore::FillTree() {
    FModel->Clear();
    std::vector<TChannel*> listed;
    for (const auto& channel : FDocument.Channels().Channels())
        if (channel->IsMainChannel() &&
            (channel->State == csDeleted || channel->State == csRecentlyDeleted))
            listed.push_back(channel.get());
    // Every listed channel comes in ticked; the earlier batches are unticked in one pass.
    FModel->AppendRestoredNodes(listed, FDocument.Channels());
    FModel->SetCheckedWhere(
        [this](int row) { return FModel->ChannelAt(row)->State != csRecentlyDeleted; }, false);
    ShowCheckedCount();
}

void TfrmRestore::ShowCheckedCount() {
    FStatusPanels[0]->setText(QStringLiteral("Checked: ") +
                              QString::number(FModel->CheckedCount()));
}

void TfrmRestore::SetCommandEnabled(QAction* action, bool enabled) {
    action->setEnabled(enabled);
    if (action == actRestore)
        FtbRestore->setEnabled(enabled);
    else if (action == actDeletePermanently)
        FtbDeletePermanently->setEnabled(enabled);
}

void TfrmRestore::tiEnabledTimer() {
    const bool anyChecked = FModel->CheckedCount() > 0;
    for (QAction* a : {actUncheckAll, actDeletePermanently, actRestore})
        SetCommandEnabled(a, anyChecked);
    SetCommandEnabled(actChecking, !FModel->IsEmpty());
    // The main window's commands are enabled as that window finds them for this tree.
    for (const auto& [target, action] : FForwarded)
        action->setEnabled(target->isEnabled());
    ShowCheckedCount();
}

void TfrmRestore::actRestoreExecute() {
    const std::vector<TChannel*> rc = FModel->RemoveCheckedNodes();
    {
        TActiveTreeSwitch active(MainTreeView(), Tree());
        if (FHost.RestoreChannels)
            FHost.RestoreChannels(rc);
    }
    ShowCheckedCount();
}

void TfrmRestore::actDeletePermanentlyExecute() {
    if (!AskConfirmation(QStringLiteral("Delete checked channels permanently?")))
        return;
    if (FModel->IsEmpty())
        return;
    const std::vector<TChannel*> gone = FModel->RemoveCheckedNodes();
    // Their audio tracks keep their own state; the deleted file leaves them out with them.
    for (TChannel* channel : gone)
        channel->State = csPermanentlyDeleted;
    if (!gone.empty())
        FDocument.SetModified(true);
    ShowCheckedCount();
}

void TfrmRestore::actUncheckAllExecute() {
    FModel->UncheckAll();
    ShowCheckedCount();
}

void TfrmRestore::actCheckingExecute() {
    // An instance of its own, so that the main window's one keeps its place and visibility.
    TfrmChecking window(this);
    window.SetTree(Tree());
    window.ShowModal();
}

void TfrmRestore::actGoToExecute() {
    TfrmGoTo window(this);
    window.SetCheckedBoxVisible(true);
    window.ShowModal();
}

void TfrmRestore::actHelpExecute() {
    ShowHelpPage(hpRestore);
}

bool TfrmRestore::FormKeyDown(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier && event->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    if (modifiers == Qt::NoModifier && event->key() == Qt::Key_F1) {
        actHelpExecute();
        return true;
    }
    if (!FHost.FormKeyDown || !FHost.FormKeyDown(event))
        return false;
    // The main window's jumps select in this tree; the node found must also be in view.
    tvDeleted->scrollTo(tvDeleted->currentIndex());
    return true;
}

bool TfrmRestore::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && isVisible()) {
        if (FormKeyDown(static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmRestore::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    const TSettings& s = Settings();
    move(s.frmRestoreLeft, s.frmRestoreTop);
    // The stored height is that of the client area below the menu bar.
    resize(s.frmRestoreClientWidth, s.frmRestoreClientHeight + mmRestore->sizeHint().height());
    SetActiveTreeView(Tree());
    FillTree();
    if (FModel->TopCount() > 0)
        Tree().Select(FModel->NodeIndex(0));
    // The main window's GoTo window jumps in the active tree: its buttons follow the switch.
    UpdateGoToWindow();
    tiEnabledTimer();
    tiEnabled->start();
}

void TfrmRestore::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    tiEnabled->stop();
    TSettings& s = Settings();
    s.frmRestoreLeft = x();
    s.frmRestoreTop = y();
    s.frmRestoreClientHeight = height() - mmRestore->sizeHint().height();
    s.frmRestoreClientWidth = width();
    SetActiveTreeView(MainTreeView());
    UpdateGoToWindow();
    // The channels it lists may be freed by the next load; the tree lets go of them now.
    FModel->Clear();
}

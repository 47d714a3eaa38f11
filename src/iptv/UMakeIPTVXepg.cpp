#include "iptv/UMakeIPTVXepg.h"

#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "help/UMyHelp.h"
#include "help/USizeGribPanel.h"
#include "icons/UIcons.h"
#include "iptv/UIPTVManager.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "platform/UOrvaneError.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "viewer/UViewerEnvironment.h"

#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

ORVANE_DECLARE_ERROR(EConvertError, EOrvaneError)

constexpr int MaxStartNID = 65535;
constexpr int PictureSize = 16;
constexpr int PictureGap = 2;

// One decoration shows both pictures of a node, the group's state first and then the
// channel; the channel picture turns into the main tree's selected picture on selection.
// Few combinations exist, so each is drawn once for the run.
QIcon NodeDecoration(int state, int nodeImage) {
    static QHash<int, QIcon> cache;
    const int key = state * 100 + nodeImage;
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    const auto draw = [state](const QIcon& channelPicture) {
        QPixmap pixmap(2 * PictureSize + PictureGap, PictureSize);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        IptvStateImage(state).paint(&painter, QRect(0, 0, PictureSize, PictureSize));
        channelPicture.paint(&painter,
                             QRect(PictureSize + PictureGap, 0, PictureSize, PictureSize));
        return pixmap;
    };
    QIcon icon;
    icon.addPixmap(draw(NodeImage(nodeImage)), QIcon::Normal);
    const int selectedImage = nodeImage > 4 ? 14 : 13;
    icon.addPixmap(draw(NodeImage(selectedImage)), QIcon::Selected);
    cache.insert(key, icon);
    return icon;
}

QTreeWidgetItem* MakeNode(const TChannel& channel, int nid) {
    auto* item = new QTreeWidgetItem(QStringList{TIPTVManager::GetNodeText(channel, nid)});
    item->setData(0, TfrmMakeIPTVXepg::NodeImageRole, TChannelTreeModel::NodeImageOf(channel));
    return item;
}

} // namespace

TfrmMakeIPTVXepg::TfrmMakeIPTVXepg(TChannelDocument& document, QWidget* parent)
    : QDialog(parent), FDocument(document), FIPTVManager(std::make_unique<TIPTVManager>()) {
    setObjectName(QStringLiteral("frmMakeIPTVXepg"));
    setWindowTitle(QStringLiteral("Make IPTV channels External EPG Ready"));
    // Modal to its own window only: a help page opened from here is a window of its own and
    // must stay usable beside it.
    setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(false); // the bottom panel carries the grip
    resize(675, 637);

    tvIPTV = new QTreeWidget(this);
    tvIPTV->setObjectName(QStringLiteral("tvIPTV"));
    tvIPTV->setHeaderHidden(true);
    tvIPTV->setColumnCount(1);
    tvIPTV->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvIPTV->setSelectionMode(QAbstractItemView::SingleSelection);
    // Thousands of rows: equal heights let the view skip measuring each one.
    tvIPTV->setUniformRowHeights(true);
    tvIPTV->setIconSize(QSize(2 * PictureSize + PictureGap, PictureSize));
    tvIPTV->setContextMenuPolicy(Qt::CustomContextMenu);
    // Long texts scroll sideways. The width is measured once after each batch: a column
    // that resizes to its contents would measure the whole tree on every changed node.
    tvIPTV->header()->setSectionResizeMode(QHeaderView::Interactive);
    tvIPTV->header()->setStretchLastSection(false);
    // The selection stays visible while the focus is on the buttons.
    QPalette palette = tvIPTV->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    tvIPTV->setPalette(palette);

    FPanel = new TSizeGripPanel(this);
    FPanel->setObjectName(QStringLiteral("SizeGripPanel1"));
    FPanel->setFixedHeight(95);

    lblStart = new QLabel(QStringLiteral("1) &Start Network ID:"), FPanel);
    lblStart->setObjectName(QStringLiteral("lblStart"));
    edtStart = new QLineEdit(FPanel);
    edtStart->setObjectName(QStringLiteral("edtStart"));
    edtStart->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edtStart));
    edtStart->setMaximumWidth(80);
    lblStart->setBuddy(edtStart);

    btnCalculate = new QPushButton(QStringLiteral("2) C&alculate"), FPanel);
    btnCalculate->setObjectName(QStringLiteral("btnCalculate"));
    btnSaveDVBViewer = new QPushButton(QStringLiteral("3) Sa&ve to DVBViewer"), FPanel);
    btnSaveDVBViewer->setObjectName(QStringLiteral("btnSaveDVBViewer"));
    btnSaveDVBViewer->setEnabled(false);
    btnExit = new QPushButton(QStringLiteral("E&xit"), FPanel);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    btnHelp = new QPushButton(QStringLiteral("&Help"), FPanel);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    for (QPushButton* b : {btnCalculate, btnSaveDVBViewer, btnExit, btnHelp})
        b->setAutoDefault(false);

    auto* steps = new QHBoxLayout;
    steps->addWidget(lblStart);
    steps->addWidget(edtStart);
    steps->addSpacing(12);
    steps->addWidget(btnCalculate);
    steps->addSpacing(12);
    steps->addWidget(btnSaveDVBViewer);
    steps->addStretch();
    auto* closing = new QHBoxLayout;
    closing->addStretch();
    closing->addWidget(btnExit);
    closing->addWidget(btnHelp);
    auto* panelLayout = new QVBoxLayout(FPanel);
    panelLayout->setContentsMargins(10, 10, 24, 10);
    panelLayout->addLayout(steps);
    panelLayout->addStretch();
    panelLayout->addLayout(closing);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tvIPTV, 1);
    layout->addWidget(FPanel);

    pmProperties = new QMenu(this);
    pmProperties->setObjectName(QStringLiteral("pmProperties"));
    miExpandTreeView = pmProperties->addAction(QStringLiteral("Expand TreeView"));
    miExpandTreeView->setObjectName(QStringLiteral("miExpandTreeView"));
    miCollapseTreeView = pmProperties->addAction(QStringLiteral("Collapse TreeView"));
    miCollapseTreeView->setObjectName(QStringLiteral("miCollapseTreeView"));

    tiSaveEnabled = new QTimer(this);
    tiSaveEnabled->setObjectName(QStringLiteral("tiSaveEnabled"));
    tiSaveEnabled->setInterval(400);

    // F1 reaches the window whichever control has the focus; Escape is QDialog's reject().
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WidgetWithChildrenShortcut);
    connect(f1, &QShortcut::activated, this, &TfrmMakeIPTVXepg::btnHelpClick);

    connect(btnCalculate, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { btnCalculateClick(); }); });
    connect(btnSaveDVBViewer, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { btnSaveDVBViewerClick(); }); });
    connect(btnExit, &QPushButton::clicked, this, &TfrmMakeIPTVXepg::reject);
    connect(btnHelp, &QPushButton::clicked, this, &TfrmMakeIPTVXepg::btnHelpClick);
    connect(miExpandTreeView, &QAction::triggered, this, [this] { SetAllExpanded(true); });
    connect(miCollapseTreeView, &QAction::triggered, this, [this] { SetAllExpanded(false); });
    connect(tvIPTV, &QWidget::customContextMenuRequested, this,
            &TfrmMakeIPTVXepg::tvIPTVContextPopup);
    connect(tiSaveEnabled, &QTimer::timeout, this, &TfrmMakeIPTVXepg::tiSaveEnabledTimer);
}

TfrmMakeIPTVXepg::~TfrmMakeIPTVXepg() {
    tiSaveEnabled->stop();
    // The items hold no channel pointers, but the manager must not outlive the tree's use.
    tvIPTV->clear();
}

void TfrmMakeIPTVXepg::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        RunGuarded([this] { FormShow(); });
    QDialog::showEvent(event);
}

void TfrmMakeIPTVXepg::hideEvent(QHideEvent* event) {
    if (!event->spontaneous())
        tiSaveEnabled->stop();
    QDialog::hideEvent(event);
}

void TfrmMakeIPTVXepg::FormShow() {
    FIPTVManager->LoadAllIPTVChannels(FDocument.Tree());
    const bool ok = DisplayTreeViewFirst();
    edtStart->setText(QString::number(MaxStartNID));
    // Nothing clashes: there is nothing to calculate.
    if (ok)
        btnCalculate->setEnabled(false);
}

void TfrmMakeIPTVXepg::SetNodeImages(QTreeWidgetItem* item, int state, int nodeImage) {
    item->setData(0, StateImageRole, state);
    item->setIcon(0, NodeDecoration(state, nodeImage));
}

bool TfrmMakeIPTVXepg::DisplayTreeViewFirst() {
    const bool ok = FIPTVManager->DisplayTreeViewFirst();
    tvIPTV->setUpdatesEnabled(false);
    tvIPTV->clear();
    QList<QTreeWidgetItem*> nodes;
    nodes.reserve(FIPTVManager->Count());
    for (const auto& group : FIPTVManager->AllChannels()) {
        QTreeWidgetItem* node = MakeNode(*group->First(), group->NewNID);
        SetNodeImages(node, group->IconIndex, node->data(0, NodeImageRole).toInt());
        for (size_t i = 1; i < group->Duplicates.size(); ++i) {
            QTreeWidgetItem* child = MakeNode(*group->Duplicates[i], group->NewNID);
            SetNodeImages(child, group->IconIndex, child->data(0, NodeImageRole).toInt());
            node->addChild(child);
        }
        nodes.append(node);
    }
    // One insertion for the whole tree, however many groups there are.
    tvIPTV->addTopLevelItems(nodes);
    tvIPTV->resizeColumnToContents(0);
    tvIPTV->setUpdatesEnabled(true);
    return ok;
}

void TfrmMakeIPTVXepg::btnCalculateClick() {
    // One calculation per window: a second pass would start from NIDs already moved.
    if (FIsCalculated)
        return;
    bool isNumber = false;
    const QString text = edtStart->text();
    const qlonglong number = text.toLongLong(&isNumber);
    if (!isNumber || number < 0)
        throw EConvertError(QLatin1Char('\'') + text +
                            QStringLiteral("' is not a valid integer value"));
    if (number > MaxStartNID) {
        ShowErrorMessage(QStringLiteral("Max Start Network ID: ") + QString::number(MaxStartNID));
        return;
    }
    FIPTVManager->MakeAllChannelsUnique(static_cast<int>(number));

    tvIPTV->setUpdatesEnabled(false);
    const int count = tvIPTV->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* node = tvIPTV->topLevelItem(i);
        const int state = FIPTVManager->GetIconIndex(i);
        SetNodeImages(node, state, node->data(0, NodeImageRole).toInt());
        node->setText(0, FIPTVManager->GetTreeViewNameByNo(i, false));
        for (int c = 0; c < node->childCount(); ++c) {
            QTreeWidgetItem* child = node->child(c);
            SetNodeImages(child, state, child->data(0, NodeImageRole).toInt());
        }
    }
    tvIPTV->resizeColumnToContents(0);
    tvIPTV->setUpdatesEnabled(true);

    tiSaveEnabled->start();
    btnCalculate->setEnabled(false);
    FIsCalculated = true;
}

void TfrmMakeIPTVXepg::tiSaveEnabledTimer() {
    // The platform queries may raise; a tick must not take the window down with it.
    bool allowed = false;
    RunGuarded([&allowed] { allowed = !MayViewerHoldList() && !IsRecorderServiceRunning(); });
    btnSaveDVBViewer->setEnabled(allowed);
}

void TfrmMakeIPTVXepg::SaveToDVBViewer() {
    FIPTVManager->DoExport(GetProgramDataFolder() + QStringLiteral("iptv.txt"));
    bool anyNew = false;
    for (const auto& group : FIPTVManager->AllChannels())
        anyNew = anyNew || group->NewNID != -1;
    FIPTVManager->ApplyNewNIDs(FDocument.Channels());
    // The list in memory now differs from the viewer's file, and iptv.txt already names the
    // new IDs: if the save below is declined or fails, ending the program must still ask.
    if (anyNew)
        FDocument.SetModified(true);
    FDocument.CommandSaveDVBViewer();
    DisplayTreeViewFirst();
}

void TfrmMakeIPTVXepg::btnSaveDVBViewerClick() {
    if (!FIsCalculated || FIsSaved)
        return;
    SaveToDVBViewer();
    FIsSaved = true;
    tiSaveEnabled->stop();
    btnSaveDVBViewer->setEnabled(false);
    Q_EMIT SavedToDVBViewer();
}

void TfrmMakeIPTVXepg::btnHelpClick() {
    ShowHelpPage(hpIPTV2Xepg);
}

bool TfrmMakeIPTVXepg::FormCloseQuery() {
    if (FIsCalculated && !FIsSaved)
        return AskWarningQuestion(QStringLiteral("Calculations not saved! Exit anyway?"));
    return true;
}

void TfrmMakeIPTVXepg::reject() {
    if (FormCloseQuery())
        QDialog::reject();
}

void TfrmMakeIPTVXepg::SetAllExpanded(bool expanded) {
    tvIPTV->setUpdatesEnabled(false);
    if (expanded)
        tvIPTV->expandAll();
    else
        tvIPTV->collapseAll();
    tvIPTV->setUpdatesEnabled(true);
}

void TfrmMakeIPTVXepg::tvIPTVContextPopup(const QPoint& pos) {
    if (QTreeWidgetItem* item = tvIPTV->itemAt(pos))
        tvIPTV->setCurrentItem(item);
    pmProperties->popup(tvIPTV->viewport()->mapToGlobal(pos));
}

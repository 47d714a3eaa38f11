#include "selection/UChecking.h"

#include "channels/UChannelInfo.h"
#include "help/UMyHelp.h"
#include "help/USizeGribPanel.h"
#include "main/UChannelTreeModel.h"
#include "selection/UPropertyChecks.h"
#include "selection/USelectionHost.h"
#include "settings/USettings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int PropertyRole = Qt::UserRole + 1;

} // namespace

TfrmChecking::TfrmChecking(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmChecking"));
    setWindowTitle(QStringLiteral("Tick to Check/Uncheck  (Ctrl+P)"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);

    tvChecking = new QTreeWidget(this);
    tvChecking->setObjectName(QStringLiteral("tvChecking"));
    tvChecking->setAccessibleName(QStringLiteral("Properties"));
    tvChecking->setHeaderHidden(true);
    tvChecking->setColumnCount(1);
    tvChecking->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvChecking->setSelectionMode(QAbstractItemView::SingleSelection);
    tvChecking->setContextMenuPolicy(Qt::CustomContextMenu);

    pmChecking = new QMenu(this);
    pmChecking->setObjectName(QStringLiteral("pmChecking"));
    QAction* expand = pmChecking->addAction(QStringLiteral("Expand TreeView"));
    expand->setObjectName(QStringLiteral("actExpandChecking"));
    QAction* collapse = pmChecking->addAction(QStringLiteral("Collapse TreeView"));
    collapse->setObjectName(QStringLiteral("actCollapseChecking"));
    connect(expand, &QAction::triggered, this, [this] {
        tvChecking->setUpdatesEnabled(false);
        tvChecking->expandAll();
        tvChecking->setUpdatesEnabled(true);
    });
    connect(collapse, &QAction::triggered, this, [this] {
        tvChecking->setUpdatesEnabled(false);
        tvChecking->collapseAll();
        tvChecking->setUpdatesEnabled(true);
    });
    connect(tvChecking, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        pmChecking->popup(tvChecking->viewport()->mapToGlobal(pos));
    });

    auto* languageRow = new QWidget(this);
    languageRow->setObjectName(QStringLiteral("pnlLanguage"));
    chbLanguage = new QCheckBox(QString(LanguagePropertyCaption), languageRow);
    chbLanguage->setObjectName(QStringLiteral("chbLanguage"));
    edtLanguage = new QLineEdit(languageRow);
    edtLanguage->setObjectName(QStringLiteral("edtLanguage"));
    edtLanguage->setAccessibleName(QStringLiteral("Language code"));
    edtLanguage->setMaximumWidth(60);
    lblLanguage = new QLabel(QStringLiteral("<-- ISO 639"), languageRow);
    lblLanguage->setObjectName(QStringLiteral("lblLanguage"));
    auto* languageLayout = new QHBoxLayout(languageRow);
    languageLayout->setContentsMargins(4, 2, 4, 2);
    languageLayout->addWidget(chbLanguage);
    languageLayout->addWidget(edtLanguage);
    languageLayout->addWidget(lblLanguage);
    languageLayout->addStretch();

    pnlButtons = new TSizeGripPanel(this);
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    const auto makeButton = [this](const char* name, const QString& text) {
        auto* button = new QPushButton(text, pnlButtons);
        button->setObjectName(QLatin1String(name));
        // Enter in the language box must not press a button.
        button->setAutoDefault(false);
        // Narrower than the style's wish when the user makes the window small.
        button->setMinimumWidth(60);
        return button;
    };
    btnCheck = makeButton("btnCheck", QStringLiteral("Check"));
    btnUncheck = makeButton("btnUncheck", QStringLiteral("Uncheck"));
    btnClose = makeButton("btnClose", QStringLiteral("Close"));
    btnHelp = makeButton("btnHelp", QStringLiteral("Help"));
    auto* buttons = new QHBoxLayout(pnlButtons);
    buttons->setContentsMargins(6, 6, 20, 6);
    buttons->addWidget(btnCheck);
    buttons->addWidget(btnUncheck);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    buttons->addWidget(btnHelp);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tvChecking, 1);
    layout->addWidget(languageRow);
    layout->addWidget(pnlButtons);

    connect(tvChecking, &QTreeWidget::itemChanged, this, &TfrmChecking::UpdateButtons);
    connect(chbLanguage, &QCheckBox::clicked, this, &TfrmChecking::UpdateButtons);
    connect(edtLanguage, &QLineEdit::textChanged, this, &TfrmChecking::UpdateButtons);
    connect(btnCheck, &QPushButton::clicked, this, &TfrmChecking::btnCheckClick);
    connect(btnUncheck, &QPushButton::clicked, this, &TfrmChecking::btnUncheckClick);
    connect(btnClose, &QPushButton::clicked, this, &TfrmChecking::FormClose);
    connect(btnHelp, &QPushButton::clicked, this, [] { ShowHelpPage(hpCheckUncheck); });

    FKeyPreview = new TKeyPreview(this, [this](QKeyEvent* event) { return FormKeyDown(event); });
    btnCheck->setEnabled(false);
    btnUncheck->setEnabled(false);
}

TfrmChecking::~TfrmChecking() = default;

void TfrmChecking::BuildTree() {
    tvChecking->setUpdatesEnabled(false);
    const QSignalBlocker blocker(tvChecking);
    for (const TChannelPropertyHeading& heading : ChannelPropertyCatalogue()) {
        auto* group = new QTreeWidgetItem(tvChecking, QStringList(QString(heading.Caption)));
        group->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        for (const TChannelPropertyItem& entry : heading.Items) {
            auto* item = new QTreeWidgetItem(group, QStringList(QString(entry.Caption)));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                           Qt::ItemNeverHasChildren);
            item->setCheckState(0, Qt::Unchecked);
            item->setData(0, PropertyRole, int(entry.Property));
        }
        group->setExpanded(heading.InitiallyExpanded);
    }
    tvChecking->setUpdatesEnabled(true);
}

QTreeWidgetItem* TfrmChecking::ItemOf(int property) const {
    for (int g = 0; g < tvChecking->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = tvChecking->topLevelItem(g);
        for (int i = 0; i < group->childCount(); ++i)
            if (group->child(i)->data(0, PropertyRole).toInt() == property)
                return group->child(i);
    }
    return nullptr;
}

quint64 TfrmChecking::CheckedProperties() const {
    quint64 checks = 0;
    for (int g = 0; g < tvChecking->topLevelItemCount(); ++g) {
        const QTreeWidgetItem* group = tvChecking->topLevelItem(g);
        for (int i = 0; i < group->childCount(); ++i) {
            const QTreeWidgetItem* item = group->child(i);
            if (item->checkState(0) == Qt::Checked)
                checks |= quint64(1) << item->data(0, PropertyRole).toInt();
        }
    }
    if (chbLanguage->isChecked())
        checks |= PropertyBit(cpLanguage);
    return checks;
}

void TfrmChecking::UpdateButtons() {
    const bool any = CheckedProperties() != 0;
    btnCheck->setEnabled(any);
    btnUncheck->setEnabled(any);
}

void TfrmChecking::btnCheckClick() {
    CheckOrUncheck(true);
}

void TfrmChecking::btnUncheckClick() {
    CheckOrUncheck(false);
}

void TfrmChecking::CheckOrUncheck(bool check) {
    const quint64 checks = CheckedProperties();
    if (checks == 0)
        return;
    const TChannelTree tree = FTree.IsValid() ? FTree : ActiveTreeView();
    if (tree.IsValid())
        ApplyPropertyChecks(*tree.Model, checks, edtLanguage->text(), check);
    ResetChecks();
    UpdateGoToWindow();
}

void TfrmChecking::ResetChecks() {
    {
        const QSignalBlocker blocker(tvChecking);
        for (int g = 0; g < tvChecking->topLevelItemCount(); ++g) {
            QTreeWidgetItem* group = tvChecking->topLevelItem(g);
            for (int i = 0; i < group->childCount(); ++i)
                group->child(i)->setCheckState(0, Qt::Unchecked);
        }
    }
    tvChecking->viewport()->update();
    chbLanguage->setChecked(false);
    {
        const QSignalBlocker blocker(edtLanguage);
        edtLanguage->clear();
    }
    btnCheck->setEnabled(false);
    btnUncheck->setEnabled(false);
}

int TfrmChecking::ShowModal() {
    const bool wasVisible = Settings().frmCheckingVisible;
    // Modal to the window that opened it, so a help page opened from here stays usable.
    setWindowModality(parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    const int result = exec();
    Settings().frmCheckingVisible = wasVisible;
    return result;
}

void TfrmChecking::FormClose() {
    Settings().frmCheckingVisible = false;
    Q_EMIT VisibilityChanged(false);
    if (isVisible())
        done(QDialog::Rejected);
}

void TfrmChecking::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    const TSettings& s = Settings();
    move(s.frmCheckingLeft, s.frmCheckingTop);
    resize(s.frmCheckingClientWidth, s.frmCheckingClientHeight);
    if (tvChecking->topLevelItemCount() == 0)
        BuildTree();
    Settings().frmCheckingVisible = true;
    Q_EMIT VisibilityChanged(true);
    btnCheck->setEnabled(false);
    btnUncheck->setEnabled(false);
}

void TfrmChecking::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    TSettings& s = Settings();
    s.frmCheckingLeft = x();
    s.frmCheckingTop = y();
    s.frmCheckingClientWidth = width();
    s.frmCheckingClientHeight = height();
}

void TfrmChecking::closeEvent(QCloseEvent* event) {
    Settings().frmCheckingVisible = false;
    Q_EMIT VisibilityChanged(false);
    QDialog::closeEvent(event);
}

void TfrmChecking::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        FIsActivated = isActiveWindow();
}

void TfrmChecking::keyPressEvent(QKeyEvent* event) {
    // Esc does not close this window: it is a tool window, closed only on purpose.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfrmChecking::FormKeyDown(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_F1 && modifiers == Qt::NoModifier) {
        // Every instance has this page, also the one another window opens for its own tree,
        // where the main window's help command would not know it.
        ShowHelpPage(hpCheckUncheck);
        return true;
    }
    return HostFormKeyDown(event);
}

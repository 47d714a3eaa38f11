#include "selection/UCheckCategories.h"

#include "help/USizeGribPanel.h"
#include "main/UChannelTreeModel.h"
#include "selection/USelectionHost.h"
#include "settings/USettings.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TfrmCheckCategories::TfrmCheckCategories(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCheckCategories"));
    setWindowTitle(QStringLiteral("Tick Categories to Check or Uncheck"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lblRoot = new QLabel(QStringLiteral("Select &Root:"), this);
    lblRoot->setObjectName(QStringLiteral("lblRoot"));
    cboRoot = new QComboBox(this);
    cboRoot->setObjectName(QStringLiteral("cboRoot"));
    cboRoot->setEditable(false);
    cboRoot->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    lblRoot->setBuddy(cboRoot);

    tvCategories = new QTreeWidget(this);
    tvCategories->setObjectName(QStringLiteral("tvCategories"));
    tvCategories->setAccessibleName(QStringLiteral("Categories"));
    tvCategories->setHeaderHidden(true);
    tvCategories->setRootIsDecorated(false);
    tvCategories->setUniformRowHeights(true);
    tvCategories->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvCategories->setSelectionMode(QAbstractItemView::SingleSelection);
    tvCategories->installEventFilter(this);

    pnlButtons = new TSizeGripPanel(this);
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    const auto makeButton = [this](const char* name, const QString& text, const QString& hint) {
        auto* button = new QPushButton(text, pnlButtons);
        button->setObjectName(QLatin1String(name));
        button->setToolTip(hint);
        button->setAutoDefault(false);
        return button;
    };
    btnCheck = makeButton("btnCheck", QStringLiteral("&Check"),
                          QStringLiteral("Check channels in ticked category/categories"));
    btnUncheck = makeButton("btnUncheck", QStringLiteral("&Uncheck"),
                            QStringLiteral("Uncheck channels in ticked category/categories"));
    btnClose = makeButton("btnClose", QStringLiteral("Cl&ose"), QString());
    auto* buttons = new QHBoxLayout(pnlButtons);
    buttons->setContentsMargins(6, 6, 24, 6);
    buttons->addWidget(btnCheck);
    buttons->addWidget(btnUncheck);
    buttons->addStretch();
    buttons->addWidget(btnClose);

    auto* rootRow = new QHBoxLayout;
    rootRow->setContentsMargins(6, 6, 6, 6);
    rootRow->addWidget(lblRoot);
    rootRow->addWidget(cboRoot, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(rootRow);
    layout->addWidget(tvCategories, 1);
    layout->addWidget(pnlButtons);

    connect(cboRoot, &QComboBox::currentIndexChanged, this, &TfrmCheckCategories::FillCategories);
    connect(tvCategories, &QTreeWidget::itemChanged, this, &TfrmCheckCategories::UpdateButtons);
    connect(btnCheck, &QPushButton::clicked, this, &TfrmCheckCategories::btnCheckClick);
    connect(btnUncheck, &QPushButton::clicked, this, &TfrmCheckCategories::btnUncheckClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    btnCheck->setEnabled(false);
    btnUncheck->setEnabled(false);
}

TfrmCheckCategories::~TfrmCheckCategories() = default;

TChannelTree TfrmCheckCategories::Tree() const {
    return FTree.IsValid() ? FTree : ActiveTreeView();
}

void TfrmCheckCategories::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    const TSettings& s = Settings();
    move(s.frmCheckCategoriesLeft, s.frmCheckCategoriesTop);
    resize(s.frmCheckCategoriesClientWidth, s.frmCheckCategoriesClientHeight);
    FCS.Clear();
    if (const TChannelTree tree = Tree(); tree.IsValid())
        FCS.Fill(*tree.Model);
    {
        const QSignalBlocker blocker(cboRoot);
        cboRoot->clear();
        cboRoot->addItems(FCS.Roots());
        cboRoot->setCurrentIndex(FCS.Roots().isEmpty() ? -1 : 0);
    }
    FillCategories();
}

void TfrmCheckCategories::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    TSettings& s = Settings();
    s.frmCheckCategoriesLeft = x();
    s.frmCheckCategoriesTop = y();
    s.frmCheckCategoriesClientWidth = width();
    s.frmCheckCategoriesClientHeight = height();
}

void TfrmCheckCategories::FillCategories() {
    const QSignalBlocker blocker(tvCategories);
    tvCategories->clear();
    if (const QStringList* categories = FCS.GetCategories(cboRoot->currentText())) {
        QList<QTreeWidgetItem*> items;
        items.reserve(categories->size());
        for (const QString& category : *categories) {
            auto* item = new QTreeWidgetItem(QStringList(category));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                           Qt::ItemNeverHasChildren);
            item->setCheckState(0, Qt::Unchecked);
            items.append(item);
        }
        tvCategories->addTopLevelItems(items);
        if (!items.isEmpty())
            tvCategories->setCurrentItem(items.constFirst());
    }
    btnCheck->setEnabled(false);
    btnUncheck->setEnabled(false);
}

void TfrmCheckCategories::UpdateButtons() {
    bool any = false;
    for (int i = 0; i < tvCategories->topLevelItemCount() && !any; ++i)
        any = tvCategories->topLevelItem(i)->checkState(0) == Qt::Checked;
    btnCheck->setEnabled(any);
    btnUncheck->setEnabled(any);
}

bool TfrmCheckCategories::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tvCategories && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        // Shift+Up and Shift+Down tick the node being left; the move itself still happens.
        if (modifiers == Qt::ShiftModifier &&
            (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            if (QTreeWidgetItem* item = tvCategories->currentItem())
                item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked
                                                                          : Qt::Checked);
            return false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmCheckCategories::btnCheckClick() {
    CheckOrUncheck(true);
}

void TfrmCheckCategories::btnUncheckClick() {
    CheckOrUncheck(false);
}

void TfrmCheckCategories::CheckOrUncheck(bool check) {
    QStringList categories;
    {
        const QSignalBlocker blocker(tvCategories);
        for (int i = 0; i < tvCategories->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = tvCategories->topLevelItem(i);
            if (item->checkState(0) != Qt::Checked)
                continue;
            categories.append(item->text(0));
            item->setCheckState(0, Qt::Unchecked);
        }
    }
    tvCategories->viewport()->update();
    const QString root = cboRoot->currentText();
    if (const TChannelTree tree = Tree(); tree.IsValid() && !categories.isEmpty())
        ApplyCategoryChecks(*tree.Model, root, categories, check);
    btnCheck->setEnabled(false);
    btnUncheck->setEnabled(false);
    UpdateGoToWindow();
}

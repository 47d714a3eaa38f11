#include "selection/USearch.h"

#include "channels/UChannel.h"
#include "icons/UIcons.h"
#include "main/UChannelTreeModel.h"
#include "selection/USelectionHost.h"
#include "settings/USettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmSearch::TfrmSearch(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Search"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Five pictures across the top: the search and the three fields it looks at.
    auto* pictures = new QHBoxLayout;
    for (const char* name :
         {"actSearch", "actRenameRoots", "actRenameCategories", "actEditChannelName", "actGoTo"}) {
        auto* label = new QLabel(this);
        label->setPixmap(CommandIcon(QLatin1String(name)).pixmap(48, 48));
        label->setFixedSize(48, 48);
        pictures->addWidget(label);
    }

    gbSearchSettings = new QGroupBox(QStringLiteral("Search Settings"), this);
    gbSearchSettings->setObjectName(QStringLiteral("gbSearchSettings"));
    edtChannelName = new QLineEdit(gbSearchSettings);
    edtChannelName->setObjectName(QStringLiteral("edtChannelName"));
    edtCategory = new QLineEdit(gbSearchSettings);
    edtCategory->setObjectName(QStringLiteral("edtCategory"));
    edtRoot = new QLineEdit(gbSearchSettings);
    edtRoot->setObjectName(QStringLiteral("edtRoot"));
    chbIgnoreCase = new QCheckBox(QStringLiteral("&Ignore Upper/Lower case"), gbSearchSettings);
    chbIgnoreCase->setObjectName(QStringLiteral("chbIgnoreCase"));
    chbIgnoreCase->setChecked(true);
    auto* form = new QFormLayout(gbSearchSettings);
    form->addRow(QStringLiteral("Channel &Name:"), edtChannelName);
    form->addRow(QStringLiteral("&Category"), edtCategory);
    form->addRow(QStringLiteral("&Root:"), edtRoot);
    form->addRow(chbIgnoreCase);

    gbNavigation = new QGroupBox(QStringLiteral("Navigation"), this);
    gbNavigation->setObjectName(QStringLiteral("gbNavigation"));
    btnPrev = new QPushButton(QStringLiteral("&Previous (F7)"), gbNavigation);
    btnPrev->setObjectName(QStringLiteral("btnPrev"));
    btnNext = new QPushButton(QStringLiteral("Ne&xt (F8)"), gbNavigation);
    btnNext->setObjectName(QStringLiteral("btnNext"));
    chbChecked = new QCheckBox(QStringLiteral("C&hecked (F12)"), gbNavigation);
    chbChecked->setObjectName(QStringLiteral("chbChecked"));
    auto* navigation = new QHBoxLayout(gbNavigation);
    navigation->addWidget(btnPrev);
    navigation->addWidget(btnNext);
    navigation->addSpacing(12);
    navigation->addWidget(chbChecked);
    navigation->addStretch();

    btnClose = new QPushButton(QStringLiteral("Cl&ose"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    for (QPushButton* button : {btnPrev, btnNext, btnClose})
        button->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pictures);
    layout->addWidget(gbSearchSettings);
    layout->addWidget(gbNavigation);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (QLineEdit* edit : {edtChannelName, edtCategory, edtRoot})
        connect(edit, &QLineEdit::textChanged, this, &TfrmSearch::CriteriaChanged);
    connect(chbIgnoreCase, &QCheckBox::clicked, this, &TfrmSearch::CriteriaChanged);
    connect(btnPrev, &QPushButton::clicked, this, &TfrmSearch::btnPrevClick);
    connect(btnNext, &QPushButton::clicked, this, &TfrmSearch::btnNextClick);
    connect(chbChecked, &QCheckBox::clicked, this, &TfrmSearch::chbCheckedClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    FKeyPreview = new TKeyPreview(this, [this](QKeyEvent* event) { return FormKeyDown(event); });
}

TfrmSearch::~TfrmSearch() = default;

TSearchCriteria TfrmSearch::Criteria() const {
    TSearchCriteria criteria;
    criteria.ChannelName = edtChannelName->text();
    criteria.Category = edtCategory->text();
    criteria.Root = edtRoot->text();
    criteria.IgnoreCase = chbIgnoreCase->isChecked();
    return criteria;
}

void TfrmSearch::SelectMatch(const TChannelTree& tree, int row) {
    SelectAndShow(tree, tree.Model->NodeIndex(row));
    HostUpdateChannelInfoAndWindows();
    chbChecked->setChecked(tree.Model->ChannelAt(row)->IsChecked);
}

bool TfrmSearch::Step(bool forward, bool select) {
    const TChannelTree& tree = ActiveTreeView();
    if (!tree.IsValid())
        return false;
    const QModelIndex selected = tree.SelectedNode();
    if (!selected.isValid())
        return false;
    const int row =
        SearchStep(*tree.Model, tree.Model->GetActualChannelNo(selected), forward, Criteria());
    if (row < 0)
        return false;
    if (select)
        SelectMatch(tree, row);
    return true;
}

void TfrmSearch::RefreshButtons() {
    btnPrev->setEnabled(Step(false, false));
    btnNext->setEnabled(Step(true, false));
}

void TfrmSearch::CriteriaChanged() {
    const TChannelTree& tree = ActiveTreeView();
    if (tree.IsValid()) {
        const int row = SearchStep(*tree.Model, -1, true, Criteria());
        if (row >= 0)
            SelectMatch(tree, row);
    }
    RefreshButtons();
}

void TfrmSearch::btnPrevClick() {
    Step(false, true);
    RefreshButtons();
}

void TfrmSearch::btnNextClick() {
    Step(true, true);
    RefreshButtons();
}

void TfrmSearch::chbCheckedClick() {
    const QModelIndex node = ActiveTreeView().SelectedNode();
    if (chbChecked->isChecked())
        CheckNode(node);
    else
        UncheckNode(node);
}

bool TfrmSearch::FormKeyDown(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier)
        return false;
    bool used = false;
    switch (event->key()) {
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_F7:
        if (btnPrev->isEnabled())
            btnPrev->click();
        used = true;
        break;
    case Qt::Key_F8:
        if (btnNext->isEnabled())
            btnNext->click();
        used = true;
        break;
    case Qt::Key_F12:
        chbChecked->click();
        used = true;
        break;
    default:
        break;
    }
    RefreshButtons();
    return used;
}

void TfrmSearch::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    move(Settings().frmSearchLeft, Settings().frmSearchTop);
    for (QLineEdit* edit : {edtChannelName, edtCategory, edtRoot}) {
        const QSignalBlocker blocker(edit);
        edit->clear();
    }
    RefreshButtons();
}

void TfrmSearch::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    Settings().frmSearchLeft = x();
    Settings().frmSearchTop = y();
}

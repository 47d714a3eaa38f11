#include "main/USetGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int GroupCount = 8;
constexpr int GroupColumns = 4;

} // namespace

TfrmSetGroup::TfrmSetGroup(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSetGroup"));
    setWindowTitle(QStringLiteral("Channel Group"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    rgGroups = new QGroupBox(QStringLiteral("G&roups"), this);
    rgGroups->setObjectName(QStringLiteral("rgGroups"));
    FItems = new QButtonGroup(this);
    auto* items = new QGridLayout(rgGroups);
    for (int i = 0; i < GroupCount; ++i) {
        auto* item = new QRadioButton(QString(QLatin1Char(char('A' + i))), rgGroups);
        FItems->addButton(item, i);
        items->addWidget(item, i / GroupColumns, i % GroupColumns);
    }

    btnOk = new QPushButton(QStringLiteral("&OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnOk->setEnabled(false);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rgGroups);
    layout->addLayout(buttons);

    connect(FItems, &QButtonGroup::idToggled, this, &TfrmSetGroup::rgGroupsClick);
    connect(btnOk, &QPushButton::clicked, this, &TfrmSetGroup::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TfrmSetGroup::ItemIndex() const {
    return FItems->checkedId();
}

void TfrmSetGroup::SetItemIndex(int index) {
    if (QAbstractButton* item = FItems->button(index))
        item->setChecked(true);
}

void TfrmSetGroup::rgGroupsClick() {
    btnOk->setEnabled(ItemIndex() >= 0);
}

void TfrmSetGroup::btnOkClick() {
    if (ItemIndex() >= 0)
        accept();
}

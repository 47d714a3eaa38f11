#include "main/USetGroup.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
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

    auto* buttons = new QDialogButtonBox(this);
    btnOk = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnOk->setEnabled(false);
    btnCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rgGroups);
    layout->addWidget(buttons);

    connect(FItems, &QButtonGroup::idToggled, this, &TfrmSetGroup::rgGroupsClick);
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmSetGroup::btnOkClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
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

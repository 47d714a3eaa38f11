#include "main/USetProperty.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TfrmSetProperty::TfrmSetProperty(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSetProperty"));
    setWindowTitle(QStringLiteral("Select Property to set for checked channels"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    rgProperties = new QGroupBox(this);
    rgProperties->setObjectName(QStringLiteral("rgProperties"));
    FItems = new QButtonGroup(this);
    FItemsLayout = new QVBoxLayout(rgProperties);

    auto* buttons = new QDialogButtonBox(this);
    btnOk = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rgProperties);
    layout->addWidget(buttons);
    setMinimumWidth(360);

    connect(FItems, &QButtonGroup::idToggled, this, &TfrmSetProperty::rgPropertiesClick);
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmSetProperty::btnOkClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    FormShow();
}

void TfrmSetProperty::SetSetType(TSetType type) {
    FSetType = type;
    FormShow();
}

void TfrmSetProperty::FormShow() {
    const QList<QAbstractButton*> old = FItems->buttons();
    for (QAbstractButton* item : old) {
        FItems->removeButton(item);
        delete item;
    }
    QStringList items;
    switch (FSetType) {
    case stRDS:
        rgProperties->setTitle(QStringLiteral("Has &RDS (Radio Data System)"));
        items = {QStringLiteral("No"), QStringLiteral("Yes")};
        break;
    case stAutoUpdate:
        rgProperties->setTitle(QStringLiteral("&Auto Update"));
        items = {QStringLiteral("Off"), QStringLiteral("On")};
        break;
    case stSpeakers:
        rgProperties->setTitle(QStringLiteral("&Speakers (Default audio track)"));
        items = {QStringLiteral("Stereo"), QStringLiteral("Left"), QStringLiteral("Right")};
        break;
    }
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], rgProperties);
        FItems->addButton(item, i);
        FItemsLayout->addWidget(item);
    }
    btnOk->setEnabled(false);
}

int TfrmSetProperty::ItemIndex() const {
    return FItems->checkedId();
}

void TfrmSetProperty::SetItemIndex(int index) {
    if (QAbstractButton* item = FItems->button(index))
        item->setChecked(true);
}

void TfrmSetProperty::rgPropertiesClick() {
    btnOk->setEnabled(ItemIndex() >= 0);
}

void TfrmSetProperty::btnOkClick() {
    if (ItemIndex() >= 0)
        accept();
}

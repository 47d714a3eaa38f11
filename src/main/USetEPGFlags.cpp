#include "main/USetEPGFlags.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

TfrmSetEPGFlags::TfrmSetEPGFlags(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSetEPGFlags"));
    setWindowTitle(QStringLiteral("Set EPG Flags for checked channels"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    gbEPGFlags = new QGroupBox(QStringLiteral("&EPG Flags"), this);
    gbEPGFlags->setObjectName(QStringLiteral("gbEPGFlags"));
    auto* boxes = new QVBoxLayout(gbEPGFlags);
    struct TBit {
        QCheckBox** Box;
        const char* Name;
        const char* Caption;
    };
    const TBit bits[] = {
        {&chbDVBEPG, "chbDVBEPG", "Forbid &DVB EPG"},
        {&chbMHWEpg, "chbMHWEpg", "Forbid &MHW (+) EPG"},
        {&chbExternalEPG, "chbExternalEPG", "Forbid &External EPG"},
        {&chbBit3, "chbBit3", "Forbid future Bit&3 EPG"},
        {&chbBit4, "chbBit4", "Forbid future Bit&4 EPG"},
        {&chbBit5, "chbBit5", "Forbid future Bit&5 EPG"},
        {&chbBit6, "chbBit6", "Forbid future Bit&6 EPG"},
        {&chbBit7, "chbBit7", "Forbid future Bit&7 EPG"},
    };
    for (size_t i = 0; i < FBits.size(); ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(bits[i].Caption), gbEPGFlags);
        box->setObjectName(QString::fromLatin1(bits[i].Name));
        *bits[i].Box = box;
        FBits[i] = box;
        boxes->addWidget(box);
    }

    auto* buttons = new QDialogButtonBox(this);
    btnOk = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gbEPGFlags);
    layout->addWidget(buttons);
    setMinimumWidth(320);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

quint8 TfrmSetEPGFlags::Flags() const {
    quint8 flags = 0;
    for (size_t i = 0; i < FBits.size(); ++i)
        if (FBits[i]->isChecked())
            flags |= quint8(1u << i);
    return flags;
}

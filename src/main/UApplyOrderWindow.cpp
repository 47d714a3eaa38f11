#include "main/UApplyOrderWindow.h"

#include "channels/UChannels.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmApplyOrder::TfrmApplyOrder(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmApplyOrder"));
    setWindowTitle(QStringLiteral("Apply Order From"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* label = new QLabel(
        QStringLiteral("The channels take the order of the chosen list; channels it lacks follow "
                       "them, checked.\nAlso take from that list:"),
        this);
    chbNames = new QCheckBox(QStringLiteral("&Names (channel name, category and root)"), this);
    chbNames->setObjectName(QStringLiteral("chbNames"));
    chbGroup = new QCheckBox(QStringLiteral("Channel &group"), this);
    chbGroup->setObjectName(QStringLiteral("chbGroup"));
    chbEPGFlags = new QCheckBox(QStringLiteral("&EPG flags"), this);
    chbEPGFlags->setObjectName(QStringLiteral("chbEPGFlags"));

    auto* buttons = new QDialogButtonBox(this);
    btnOk = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(chbNames);
    layout->addWidget(chbGroup);
    layout->addWidget(chbEPGFlags);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TTakeOver TfrmApplyOrder::TakeOver() const {
    TTakeOver what;
    what.Names = chbNames->isChecked();
    what.Group = chbGroup->isChecked();
    what.EpgFlags = chbEPGFlags->isChecked();
    return what;
}

void ApplyOrderFromCommand(TChannelDocument& document, QWidget* parent) {
    if (document.Tree().IsEmpty())
        return;
    const QString path = AskOpenFileName(parent, QStringLiteral("Apply order from channel list"),
                                         Settings().DefaultWorkFolder,
                                         QStringLiteral("DVBViewer channel list (*.dat)"));
    if (path.isEmpty())
        return;
    TChannels reference;
    reference.LoadFromFile(path);

    TfrmApplyOrder window(parent);
    if (window.exec() != QDialog::Accepted)
        return;
    const TApplyOrderResult result = ApplyOrderFrom(document.Tree(), reference, window.TakeOver());
    if (result.Changed) {
        document.SetModified(true);
        Q_EMIT document.ChannelsChanged();
    }
    ShowInfoMessage(QStringLiteral("Order applied from %1:\r\nMatched: %2\r\nNew (checked, at the "
                                   "end): %3\r\nIn that list but missing here: %4")
                        .arg(QDir::toNativeSeparators(path))
                        .arg(result.Matched)
                        .arg(result.New)
                        .arg(result.Missing));
}

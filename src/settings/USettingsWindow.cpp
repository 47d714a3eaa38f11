#include "settings/USettingsWindow.h"

#include "settings/USettings.h"
#include "settings/UShowHelpHook.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

TfrmSettings::TfrmSettings(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    // Modal to its own window only: a help page opened from here is a window of its own and
    // must stay usable beside it.
    setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* grpNotifications = new QGroupBox(QStringLiteral("Notifications"), this);
    grpNotifications->setObjectName(QStringLiteral("grpNotifications"));
    chbDoInfoFileSaved = new QCheckBox(QStringLiteral("When &File is Saved"), grpNotifications);
    chbDoInfoFileSaved->setObjectName(QStringLiteral("chbDoInfoFileSaved"));
    (new QVBoxLayout(grpNotifications))->addWidget(chbDoInfoFileSaved);

    auto* grpConfirmations = new QGroupBox(QStringLiteral("Confirmations"), this);
    grpConfirmations->setObjectName(QStringLiteral("grpConfirmations"));
    chbConfirmDeleteChecked =
        new QCheckBox(QStringLiteral("&Deleting Checked channels"), grpConfirmations);
    chbConfirmDeleteChecked->setObjectName(QStringLiteral("chbConfirmDeleteChecked"));
    (new QVBoxLayout(grpConfirmations))->addWidget(chbConfirmDeleteChecked);

    auto* switches = new QHBoxLayout;
    switches->addWidget(grpNotifications);
    switches->addWidget(grpConfirmations);

    edtChannelSeparator = new QLineEdit(this);
    edtChannelSeparator->setObjectName(QStringLiteral("edtChannelSeparator"));
    edtRootSeparator = new QLineEdit(this);
    edtRootSeparator->setObjectName(QStringLiteral("edtRootSeparator"));
    auto* lblChannelSeparator = new QLabel(QStringLiteral("Channel name-&Root separator:"), this);
    lblChannelSeparator->setObjectName(QStringLiteral("lblChannelSeparator"));
    lblChannelSeparator->setBuddy(edtChannelSeparator);
    auto* lblRootSeparator = new QLabel(QStringLiteral("Ca&tegory-Root separator:"), this);
    lblRootSeparator->setObjectName(QStringLiteral("lblRootSeparator"));
    lblRootSeparator->setBuddy(edtRootSeparator);
    auto* separators = new QFormLayout;
    separators->addRow(lblChannelSeparator, edtChannelSeparator);
    separators->addRow(lblRootSeparator, edtRootSeparator);

    chbFreeDragAndDropAllowed =
        new QCheckBox(QStringLiteral("&Free Drag and Drop of channels Allowed"), this);
    chbFreeDragAndDropAllowed->setObjectName(QStringLiteral("chbFreeDragAndDropAllowed"));

    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnHelp = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(switches);
    layout->addLayout(separators);
    layout->addWidget(chbFreeDragAndDropAllowed);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // F1 reaches the dialog whichever control has the focus; Esc is QDialog's own Cancel.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WidgetWithChildrenShortcut);
    connect(f1, &QShortcut::activated, this, &TfrmSettings::btnHelpClick);
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmSettings::btnOKClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &TfrmSettings::btnHelpClick);

    FormShow();

    for (QCheckBox* box : {chbDoInfoFileSaved, chbConfirmDeleteChecked, chbFreeDragAndDropAllowed})
        connect(box, &QCheckBox::toggled, this, &TfrmSettings::ControlChanged);
    for (QLineEdit* edit : {edtChannelSeparator, edtRootSeparator})
        connect(edit, &QLineEdit::textChanged, this, &TfrmSettings::ControlChanged);
}

void TfrmSettings::FormShow() {
    const TSettings& s = Settings();
    chbDoInfoFileSaved->setChecked(s.DoInfoFileSaved);
    chbConfirmDeleteChecked->setChecked(s.ConfirmDeleteChecked);
    edtChannelSeparator->setText(s.ChannelSeparator);
    edtRootSeparator->setText(s.RootSeparator);
    chbFreeDragAndDropAllowed->setChecked(s.FreeDragAndDropAllowed);
    btnOK->setEnabled(false);
}

void TfrmSettings::ControlChanged() {
    btnOK->setEnabled(true);
}

void TfrmSettings::btnOKClick() {
    TSettings& s = Settings();
    s.DoInfoFileSaved = chbDoInfoFileSaved->isChecked();
    s.ConfirmDeleteChecked = chbConfirmDeleteChecked->isChecked();
    s.ChannelSeparator = edtChannelSeparator->text();
    s.RootSeparator = edtRootSeparator->text();
    s.FreeDragAndDropAllowed = chbFreeDragAndDropAllowed->isChecked();
    accept();
}

void TfrmSettings::btnHelpClick() {
    CallShowHelpPage(HelpPageSettings);
}

#include "settings/UCodePage.h"

#include "platform/UCodePages.h"
#include "settings/USettings.h"
#include "settings/UShowHelpHook.h"
#include "ui/UMessages.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QVBoxLayout>

TfrmCodePage::TfrmCodePage(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCodePage"));
    setWindowTitle(QStringLiteral("Force CodePage"));
    // Modal to its own window only: a help page opened from here is a window of its own and
    // must stay usable beside it.
    setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(440, 204);

    rgCodePage = new QGroupBox(QStringLiteral("&Select Codepage"), this);
    rgCodePage->setObjectName(QStringLiteral("rgCodePage"));
    rbSystemCodePage = new QRadioButton(QStringLiteral("Default system CodePage:"), rgCodePage);
    rbSystemCodePage->setObjectName(QStringLiteral("rbSystemCodePage"));
    rbForcedCodePage = new QRadioButton(QStringLiteral("Force another Codepage:"), rgCodePage);
    rbForcedCodePage->setObjectName(QStringLiteral("rbForcedCodePage"));
    FItems = new QButtonGroup(this);
    FItems->addButton(rbSystemCodePage, 0);
    FItems->addButton(rbForcedCodePage, 1);

    edtCodePage = new QLineEdit(rgCodePage);
    edtCodePage->setObjectName(QStringLiteral("edtCodePage"));
    edtCodePage->setAccessibleName(QStringLiteral("Force another Codepage:"));
    edtCodePage->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edtCodePage));
    edtCodePage->setMaximumWidth(120);

    // The two items share the height of the box, each on its own line.
    auto* items = new QGridLayout(rgCodePage);
    items->setColumnStretch(2, 1);
    items->setRowStretch(0, 1);
    items->setRowStretch(1, 1);
    items->addWidget(rbSystemCodePage, 0, 0, 1, 3);
    items->addWidget(rbForcedCodePage, 1, 0);
    items->addWidget(edtCodePage, 1, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setCenterButtons(true);
    btnOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnHelp = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rgCodePage, 1);
    layout->addSpacing(8);
    layout->addWidget(buttons);

    // F1 reaches the dialog whichever control has the focus; Esc is QDialog's own Cancel.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WidgetWithChildrenShortcut);
    connect(f1, &QShortcut::activated, this, &TfrmCodePage::btnHelpClick);
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmCodePage::btnOKClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &TfrmCodePage::btnHelpClick);

    FormShow();

    connect(FItems, &QButtonGroup::idClicked, this, &TfrmCodePage::ControlChanged);
    connect(edtCodePage, &QLineEdit::textChanged, this, &TfrmCodePage::ControlChanged);
}

void TfrmCodePage::FormShow() {
    const TSettings& s = Settings();
    // Any index but 0 forces the code page, so any such value shows the second item.
    (s.CodepageIndex != 0 ? rbForcedCodePage : rbSystemCodePage)->setChecked(true);
    edtCodePage->setText(s.ForcedCodePage == -1 ? QString() : QString::number(s.ForcedCodePage));
    rbSystemCodePage->setText(QStringLiteral("Default system CodePage: ") +
                              QString::number(SystemAnsiCodePage()));
    btnOK->setEnabled(false);
}

void TfrmCodePage::ControlChanged() {
    btnOK->setEnabled(true);
}

void TfrmCodePage::btnOKClick() {
    // A forced number that cannot be a code page would garble every name later, so it is
    // refused here and nothing changes until the user corrects it or cancels. With the
    // system's code page chosen the number is not used, and any number in the box will do.
    const bool forcedChosen = FItems->checkedId() == 1;
    const QString text = edtCodePage->text();
    int forced = -1;
    bool isNumber = true;
    if (!text.isEmpty())
        forced = text.toInt(&isNumber);
    if (forcedChosen && !isNumber) {
        ShowErrorMessage(
            QStringLiteral("%1 is not a valid code page number: it is too large.").arg(text));
        return;
    }
    if (forcedChosen && !text.isEmpty() && !IsKnownCodePage(forced)) {
        ShowErrorMessage(QStringLiteral("Code page %1 is not known on this system.").arg(forced));
        return;
    }
    TSettings& s = Settings();
    s.CodepageIndex = forcedChosen ? 1 : 0;
    // A number too large to keep leaves the stored one; it was not going to be used.
    if (isNumber)
        s.ForcedCodePage = forced;
    accept();
}

void TfrmCodePage::btnHelpClick() {
    CallShowHelpPage(HelpPageCodePage);
}

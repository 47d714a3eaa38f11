#include "main/UEditName.h"

#include "channels/UChannel.h"
#include "channels/UChannelUtils.h"
#include "main/UChannelTreeModel.h"
#include "ui/UMessages.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int DialogWidth = 420;
constexpr int RenameHeight = 330;
constexpr int ChannelNameHeight = 240;
constexpr int ChannelNameListHeight = 60;
// The name editor of one channel opens at this distance from the screen's top-left corner.
constexpr int FixedPlace = 200;

} // namespace

TfrmEditName::TfrmEditName(TChannelTreeModel& tree, QWidget* parent)
    : QDialog(parent), FTree(tree) {
    setObjectName(QStringLiteral("frmEditName"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lblNameType = new QLabel(this);
    lblNameType->setObjectName(QStringLiteral("lblNameType"));
    edtName = new QLineEdit(this);
    edtName->setObjectName(QStringLiteral("edtName"));
    lblNameType->setBuddy(edtName);
    lblFree = new QLabel(this);
    lblFree->setObjectName(QStringLiteral("lblFree"));
    // Room for any count, so that the edit box does not jump while the user types.
    lblFree->setMinimumWidth(
        lblFree->fontMetrics().horizontalAdvance(QStringLiteral("Free: -999 bytes")));

    auto* buttons = new QDialogButtonBox(this);
    btnOk = buttons->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    lblTooLongNames = new QLabel(QStringLiteral("Too long Names:"), this);
    lblTooLongNames->setObjectName(QStringLiteral("lblTooLongNames"));
    meChannels = new QPlainTextEdit(this);
    meChannels->setObjectName(QStringLiteral("meChannels"));
    meChannels->setReadOnly(true);
    meChannels->setLineWrapMode(QPlainTextEdit::NoWrap);
    lblTooLongNames->setBuddy(meChannels);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(edtName, 1);
    nameRow->addWidget(lblFree);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblNameType);
    layout->addLayout(nameRow);
    layout->addWidget(buttons);
    layout->addWidget(lblTooLongNames);
    layout->addWidget(meChannels, 1);

    connect(edtName, &QLineEdit::textChanged, this, &TfrmEditName::edtNameChange);
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmEditName::btnOkClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
        move(s->geometry().topLeft() + QPoint(FixedPlace, FixedPlace));
    resize(Scaled(DialogWidth), Scaled(RenameHeight));
}

TfrmEditName::~TfrmEditName() = default;

QString TfrmEditName::Name() const {
    return edtName->text();
}

void TfrmEditName::SetName(const QString& name) {
    edtName->setText(name);
}

int TfrmEditName::Scaled(int pixels) const {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const qreal dpi = s ? s->logicalDotsPerInch() : 96.0;
    return qRound(pixels * dpi / 96.0);
}

void TfrmEditName::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A modal dialog is shown once; showing it again must not list the channels twice.
    if (!FShown) {
        FShown = true;
        FormShow();
    }
}

void TfrmEditName::FormShow() {
    switch (FEditMode) {
    case emRoot:
        setWindowTitle(QStringLiteral("Edit Root"));
        lblNameType->setText(QStringLiteral("&New Root name for checked channels:"));
        break;
    case emCategory:
        setWindowTitle(QStringLiteral("Edit Category"));
        lblNameType->setText(QStringLiteral("&New Category name for checked channels:"));
        break;
    case emChannelName:
        setWindowTitle(QStringLiteral("Edit Channel Name"));
        lblNameType->setText(QStringLiteral("&New Channel Name:"));
        break;
    }

    if (FEditMode == emChannelName) {
        lblTooLongNames->setText(QStringLiteral("Editing:"));
        meChannels->setFixedHeight(Scaled(ChannelNameListHeight));
        resize(width(), Scaled(ChannelNameHeight));
        // setText runs the change step through textChanged only when the text differs.
        const QString name = FChannelToEdit ? FChannelToEdit->Name() : QString();
        const QSignalBlocker block(edtName);
        edtName->setText(name);
    } else {
        FListChecked.clear();
        FLengths.clear();
        FFullNames.clear();
        for (int row = 0; row < FTree.TopCount(); ++row) {
            if (!FTree.IsNodeChecked(row))
                continue;
            FListChecked.push_back(FTree.ChannelAt(row));
            for (TChannel* sub : FTree.SubChannelsAt(row))
                FListChecked.push_back(sub);
        }
        FFullNames.resize(FListChecked.size());
        FLengths.reserve(FListChecked.size());
        for (const TChannel* c : FListChecked)
            FLengths.push_back({int(c->RootBytes().size()), int(c->CategoryBytes().size()),
                                int(c->NameBytes().size())});
    }
    edtName->setFocus();
    edtNameChange();
}

void TfrmEditName::edtNameChange() {
    const QString text = edtName->text();
    const int typed = NameByteLength(text);
    if (FEditMode == emChannelName) {
        if (FChannelToEdit) {
            FFree = FreeNameByteCount(int(FChannelToEdit->RootBytes().size()),
                                      int(FChannelToEdit->CategoryBytes().size()), typed);
            meChannels->setPlainText(FTree.GetTreeViewName(*FChannelToEdit, FChannelNo));
        } else {
            FFree = FreeNameByteCount(0, 0, typed);
            meChannels->clear();
        }
    } else {
        const bool root = FEditMode == emRoot;
        int smallest = ShortStringCapacity - typed;
        QStringList tooLong;
        for (size_t i = 0; i < FListChecked.size(); ++i) {
            const TLengths& l = FLengths[i];
            const int free = root ? FreeNameByteCount(typed, l.Category, l.Name)
                                  : FreeNameByteCount(l.Root, typed, l.Name);
            smallest = std::min(smallest, free);
            if (free < 0) {
                QString& fullName = FFullNames[i];
                if (fullName.isNull())
                    fullName = FListChecked[i]->FullName();
                tooLong << fullName;
            }
        }
        FFree = smallest;
        meChannels->setPlainText(tooLong.join(QLatin1Char('\n')));
    }
    lblFree->setText(QStringLiteral("Free: %1 bytes").arg(FFree));
}

void TfrmEditName::btnOkClick() {
    // A root or category goes into one name field of every listed channel; what does not fit
    // that field cannot be stored at all. Names that no longer fit beside it are the
    // command's to refuse.
    if (FEditMode != emChannelName && IsNameTooLong(edtName->text())) {
        ShowErrorMessage(QStringLiteral("Name is too long"));
        edtName->setFocus();
        return;
    }
    accept();
}

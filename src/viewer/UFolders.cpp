#include "viewer/UFolders.h"

#include "platform/UAutomationClient.h"
#include "platform/UOrvaneError.h"
#include "platform/UViewerAutomation.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "viewer/UViewerEnvironment.h"
#include "viewer/UViewerStartup.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

namespace {

// A flat button that looks and acts like a hyperlink, reachable by keyboard and by name.
QPushButton* MakeLink(const QString& text, const QString& name, QWidget* parent) {
    auto* link = new QPushButton(text, parent);
    link->setObjectName(name);
    link->setFlat(true);
    link->setCursor(Qt::PointingHandCursor);
    link->setAutoDefault(false);
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
    link->setStyleSheet(QStringLiteral("QPushButton { color: palette(link); border: none; "
                                       "text-align: left; padding: 0px; }"));
    return link;
}

} // namespace

TfrmFolders::TfrmFolders(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFolders"));
    setWindowTitle(QStringLiteral("Folders"));
    setModal(true);

    auto* lblDVBViewerDataFolder = new QLabel(QStringLiteral("DVBViewer Data Folder:"), this);
    lblDVBViewerDataFolder->setObjectName(QStringLiteral("lblDVBViewerDataFolder"));
    edtDVBViewerDataFolder = new QLineEdit(this);
    edtDVBViewerDataFolder->setObjectName(QStringLiteral("edtDVBViewerDataFolder"));
    edtDVBViewerDataFolder->setReadOnly(true);
    edtDVBViewerDataFolder->setMinimumWidth(360);
    lblDVBViewerDataFolder->setBuddy(edtDVBViewerDataFolder);
    btnDetect = new QPushButton(QStringLiteral("&Detect"), this);
    btnDetect->setObjectName(QStringLiteral("btnDetect"));
    btnDetect->setEnabled(false);
    btnDetect->setAutoDefault(false);

    auto* lblDefaultWorkFolder = new QLabel(QStringLiteral("Default &work folder"), this);
    lblDefaultWorkFolder->setObjectName(QStringLiteral("lblDefaultWorkFolder"));
    edtDefaultWorkFolder = new QLineEdit(this);
    edtDefaultWorkFolder->setObjectName(QStringLiteral("edtDefaultWorkFolder"));
    lblDefaultWorkFolder->setBuddy(edtDefaultWorkFolder);
    btnBrowse = new QPushButton(QStringLiteral("&Browse"), this);
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    btnBrowse->setAutoDefault(false);

    llDataFolder =
        MakeLink(QStringLiteral("Orvane Data Folder"), QStringLiteral("llDataFolder"), this);
    llDVBViewerDataFolder = MakeLink(QStringLiteral("DVBVBiewer  Data Folder"),
                                     QStringLiteral("llDVBViewerDataFolder"), this);

    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(lblDVBViewerDataFolder, 0, 0, 1, 2);
    grid->addWidget(edtDVBViewerDataFolder, 1, 0);
    grid->addWidget(btnDetect, 1, 1);
    grid->addWidget(lblDefaultWorkFolder, 2, 0, 1, 2);
    grid->addWidget(edtDefaultWorkFolder, 3, 0);
    grid->addWidget(btnBrowse, 3, 1);

    auto* links = new QHBoxLayout;
    links->addWidget(llDataFolder);
    links->addSpacing(24);
    links->addWidget(llDVBViewerDataFolder);
    links->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(links);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    // Fixed border: the window keeps the size its contents need.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    tiDetect = new QTimer(this);
    tiDetect->setObjectName(QStringLiteral("tiDetect"));
    tiDetect->setInterval(500);

    connect(btnDetect, &QPushButton::clicked, this, &TfrmFolders::btnDetectClick);
    connect(btnBrowse, &QPushButton::clicked, this, &TfrmFolders::btnBrowseClick);
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmFolders::btnOKClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(llDataFolder, &QPushButton::clicked, this, [] { OpenProgramDataFolder(); });
    connect(llDVBViewerDataFolder, &QPushButton::clicked, this, [] { OpenViewerDataFolder(); });
    connect(edtDVBViewerDataFolder, &QLineEdit::textChanged, this, &TfrmFolders::EditChanged);
    connect(edtDefaultWorkFolder, &QLineEdit::textChanged, this, &TfrmFolders::EditChanged);
    connect(tiDetect, &QTimer::timeout, this, &TfrmFolders::tiDetectTimer);
}

void TfrmFolders::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        move(Settings().frmFoldersLeft, Settings().frmFoldersTop);
        edtDVBViewerDataFolder->setText(Settings().DVBViewerDataFolder);
        edtDefaultWorkFolder->setText(Settings().DefaultWorkFolder);
        // After the filling, which counts as a change.
        btnOK->setEnabled(false);
        btnBrowse->setFocus();
        tiDetect->start();
    }
    QDialog::showEvent(event);
}

void TfrmFolders::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) {
        tiDetect->stop();
        Settings().frmFoldersLeft = pos().x();
        Settings().frmFoldersTop = pos().y();
    }
    QDialog::hideEvent(event);
}

void TfrmFolders::EditChanged() {
    btnOK->setEnabled(true);
}

void TfrmFolders::btnDetectClick() {
    if (FDetectCall)
        return;
    // Not running: the viewer has no folder to tell.
    if (!IsViewerRunning()) {
        edtDVBViewerDataFolder->setText(QString());
        return;
    }
    if (!ActiveObjectRegistration(QString::fromUtf16(ViewerClassID))) {
        ShowErrorMessage(QStringLiteral("DVBViewer is not running."));
        return;
    }
    // The window goes on while the viewer answers (or fails to); further clicks meanwhile
    // ask nothing more. The button keeps its state: disabled, it would pass the focus on to
    // the work folder edit with all its text selected, for the next key to replace.
    FDetectCall = new TActiveObjectCall(QString::fromUtf16(ViewerClassID), DataFolderRequest(),
                                        AutomationTimeoutMs, this);
    connect(FDetectCall, &TActiveObjectCall::Replied, this, [this](const QByteArray& line) {
        EndDetect();
        try {
            edtDVBViewerDataFolder->setText(ParseDataFolderReply(line));
        } catch (const EAutomationError& e) {
            ShowErrorMessage(e.Message());
        }
    });
    connect(FDetectCall, &TActiveObjectCall::Failed, this, [this](const QString& message) {
        EndDetect();
        ShowErrorMessage(message);
    });
    FDetectCall->Start();
}

void TfrmFolders::EndDetect() {
    FDetectCall->deleteLater();
    FDetectCall = nullptr;
}

bool TfrmFolders::Detecting() const {
    return FDetectCall != nullptr;
}

void TfrmFolders::btnBrowseClick() {
    const QString folder = AskFolder(this, QStringLiteral("Select Default Work Folder"));
    if (!folder.isEmpty())
        edtDefaultWorkFolder->setText(folder);
}

void TfrmFolders::btnOKClick() {
    Settings().DVBViewerDataFolder = edtDVBViewerDataFolder->text();
    Settings().DefaultWorkFolder = edtDefaultWorkFolder->text();
    accept();
}

void TfrmFolders::tiDetectTimer() {
    // The running test may raise; a window's timer must not take the dialog down with it.
    bool running = false;
    RunGuarded([&running] { running = IsViewerRunning(); });
    btnDetect->setEnabled(running);
}

#include "help/UHelp.h"

#include "help/URtfDocument.h"
#include "help/USizeGribPanel.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

TfrmHelp::TfrmHelp(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmHelp"));
    setAttribute(Qt::WA_DeleteOnClose);
    // An open help page must not keep the program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Help"));

    FreHelp = new QTextEdit(this);
    FreHelp->setObjectName(QStringLiteral("reHelp"));
    FreHelp->setReadOnly(true);
    FreHelp->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    FreHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    FPanel = new TSizeGripPanel(this);
    FPanel->setObjectName(QStringLiteral("SizeGripPanel1"));
    FPanel->setFixedHeight(41);
    FbtnOK = new QPushButton(QStringLiteral("&OK"), FPanel);
    FbtnOK->setObjectName(QStringLiteral("btnOK"));
    FbtnCopy = new QPushButton(QStringLiteral("&Copy"), FPanel);
    FbtnCopy->setObjectName(QStringLiteral("btnCopy"));
    auto* buttons = new QHBoxLayout(FPanel);
    buttons->setContentsMargins(8, 0, 8, 0);
    buttons->addStretch();
    buttons->addWidget(FbtnOK);
    buttons->addWidget(FbtnCopy);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FreHelp);
    layout->addWidget(FPanel);

    connect(FbtnOK, &QPushButton::clicked, this, &QWidget::close);
    connect(FbtnCopy, &QPushButton::clicked, this, &TfrmHelp::CopyAll);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    resize(530, 334);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().topLeft());
}

TfrmHelp::~TfrmHelp() {
    // Also when freed without being closed (the program ends), the slot must not stay filled.
    if (HelpWindowsManager().Window(FHID) == this)
        HelpWindowsManager().Remove(FHID);
}

void TfrmHelp::SetHelpName(const QString& HName, int HID) {
    FHID = HID;
    setWindowTitle(windowTitle() + u'-' + HName);
    FFileName = HelpFileName(HName);
}

void TfrmHelp::ShowPage() {
    LoadRtfFile(*FreHelp->document(), FFileName);
    // A page is read from its top.
    FreHelp->moveCursor(QTextCursor::Start);
    show();
    raise();
    activateWindow();
}

void TfrmHelp::CopyAll() {
    FreHelp->selectAll();
    FreHelp->copy();
}

void TfrmHelp::closeEvent(QCloseEvent* event) {
    if (HelpWindowsManager().Window(FHID) == this)
        HelpWindowsManager().Remove(FHID);
    QWidget::closeEvent(event);
}

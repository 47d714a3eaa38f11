#include "help/UTextInfo.h"

#include "help/USizeGribPanel.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextOption>
#include <QVBoxLayout>

TfrmInfo::TfrmInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Channel Info"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(false); // the panel carries the grip

    FreInfo = new QTextEdit(this);
    FreInfo->setObjectName(QStringLiteral("reInfo"));
    FreInfo->setAcceptRichText(true);
    // Tabs are part of the text here, not a way to leave the box.
    FreInfo->setTabChangesFocus(false);
    FreInfo->setLineWrapMode(QTextEdit::WidgetWidth);

    FPanel = new TSizeGripPanel(this);
    FPanel->setObjectName(QStringLiteral("SizeGripPanel1"));
    FPanel->setFixedHeight(44);
    auto* buttons = new QDialogButtonBox(FPanel);
    FbtnOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    FbtnOK->setObjectName(QStringLiteral("btnOK"));
    FbtnOK->setDefault(true);
    FbtnCopy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    FbtnCopy->setObjectName(QStringLiteral("btnCopy"));
    FbtnCopy->setAutoDefault(false);
    auto* panelLayout = new QHBoxLayout(FPanel);
    panelLayout->setContentsMargins(8, 0, 8, 0);
    panelLayout->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FreInfo);
    layout->addWidget(FPanel);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(FbtnCopy, &QPushButton::clicked, this, &TfrmInfo::CopyAll);

    resize(479, 460);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().topLeft());
}

void TfrmInfo::SetTabStops(const QList<qreal>& points) {
    // Tab positions are laid out in pixels.
    const qreal pixelsPerPoint = FreInfo->logicalDpiX() / 72.0;
    QList<QTextOption::Tab> tabs;
    for (qreal point : points)
        tabs.append(QTextOption::Tab(point * pixelsPerPoint, QTextOption::LeftTab));
    QTextDocument* document = FreInfo->document();
    QTextOption option = document->defaultTextOption();
    option.setTabs(tabs);
    document->setDefaultTextOption(option);
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    QTextBlockFormat format = cursor.blockFormat();
    format.setTabPositions(tabs);
    cursor.setBlockFormat(format);
}

void TfrmInfo::AddText(const QString& text, const QColor& color, bool bold) {
    QTextCharFormat format;
    format.setForeground(color);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    QTextCursor cursor(FreInfo->document());
    cursor.movePosition(QTextCursor::End);
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(u'\r', u'\n');
    // New paragraphs keep the paragraph format, tab stops included, of the one they follow.
    cursor.insertText(plain, format);
}

QString TfrmInfo::PlainText() const {
    return FreInfo->toPlainText();
}

void TfrmInfo::CopyAll() {
    FreInfo->selectAll();
    FreInfo->copy();
}

#include "help/About.h"

#include "settings/USettings.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// The program has no public web address to send anyone to, so these name the pages without
// linking anywhere; a link to an address that does not exist would only mislead.
QLabel* MakePageName(QWidget* parent, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // A raised panel inside a lowered one, as the classic About boxes have it.
    auto* outer = new QFrame(this);
    outer->setObjectName(QStringLiteral("Panel1"));
    outer->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* inner = new QFrame(outer);
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* outerLayout = new QVBoxLayout(outer);
    outerLayout->setContentsMargins(1, 1, 1, 1);
    outerLayout->addWidget(inner);

    auto* programIcon = new QLabel(inner);
    programIcon->setObjectName(QStringLiteral("ProgramIcon"));
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_DesktopIcon);
    programIcon->setPixmap(icon.pixmap(32, 32).scaled(32, 32));
    programIcon->setFixedSize(32, 32);
    programIcon->setScaledContents(true);

    auto* productName = new QLabel(QStringLiteral("Orvane"), inner);
    productName->setObjectName(QStringLiteral("ProductName"));
    QFont big = productName->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    productName->setFont(big);

    FlblVersion = new QLabel(QString::fromLatin1(OrvaneVersion), inner);
    FlblVersion->setObjectName(QStringLiteral("lblVersion"));

    auto* home = MakePageName(inner, "LinkHome", QStringLiteral("Orvane home"));
    auto* changelog = MakePageName(inner, "LinkChangelog", QStringLiteral("Changelog"));

    auto* head = new QHBoxLayout();
    head->addWidget(programIcon, 0, Qt::AlignTop);
    head->addSpacing(12);
    auto* names = new QVBoxLayout();
    names->addWidget(productName);
    names->addWidget(FlblVersion);
    head->addLayout(names, 1);

    auto* innerLayout = new QVBoxLayout(inner);
    innerLayout->setContentsMargins(16, 16, 16, 16);
    innerLayout->addLayout(head);
    innerLayout->addStretch(1);
    innerLayout->addWidget(home);
    innerLayout->addWidget(changelog);
    innerLayout->addStretch(1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setCenterButtons(true);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(outer, 1);
    layout->addWidget(buttons);

    // Fixed border; QDialog already closes on Escape.
    setFixedSize(298, 302);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void ShowAboutBox(QWidget* parent) {
    TAboutBox box(parent);
    box.exec();
}

// Usage: orvane-icons-sheet <out.png> [zoom | zoom-selected]
// Without a mode: every picture at 32 and 16 pixels, on white and on the selection colour,
// with its name. With a mode: the 16 pixel picture enlarged four times and the 32 pixel one
// twice, pixel by pixel, on white or on the selection colour, to judge single pixels.
#include "icons/UIcons.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPixmap>

#include <utility>
#include <vector>

namespace {

const QColor kSelection(0x30, 0x8c, 0xc6);

QPixmap Enlarged(const QIcon& icon, int size, int factor) {
    return icon.pixmap(size, size)
        .scaled(size * factor, size * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        qWarning("usage: orvane-icons-sheet <out.png> [zoom | zoom-selected]");
        return 2;
    }
    const QByteArray mode = argc > 2 ? QByteArray(argv[2]) : QByteArray();
    const bool zoom = mode.startsWith("zoom");
    const QColor background = mode == "zoom-selected" ? kSelection : QColor(Qt::white);

    std::vector<std::pair<QString, QIcon>> items;
    for (const QString& name : CommandIconNames())
        items.emplace_back(name.mid(3), CommandIcon(name));
    for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 13, 14})
        items.emplace_back(QStringLiteral("Node %1").arg(i), NodeImage(i));
    for (int i : {1, 2})
        items.emplace_back(QStringLiteral("State %1").arg(i), StateImage(i));
    for (int i : {0, 1})
        items.emplace_back(QStringLiteral("Happy %1").arg(i), HappyImage(i));
    for (int i : {1, 2, 5, 6})
        items.emplace_back(QStringLiteral("IPTV %1").arg(i), IptvStateImage(i));
    items.emplace_back(QStringLiteral("App"), AppIcon());

    const int cellW = zoom ? 140 : 150, cellH = zoom ? 86 : 62, columns = 8;
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    QImage sheet(columns * cellW, rows * cellH, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    QFont font = p.font();
    font.setPixelSize(10);
    p.setFont(font);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const int x = static_cast<int>(i % columns) * cellW;
        const int y = static_cast<int>(i / columns) * cellH;
        const QIcon& icon = items[i].second;
        p.setPen(QColor(230, 230, 230));
        p.drawRect(x, y, cellW - 1, cellH - 1);
        if (zoom) {
            p.fillRect(x + 2, y + 2, 136, 68, background);
            p.drawPixmap(x + 4, y + 4, Enlarged(icon, 16, 4));
            p.drawPixmap(x + 72, y + 4, Enlarged(icon, 32, 2));
        } else {
            p.drawPixmap(x + 4, y + 4, icon.pixmap(32, 32));
            p.drawPixmap(x + 42, y + 4, icon.pixmap(16, 16));
            p.fillRect(x + 62, y + 2, 20, 20, kSelection);
            p.drawPixmap(x + 64, y + 4, icon.pixmap(16, 16));
            p.fillRect(x + 88, y + 2, 36, 36, kSelection);
            p.drawPixmap(x + 90, y + 4, icon.pixmap(32, 32));
        }
        p.setPen(Qt::black);
        p.drawText(QRect(x + 2, y + cellH - 20, cellW - 4, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   items[i].first);
    }
    p.end();
    return sheet.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}

// Renders an SVG picture as a square PNG, for the icon theme's fixed sizes beside the
// scalable picture.
//   orvane-render-icon SVG SIZE PNG
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SVG SIZE PNG\n", argv[0]);
        return 2;
    }
    // A build machine may have no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QGuiApplication app(argc, argv);

    const QString svg = QString::fromLocal8Bit(argv[1]);
    bool sizeOk = false;
    const int size = QByteArray(argv[2]).toInt(&sizeOk);
    const QString png = QString::fromLocal8Bit(argv[3]);
    if (!sizeOk || size <= 0 || size > 4096) {
        std::fprintf(stderr, "%s: not a size: %s\n", argv[0], argv[2]);
        return 2;
    }
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: cannot read the picture %s\n", argv[0], argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    if (!image.save(png, "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    return 0;
}

#include "StandinApplication.h"

#include <QApplication>

std::unique_ptr<QCoreApplication> MakeStandinApplication(int& argc, char** argv) {
    bool headless = false;
    for (int i = 1; i < argc; ++i)
        headless = headless || qstrcmp(argv[i], "--headless") == 0;
    std::unique_ptr<QCoreApplication> app;
    if (headless)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvane-viewer-standin"));
    return app;
}

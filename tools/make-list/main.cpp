// orvane-make-list --out FILE --channels N [--seed S] [--with-deleted FILE.Odel]
//                  [--iptv-clashing N]
//
// Writes a realistic channel list of N main channels for demonstrations and benchmarks; the
// same seed always gives the same file.

#include "UMakeList.h"

#include "platform/UOrvaneError.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TMakeListOptions options;
    const QString error = ParseMakeListArguments(QCoreApplication::arguments(), options);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "orvane-make-list: %s\n%s\n", qUtf8Printable(error),
                     qUtf8Printable(MakeListUsage()));
        return 2;
    }
    try {
        WriteMadeLists(options);
    } catch (const EOrvaneError& e) {
        std::fprintf(stderr, "orvane-make-list: %s\n", e.what());
        return 1;
    }
    std::printf("orvane-make-list: %d channels written to %s\n", options.Channels,
                qUtf8Printable(options.OutFile));
    return 0;
}

// Any bytes through the reader of help pages.

#include "help/URtfReader.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)LooksLikeRtf(bytes);
    const TRtfDocument doc = ParseRtf(bytes);
    const QString plain = doc.PlainText();
    qsizetype textLength = 0;
    for (const TRtfParagraph& paragraph : doc.Paragraphs) {
        for (const TRtfRun& run : paragraph.Runs) {
            textLength += run.Text.size();
            if (run.FontSizeHalfPoints < 0) {
                std::fprintf(stderr, "check failed: a negative font size\n");
                std::abort();
            }
        }
    }
    // Each input byte yields at most a character or two (\uN with its substitute, \tab);
    // anything more means text was made up.
    if (textLength > 2 * bytes.size() + 16) {
        std::fprintf(stderr, "check failed: %lld characters from %lld bytes\n",
                     static_cast<long long>(textLength), static_cast<long long>(bytes.size()));
        std::abort();
    }
    return 0;
}

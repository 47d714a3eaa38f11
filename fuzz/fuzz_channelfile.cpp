// Any bytes through the three channel file readers, then every getter of every channel read,
// and the list written back.

#include "channels/UChannel.h"
#include "channels/UChannelInfo.h"
#include "channels/UChannelRec.h"
#include "channels/UChannelUtils.h"
#include "channels/UChannels.h"
#include "platform/UOrvaneError.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace {

// Code pages the names may be read in: single-byte, multi-byte and UTF-8.
constexpr int CodePages[] = {1252, 1251, 932, 936, 949, 950, 65001, 874, 1258};
int g_codePage = 1252;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

void TouchEveryGetter(const TChannels& list) {
    const QString fileName = QStringLiteral("fuzz.dat");
    for (const auto& channel : list.Channels()) {
        const TChannel& c = *channel;
        QString text = c.AllInfo();
        text += c.Root();
        text += c.Category();
        text += c.Name();
        text += c.SmallName();
        text += c.FullName();
        text += c.Language();
        text += c.IPText();
        text += c.NidTidSidTuner();
        Check(c.RootBytes().size() <= 25 + 48, "root bytes stay in the record");
        Check(c.NameBytes().size() <= 25 + 48, "name bytes stay in the record");
        (void)c.FreeBytes();
        (void)c.EPGChannelID();
        // Every single property, every one at once, and the bits beyond the last property.
        const QString languages[] = {c.Language(), QString(), text.left(3)};
        for (const QString& lang : languages) {
            for (int bit = 0; bit < 64; ++bit)
                (void)c.HasAProperty(quint64(1) << bit, lang);
            (void)c.HasAProperty(AllPropertiesMask, lang);
            (void)c.HasAProperty(~quint64(0), lang);
        }
        (void)list.GetSubChannelCount(&c);
        (void)fileName;
    }
    (void)list.ID();
    (void)list.Version();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetNameCodePageProvider([] { return g_codePage; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray image(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // The last byte chooses the code page, so that every decoder meets every name.
    g_codePage = size > 0 ? CodePages[data[size - 1] % std::size(CodePages)] : 1252;
    const QString fileName = QStringLiteral("fuzz.dat");

    TChannels list;
    bool loaded = false;
    try {
        list.LoadFromBytes(image, fileName);
        loaded = true;
    } catch (const EOrvaneError&) {
    }
    if (loaded) {
        Check(image.size() >= qsizetype(sizeof(THeader)), "a loaded file holds a header");
        Check(list.ToBytes() == image, "a loaded list writes back the bytes it read");
    }
    TouchEveryGetter(list);

    const int before = list.Count();
    try {
        list.AppendFromBytes(image, fileName, size % 2 == 0);
    } catch (const EOrvaneError&) {
    }
    const int afterAppend = list.Count();
    Check(afterAppend >= before, "an append never removes channels");
    Check(qsizetype(afterAppend - before) * qsizetype(sizeof(TChannelRec)) <= image.size(),
          "an append adds no more records than the bytes hold");
    try {
        list.AddFromBytesAsDeleted(image, fileName);
    } catch (const EOrvaneError&) {
    }
    for (int i = afterAppend; i < list.Count(); ++i)
        Check(list.Channel(i)->State == csDeleted, "channels read as deleted are deleted");
    TouchEveryGetter(list);

    // The whole list goes back out; its header is the one the load read.
    const QByteArray out = list.ToBytes();
    Check(out.size() == qsizetype(sizeof(THeader)) + list.Count() * qsizetype(sizeof(TChannelRec)),
          "the image holds the header and every record");
    if (loaded)
        Check(out.left(image.size()) == image, "the loaded part comes back unchanged");
    return 0;
}

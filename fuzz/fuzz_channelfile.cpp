// Any bytes through the three channel file readers, then every getter of every channel read,
// and the list written back.

#include "channels/UChannel.h"
#include "channels/UChannelInfo.h"
#include "channels/UChannelRec.h"
#include "channels/UChannelUtils.h"
#include "channels/UChannels.h"
#include "platform/UOrvaneError.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

// Code pages the names may be read in: single-byte, multi-byte, UTF-8, the two this program
// converts alone (Latin-1, ASCII) and a stateful one (ISO-2022-JP).
constexpr int CodePages[] = {1252, 1251, 932, 936, 949, 950, 65001, 874, 1258, 28591, 20127, 50220};
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
        // A length byte above 25 is clamped to the field; only the channel name spans the
        // name field and the tails behind root and category (24 bytes each at most).
        Check(c.RootBytes().size() <= 25, "root bytes stay in the root field");
        Check(c.CategoryBytes().size() <= 25, "category bytes stay in the category field");
        Check(c.NameBytes().size() <= 25 + 24 + 24, "name bytes stay in the three fields");
        Check(c.Language().size() <= 3, "a language code has three letters at most");
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

QString ErrorOf(const std::function<void()>& read) {
    try {
        read();
    } catch (const EOrvaneError& e) {
        return e.ClassName() + QStringLiteral(": ") + e.Message();
    }
    return {};
}

// A file is read in pieces, the bytes of a file in one go: both must end the same, errors
// and the records kept before a short last one included.
void CompareFileReaderWithBytesReader(const QByteArray& image, int piece) {
    static QTemporaryDir scratch;
    Check(scratch.isValid(), "a scratch folder");
    const QString path = scratch.filePath(QStringLiteral("input.dat"));
    {
        QFile file(path);
        Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                  file.write(image) == image.size(),
              "the input reaches its file");
    }
    SetChannelFileReadPiece(piece);
    const auto compare = [&](const std::function<void(TChannels&)>& fromFile,
                             const std::function<void(TChannels&)>& fromBytes, const char* what) {
        TChannels a;
        TChannels b;
        const QString fileError = ErrorOf([&] { fromFile(a); });
        const QString bytesError = ErrorOf([&] { fromBytes(b); });
        // The messages name the file only when it cannot be opened or read at all.
        Check(fileError == bytesError, what);
        Check(a.Count() == b.Count() && a.ToBytes() == b.ToBytes(), what);
    };
    compare([&](TChannels& l) { l.LoadFromFile(path); },
            [&](TChannels& l) { l.LoadFromBytes(image, path); }, "load from file as from bytes");
    compare([&](TChannels& l) { l.AppendFromFile(path, true); },
            [&](TChannels& l) { l.AppendFromBytes(image, path, true); },
            "append from file as from bytes");
    compare([&](TChannels& l) { l.AddFromFileAsDeleted(path); },
            [&](TChannels& l) { l.AddFromBytesAsDeleted(image, path); },
            "deleted from file as from bytes");
    SetChannelFileReadPiece(0);
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
    // The first byte chooses how many records the file reader takes at a time.
    CompareFileReaderWithBytesReader(image, size > 0 ? 1 + data[0] % 7 : 1);

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

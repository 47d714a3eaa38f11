#include "platform/UCodePages.h"

#include "platform/UCodePageConverter.h"

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <unordered_map>

namespace {

// How a code page is converted: through the converter library by name, or by this file
// alone for the code pages that are one byte per character with a fixed table (Latin-1 and
// ASCII), which work even where the library has no converters at all.
enum class TConverterKind { None, Library, BuiltInTable };

// One encoder and decoder per code page, made once: opening a converter costs far more
// than converting a short name, and names are converted in loops over the whole list.
struct TConverters {
    TConverterKind Kind = TConverterKind::None;
    std::unique_ptr<TCodePageConverter> Converter;
    // Set when every byte stands for one character on its own, whatever follows it: then a
    // table lookup per byte decodes exactly as the converter does, many times faster.
    bool SingleByte = false;
    std::array<char16_t, 256> Table{};
    // For a built-in table: the characters below this one are their own byte.
    char16_t EncodableBelow = 0;
    // For a multi-byte code page: the last byte of the letter "A", which ends every encoding.
    std::optional<char> LetterA;

    bool Valid() const { return Kind != TConverterKind::None; }
};

constexpr int Latin1CodePage = 28591;
constexpr int AsciiCodePage = 20127;
constexpr int Utf8CodePage = 65001;

// Code pages whose bytes are not 8-bit text: Windows refuses them for names as well.
bool IsWideCodePage(int codePage) {
    return codePage == 1200 || codePage == 1201 || codePage == 12000 || codePage == 12001;
}

// Off only in tests that stand for a system whose Qt has no converter library; a change
// makes every thread's converters anew.
bool GLibraryAvailable = true;
std::atomic<int> GConvertersGeneration{0};

QString DecodeWithConverter(TConverters& c, QByteArrayView bytes) {
    return c.Converter->Decode(bytes);
}

// Fills the byte table and tells whether the code page is one byte per character: each byte
// alone gives one UTF-16 unit, and bytes in sequence, also after any byte that could lead a
// multi-byte character (followed by bytes that trail one in UTF-8 and in the Asian code
// pages), give the same units one by one.
bool MakeSingleByteTable(TConverters& c) {
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const QString one = DecodeWithConverter(c, QByteArrayView(&byte, 1));
        if (one.size() != 1)
            return false;
        c.Table[static_cast<size_t>(b)] = one[0].unicode();
    }
    QByteArray sequence;
    for (int b = 0; b < 256; ++b)
        sequence += static_cast<char>(b);
    for (int lead = 0x80; lead < 256; ++lead)
        for (const int trail : {0x30, 0x41, 0x81, 0xA1})
            sequence.append(static_cast<char>(lead)).append(static_cast<char>(trail));
    const QString whole = DecodeWithConverter(c, sequence);
    if (whole.size() != sequence.size())
        return false;
    for (qsizetype i = 0; i < sequence.size(); ++i)
        if (whole[i].unicode() != c.Table[static_cast<quint8>(sequence[i])])
            return false;
    return true;
}

// Latin-1 is every byte as the character of that number; ASCII is the lower half of it, and a
// byte of the upper half, which it does not define, reads as the replacement character.
void MakeBuiltInTable(TConverters& c, char16_t encodableBelow) {
    c.Kind = TConverterKind::BuiltInTable;
    c.SingleByte = true;
    c.EncodableBelow = encodableBelow;
    for (int b = 0; b < 256; ++b)
        c.Table[size_t(b)] =
            b < encodableBelow ? char16_t(b) : char16_t(QChar::ReplacementCharacter);
}

// Qt converts UTF-8 itself, whatever converter library the system has.
class TUtf8Converter : public TCodePageConverter {
public:
    QByteArray Encode(QStringView text) override { return text.toUtf8(); }
    QString Decode(QByteArrayView bytes) override { return QString::fromUtf8(bytes); }
};

std::unique_ptr<TConverters> MakeConverters(int codePage) {
    auto c = std::make_unique<TConverters>();
    if (codePage == Latin1CodePage) {
        MakeBuiltInTable(*c, 0x100);
        return c;
    }
    if (codePage == AsciiCodePage) {
        MakeBuiltInTable(*c, 0x80);
        return c;
    }
    if (codePage == Utf8CodePage) {
        c->Converter = std::make_unique<TUtf8Converter>();
    } else if (codePage > 0 && !IsWideCodePage(codePage) && GLibraryAvailable) {
        c->Converter = OpenLibraryConverter(codePage);
    }
    if (c->Converter) {
        c->Kind = TConverterKind::Library;
        c->SingleByte = MakeSingleByteTable(*c);
        if (!c->SingleByte) {
            const QByteArray letter = c->Converter->Encode(u"A");
            if (!letter.isEmpty())
                c->LetterA = letter.back();
        }
    }
    return c;
}

TConverters& ConvertersFor(int codePage) {
    thread_local std::unordered_map<int, std::unique_ptr<TConverters>> cache;
    thread_local int generation = 0;
    // Loops over the list ask for the same code page again and again.
    thread_local int lastCodePage = 0;
    thread_local TConverters* last = nullptr;
    if (generation != GConvertersGeneration.load()) {
        cache.clear();
        last = nullptr;
        generation = GConvertersGeneration.load();
    }
    if (last && codePage == lastCodePage)
        return *last;
    auto it = cache.find(codePage);
    if (it == cache.end())
        it = cache.emplace(codePage, MakeConverters(codePage)).first;
    lastCodePage = codePage;
    last = it->second.get();
    return *last;
}

// The code page itself, else the system's, else Windows' western page, and at the very last
// Latin-1, which needs nothing: a name never decodes to nothing.
TConverters& UsableConverters(int codePage) {
    for (const int candidate : {codePage, SystemAnsiCodePage(), 1252}) {
        TConverters& converters = ConvertersFor(candidate);
        if (converters.Valid())
            return converters;
    }
    return ConvertersFor(Latin1CodePage);
}

QByteArray EncodeBuiltIn(const TConverters& c, QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        // A character outside the BMP is one character: one "?".
        if (QChar::isHighSurrogate(unit) && i + 1 < size && text[i + 1].isLowSurrogate())
            ++i;
        bytes += unit < c.EncodableBelow ? static_cast<char>(unit) : '?';
    }
    return bytes;
}

QByteArray Encode(TConverters& c, QStringView text) {
    if (c.SingleByte)
        return c.Converter->Encode(text);
    // A stateful code page (ISO-2022, HZ, UTF-7) must end its bytes in its initial state, and
    // the encoder only returns there when more text follows: so an "A" follows, whose own
    // byte, the last one, is then taken off again. Any other code page just adds that byte.
    if (!c.LetterA)
        return c.Converter->Encode(text);
    QByteArray bytes = c.Converter->Encode(QString(text.toString() + u'A'));
    if (bytes.endsWith(*c.LetterA))
        bytes.chop(1);
    return bytes;
}

QString Decode(TConverters& c, QByteArrayView bytes) {
    if (!c.SingleByte)
        return DecodeWithConverter(c, bytes);
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(c.Table[static_cast<quint8>(byte)]);
    return text;
}

} // namespace

void SetCodePageLibraryAvailable(bool available) {
    GLibraryAvailable = available;
    ++GConvertersGeneration;
}

int AnsiCodePageForLocale(const QLocale& locale) {
    switch (locale.language()) {
    case QLocale::Russian:
    case QLocale::Ukrainian:
    case QLocale::Belarusian:
    case QLocale::Bulgarian:
    case QLocale::Macedonian:
    case QLocale::Kazakh:
    case QLocale::Kyrgyz:
    case QLocale::Tatar:
    case QLocale::Mongolian:
        return 1251;
    case QLocale::Serbian:
        return locale.script() == QLocale::LatinScript ? 1250 : 1251;
    case QLocale::Polish:
    case QLocale::Czech:
    case QLocale::Slovak:
    case QLocale::Hungarian:
    case QLocale::Slovenian:
    case QLocale::Croatian:
    case QLocale::Romanian:
    case QLocale::Albanian:
    case QLocale::Bosnian:
        return 1250;
    case QLocale::Greek:
        return 1253;
    case QLocale::Turkish:
    case QLocale::Azerbaijani:
    case QLocale::Uzbek:
        return 1254;
    case QLocale::Hebrew:
        return 1255;
    case QLocale::Arabic:
    case QLocale::Persian:
    case QLocale::Urdu:
        return 1256;
    case QLocale::Estonian:
    case QLocale::Latvian:
    case QLocale::Lithuanian:
        return 1257;
    case QLocale::Vietnamese:
        return 1258;
    case QLocale::Thai:
        return 874;
    case QLocale::Japanese:
        return 932;
    case QLocale::Korean:
        return 949;
    case QLocale::Chinese:
        switch (locale.territory()) {
        case QLocale::Taiwan:
        case QLocale::HongKong:
        case QLocale::Macao:
            return 950;
        default:
            return locale.script() == QLocale::TraditionalChineseScript ? 950 : 936;
        }
    default:
        return 1252;
    }
}

int SystemAnsiCodePage() {
    static const int codePage = [] {
        const int reported = SystemReportedAnsiCodePage();
        return reported > 0 ? reported : AnsiCodePageForLocale(QLocale::system());
    }();
    return codePage;
}

bool IsKnownCodePage(int codePage) {
    return ConvertersFor(codePage).Valid();
}

QByteArray EncodeToCodePage(QStringView text, int codePage) {
    if (text.isEmpty())
        return {};
    TConverters& c = UsableConverters(codePage);
    if (c.Kind == TConverterKind::BuiltInTable)
        return EncodeBuiltIn(c, text);
    // A conversion that reads back unchanged held every character. Otherwise each
    // character that does not survive on its own becomes one "?", as Windows replaces it;
    // the converter's own substitution bytes differ per code page and may take two bytes.
    QByteArray bytes = Encode(c, text);
    if (Decode(c, bytes) == text)
        return bytes;
    bytes.clear();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        qsizetype len = 1;
        if (text[i].isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate())
            len = 2;
        const QStringView one = text.mid(i, len);
        const QByteArray encoded = Encode(c, one);
        if (!encoded.isEmpty() && Decode(c, encoded) == one)
            bytes += encoded;
        else
            bytes += '?';
        i += len;
    }
    return bytes;
}

QString DecodeFromCodePage(QByteArrayView bytes, int codePage) {
    if (bytes.isEmpty())
        return {};
    return Decode(UsableConverters(codePage), bytes);
}

#include "platform/UCodePages.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <memory>
#include <unordered_map>

namespace {

// One encoder and decoder per code page, made once: opening a converter costs far more
// than converting a short name, and names are converted in loops over the whole list.
struct TConverters {
    bool Valid = false;
    QStringEncoder Encoder;
    QStringDecoder Decoder;
    // Set when every byte stands for one character on its own, whatever follows it: then a
    // table lookup per byte decodes exactly as the converter does, many times faster.
    bool SingleByte = false;
    std::array<char16_t, 256> Table{};
};

QString DecodeWithConverter(TConverters& c, QByteArrayView bytes) {
    c.Decoder.resetState();
    return c.Decoder.decode(bytes);
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

QByteArray ConverterName(int codePage) {
    if (codePage == 65001)
        return QByteArrayLiteral("UTF-8");
    return QByteArrayLiteral("windows-") + QByteArray::number(codePage);
}

// Code pages whose bytes are not 8-bit text: Windows refuses them for names as well.
bool IsWideCodePage(int codePage) {
    return codePage == 1200 || codePage == 1201 || codePage == 12000 || codePage == 12001;
}

TConverters& ConvertersFor(int codePage) {
    thread_local std::unordered_map<int, std::unique_ptr<TConverters>> cache;
    // Loops over the list ask for the same code page again and again.
    thread_local int lastCodePage = 0;
    thread_local TConverters* last = nullptr;
    if (last && codePage == lastCodePage)
        return *last;
    auto it = cache.find(codePage);
    if (it != cache.end()) {
        lastCodePage = codePage;
        last = it->second.get();
        return *last;
    }
    auto converters = std::make_unique<TConverters>();
    if (codePage > 0 && !IsWideCodePage(codePage)) {
        const QByteArray name = ConverterName(codePage);
        converters->Encoder = QStringEncoder(name.constData(), QStringConverter::Flag::Stateless);
        converters->Decoder = QStringDecoder(name.constData(), QStringConverter::Flag::Stateless);
        converters->Valid = converters->Encoder.isValid() && converters->Decoder.isValid();
        if (converters->Valid)
            converters->SingleByte = MakeSingleByteTable(*converters);
    }
    return *cache.emplace(codePage, std::move(converters)).first->second;
}

TConverters& UsableConverters(int codePage) {
    TConverters& converters = ConvertersFor(codePage);
    if (converters.Valid)
        return converters;
    TConverters& fallback = ConvertersFor(SystemAnsiCodePage());
    if (fallback.Valid)
        return fallback;
    return ConvertersFor(1252);
}

QByteArray Encode(TConverters& c, QStringView text) {
    c.Encoder.resetState();
    return c.Encoder.encode(text);
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
    static const int codePage = AnsiCodePageForLocale(QLocale::system());
    return codePage;
}

bool IsKnownCodePage(int codePage) {
    return ConvertersFor(codePage).Valid;
}

QByteArray EncodeToCodePage(QStringView text, int codePage) {
    if (text.isEmpty())
        return {};
    TConverters& c = UsableConverters(codePage);
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

#include "platform/UCodePages.h"

#include "common/TestSupport.h"

#include <QStringDecoder>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCodePages : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ansiCodePageFollowsLocale_data();
    void ansiCodePageFollowsLocale();
    void everyAnsiCodePageHasAConverter();
    void roundTrip_data();
    void roundTrip();
    void unmappableCharactersBecomeOneQuestionMarkEach_data();
    void unmappableCharactersBecomeOneQuestionMarkEach();
    void unknownCodePageFallsBackToSystemPage();
    void decodesEveryByteAndPairAsTheConverterDoes();
    void windowsCodePagesByNumber_data();
    void windowsCodePagesByNumber();
    void withoutAConverterLibraryNamesStillConvert();
    void cleanup() { SetCodePageLibraryAvailable(true); }
};

void TestCodePages::ansiCodePageFollowsLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("codePage");
    const QList<std::pair<const char*, int>> cases = {
        {"en_US", 1252}, {"de_DE", 1252},      {"ru_RU", 1251}, {"uk_UA", 1251}, {"pl_PL", 1250},
        {"cs_CZ", 1250}, {"hu_HU", 1250},      {"el_GR", 1253}, {"tr_TR", 1254}, {"he_IL", 1255},
        {"ar_EG", 1256}, {"lt_LT", 1257},      {"lv_LV", 1257}, {"et_EE", 1257}, {"vi_VN", 1258},
        {"th_TH", 874},  {"ja_JP", 932},       {"zh_CN", 936},  {"ko_KR", 949},  {"zh_TW", 950},
        {"sr_RS", 1251}, {"sr_Latn_RS", 1250}, {"C", 1252},
    };
    for (const auto& [name, codePage] : cases)
        QTest::newRow(name) << QString::fromLatin1(name) << codePage;
}

void TestCodePages::ansiCodePageFollowsLocale() {
    QFETCH(QString, locale);
    QFETCH(int, codePage);
    QCOMPARE(AnsiCodePageForLocale(QLocale(locale)), codePage);
}

void TestCodePages::everyAnsiCodePageHasAConverter() {
    for (int codePage :
         {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 65001})
        QVERIFY2(IsKnownCodePage(codePage), qPrintable(QString::number(codePage)));
    for (int codePage : {-1, 0, 1200, 4711})
        QVERIFY2(!IsKnownCodePage(codePage), qPrintable(QString::number(codePage)));
}

void TestCodePages::roundTrip_data() {
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("1252") << 1252 << u"Caf\u00E9 \u20AC"_s << QByteArray("Caf\xE9 \x80");
    QTest::newRow("1251") << 1251 << u"\u041F\u0435\u0440\u0432\u044B\u0439"_s
                          << QByteArray("\xCF\xE5\xF0\xE2\xFB\xE9");
    QTest::newRow("932") << 932 << u"NHK\u7DCF\u5408"_s << QByteArray("NHK\x91\x8D\x8D\x87");
    QTest::newRow("65001") << 65001 << u"\u00E9\u65E5"_s << QByteArray("\xC3\xA9\xE6\x97\xA5");
}

void TestCodePages::roundTrip() {
    QFETCH(int, codePage);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(EncodeToCodePage(text, codePage), bytes);
    QCOMPARE(DecodeFromCodePage(bytes, codePage), text);
}

void TestCodePages::unmappableCharactersBecomeOneQuestionMarkEach_data() {
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("1252 cyrillic") << 1252 << u"a\u0416b\u65E5"_s << QByteArray("a?b?");
    QTest::newRow("1252 outside the BMP") << 1252 << u"x\U0001F600y"_s << QByteArray("x?y");
    QTest::newRow("932 euro") << 932 << u"\u20AC\u65E5"_s << QByteArray("?\x93\xFA");
    QTest::newRow("936 euro") << 936 << u"\u0416\u20AC"_s << QByteArray("\xA7\xA8\x80");
    QTest::newRow("1251 kanji") << 1251 << u"\u65E5\u0416"_s << QByteArray("?\xC6");
    QTest::newRow("28591 cyrillic") << 28591 << u"a\u0416\u00FF"_s << QByteArray("a?\xFF");
    QTest::newRow("20127 accents") << 20127 << u"\u00E9t\u00E9\U0001F600"_s << QByteArray("?t??");
    QTest::newRow("20866 euro") << 20866 << u"\u20AC\u0416"_s << QByteArray("?\xF6");
}

void TestCodePages::unmappableCharactersBecomeOneQuestionMarkEach() {
    QFETCH(int, codePage);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(EncodeToCodePage(text, codePage), bytes);
}

void TestCodePages::unknownCodePageFallsBackToSystemPage() {
    const QString text = u"Das Erste"_s;
    for (int codePage : {-1, 0, 4711}) {
        QCOMPARE(EncodeToCodePage(text, codePage), EncodeToCodePage(text, SystemAnsiCodePage()));
        QCOMPARE(DecodeFromCodePage("ZDF", codePage), u"ZDF"_s);
    }
}

// Single-byte code pages decode through a byte table; it must agree with the converter
// byte for byte, and a multi-byte code page must never be taken for a single-byte one.
void TestCodePages::decodesEveryByteAndPairAsTheConverterDoes() {
#ifdef Q_OS_WIN
    QSKIP("Compares with Qt's converter library, which Qt has not on Windows: there the system "
          "converts, and the byte tables of the other cases check it");
#endif
    QByteArray bytes;
    for (int b = 1; b < 256; ++b)
        bytes += static_cast<char>(b);
    for (int lead = 0x80; lead < 256; ++lead)
        for (int trail = 0x30; trail < 256; trail += 7)
            bytes.append(static_cast<char>(lead)).append(static_cast<char>(trail));
    for (int codePage :
         {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 65001}) {
        const QByteArray name =
            codePage == 65001 ? QByteArray("UTF-8") : "windows-" + QByteArray::number(codePage);
        QStringDecoder converter(name.constData(), QStringConverter::Flag::Stateless);
        QVERIFY(converter.isValid());
        const QString expected = converter.decode(bytes);
        QVERIFY2(DecodeFromCodePage(bytes, codePage) == expected,
                 qPrintable(QString::number(codePage)));
        // Short names, decoded one by one, as the list does.
        for (qsizetype at = 0; at + 5 <= bytes.size(); at += 97) {
            converter.resetState();
            QCOMPARE(DecodeFromCodePage(bytes.mid(at, 5), codePage),
                     converter.decode(bytes.mid(at, 5)));
        }
    }
}

// Code pages Windows has beyond the ANSI ones, each known here by its Windows number,
// against byte and character pairs from the code pages' own tables.
void TestCodePages::windowsCodePagesByNumber_data() {
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("encodesBack"); // else only the decoding is known here
    QTest::newRow("28591 ISO 8859-1")
        << 28591 << QByteArray("\xE9\xFF\x80\xA4") << u"\u00E9\u00FF\u0080\u00A4"_s << true;
    QTest::newRow("28592 ISO 8859-2")
        << 28592 << QByteArray("\xA1\xB1") << u"\u0104\u0105"_s << true;
    QTest::newRow("28595 ISO 8859-5")
        << 28595 << QByteArray("\xB0\xD0") << u"\u0410\u0430"_s << true;
    QTest::newRow("28597 ISO 8859-7") << 28597 << QByteArray("\xC1") << u"\u0391"_s << true;
    QTest::newRow("28599 ISO 8859-9") << 28599 << QByteArray("\xD0") << u"\u011E"_s << true;
    QTest::newRow("28603 ISO 8859-13") << 28603 << QByteArray("\xC0") << u"\u0104"_s << true;
    QTest::newRow("28605 ISO 8859-15") << 28605 << QByteArray("\xA4") << u"\u20AC"_s << true;
    QTest::newRow("38598 ISO 8859-8 logical") << 38598 << QByteArray("\xE0") << u"\u05D0"_s << true;
    QTest::newRow("20866 KOI8-R") << 20866 << QByteArray("\xC1\xE1") << u"\u0430\u0410"_s << true;
    QTest::newRow("21866 KOI8-U") << 21866 << QByteArray("\xA4") << u"\u0454"_s << true;
    QTest::newRow("20127 US-ASCII") << 20127 << QByteArray("ZDF 1") << u"ZDF 1"_s << true;
    QTest::newRow("20127 upper half") << 20127 << QByteArray("A\xE9") << u"A\uFFFD"_s << false;
    QTest::newRow("51932 EUC Japanese") << 51932 << QByteArray("\xB0\xA1") << u"\u4E9C"_s << true;
    QTest::newRow("20932 JIS X 0208") << 20932 << QByteArray("\xB0\xA1") << u"\u4E9C"_s << true;
    QTest::newRow("50220 ISO-2022-JP")
        << 50220 << QByteArray("\x1B$B\x30\x21\x1B(B") << u"\u4E9C"_s << true;
    QTest::newRow("50221 ISO-2022-JP kana")
        << 50221 << QByteArray("\x1B(I\x31\x1B(BZ") << u"\uFF71Z"_s << false;
    QTest::newRow("50221 ISO-2022-JP kanji")
        << 50221 << QByteArray("\x1B$B\x30\x21\x1B(BZ") << u"\u4E9CZ"_s << true;
    QTest::newRow("50222 ISO-2022-JP SO/SI")
        << 50222 << QByteArray("\x0E\x31\x0FZ") << u"\uFF71Z"_s << false;
    QTest::newRow("50225 ISO-2022-KR")
        << 50225 << QByteArray("\x1B$)C\x0E\x30\x21\x0F") << u"\uAC00"_s << true;
    QTest::newRow("51936 EUC Chinese") << 51936 << QByteArray("\xB0\xA1") << u"\u554A"_s << true;
    QTest::newRow("52936 HZ") << 52936 << QByteArray("~{\x30\x21~}") << u"\u554A"_s << true;
    QTest::newRow("37 EBCDIC") << 37 << QByteArray("\xC1\x81\xF1") << u"Aa1"_s << true;
    QTest::newRow("708 ASMO") << 708 << QByteArray("\xC7") << u"\u0627"_s << true;
    QTest::newRow("865 Nordic DOS") << 865 << QByteArray("\x9B\x9D") << u"\u00F8\u00D8"_s << true;
    QTest::newRow("866 Russian DOS") << 866 << QByteArray("\x80\xA0") << u"\u0410\u0430"_s << true;
    QTest::newRow("10007 Mac Cyrillic") << 10007 << QByteArray("\x80") << u"\u0410"_s << true;
    QTest::newRow("65000 UTF-7") << 65000 << QByteArray("+ZeVnLIqe-") << u"\u65E5\u672C\u8A9E"_s
                                 << true;
}

void TestCodePages::windowsCodePagesByNumber() {
    QFETCH(int, codePage);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, encodesBack);
    if (RunningUnderWine() && !IsKnownCodePage(codePage))
        QSKIP(qPrintable(QStringLiteral("Wine has no code page %1; Windows has it").arg(codePage)));
    QVERIFY(IsKnownCodePage(codePage));
    QCOMPARE(DecodeFromCodePage(bytes, codePage), text);
    if (encodesBack)
        QCOMPARE(EncodeToCodePage(text, codePage), bytes);
}

// Where Qt has no converter library (as a Windows build without ICU), the pages Qt or this
// program convert alone still work exactly, and every other number falls back to Latin-1:
// never to empty text, and still one "?" per character that does not fit.
void TestCodePages::withoutAConverterLibraryNamesStillConvert() {
    QVERIFY(IsKnownCodePage(1251));
    SetCodePageLibraryAvailable(false);
    for (int codePage : {1251, 1252, 932, 28592, 4711, -1}) {
        QVERIFY2(!IsKnownCodePage(codePage), qPrintable(QString::number(codePage)));
        QCOMPARE(DecodeFromCodePage("\xCF\xE5 ZDF", codePage), u"\u00CF\u00E5 ZDF"_s);
        QCOMPARE(EncodeToCodePage(u"Caf\u00E9 \u0416\U0001F600"_s, codePage),
                 QByteArray("Caf\xE9 ??"));
    }
    QVERIFY(IsKnownCodePage(28591));
    QCOMPARE(DecodeFromCodePage("\xE9", 28591), u"\u00E9"_s);
    QVERIFY(IsKnownCodePage(20127));
    QCOMPARE(EncodeToCodePage(u"ARD \u00E9"_s, 20127), QByteArray("ARD ?"));
    QVERIFY(IsKnownCodePage(65001));
    QCOMPARE(DecodeFromCodePage("\xC3\xA9\xE6\x97\xA5", 65001), u"\u00E9\u65E5"_s);
    QCOMPARE(EncodeToCodePage(u"\u00E9\u65E5"_s, 65001), QByteArray("\xC3\xA9\xE6\x97\xA5"));

    // The library back: the converters are made anew.
    SetCodePageLibraryAvailable(true);
    QCOMPARE(DecodeFromCodePage("\xCF\xE5", 1251), u"\u041F\u0435"_s);
}

QTEST_GUILESS_MAIN(TestCodePages)
#include "tst_codepages.moc"

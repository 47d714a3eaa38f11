#include "platform/UCodePages.h"

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

QTEST_GUILESS_MAIN(TestCodePages)
#include "tst_codepages.moc"

#include "help/URtfReader.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// One item per run, "text" or "text:flags" (B bold, I italic, U underline, sN size in half
// points, #rrggbb colour), "|" between runs and "/" between paragraphs.
QString Describe(const TRtfDocument& doc) {
    QStringList paragraphs;
    for (const TRtfParagraph& paragraph : doc.Paragraphs) {
        QStringList runs;
        for (const TRtfRun& run : paragraph.Runs) {
            QString flags;
            if (run.Bold)
                flags += u'B';
            if (run.Italic)
                flags += u'I';
            if (run.Underline)
                flags += u'U';
            if (run.FontSizeHalfPoints)
                flags += QStringLiteral("s%1").arg(run.FontSizeHalfPoints);
            if (run.HasColor)
                flags += QStringLiteral("#%1").arg(run.Color, 6, 16, QLatin1Char('0'));
            runs << (flags.isEmpty() ? run.Text : run.Text + u':' + flags);
        }
        paragraphs << runs.join(u'|');
    }
    return paragraphs.join(u'/');
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void plainText_data();
    void plainText();
    void runFormats_data();
    void runFormats();
    void paragraphFormats();
    void deepNestingCostsNoStack();
    void damagedInputNeverRunsAway();
    void recognisesRtf();
};

void TestRtfReader::plainText_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");

    // Text and the control words that make characters.
    QTest::newRow("simple") << QByteArray("{\\rtf1\\ansi Hello}") << u"Hello"_s;
    QTest::newRow("delimiting space is consumed")
        << QByteArray("{\\rtf1 \\b bold\\b0  x}") << u"bold x"_s;
    QTest::newRow("par line tab") << QByteArray("{\\rtf1 a\\par b\\line c\\tab d}")
                                  << u"a\nb\u2028c\td"_s;
    QTest::newRow("source line breaks are not text")
        << QByteArray("{\\rtf1 a\r\nb\nc}") << u"abc"_s;
    QTest::newRow("escaped braces and backslash")
        << QByteArray("{\\rtf1 \\{x\\}\\\\}") << u"{x}\\"_s;
    QTest::newRow("symbols") << QByteArray("{\\rtf1 a\\~b\\_c\\-d\\emdash\\bullet\\ldblquote}")
                             << u"a\u00A0b\u2011cd\u2014\u2022\u201C"_s;
    QTest::newRow("text after the document is ignored") << QByteArray("{\\rtf1 a}b") << u"a"_s;
    QTest::newRow("empty") << QByteArray() << QString();

    // Code pages.
    QTest::newRow("hex escape in 1252")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1252 caf\\'e9}") << u"caf\u00E9"_s;
    QTest::newRow("1252 is the default") << QByteArray("{\\rtf1 \\'80}") << u"\u20AC"_s;
    QTest::newRow("hex escape in 1251")
        << QByteArray("{\\rtf1\\ansicpg1251 \\'c0\\'c1}") << u"\u0410\u0411"_s;
    QTest::newRow("double-byte character over two escapes")
        << QByteArray("{\\rtf1\\ansicpg932 \\'82\\'a0}") << u"\u3042"_s;
    QTest::newRow("raw 8-bit text uses the code page")
        << QByteArray("{\\rtf1\\ansicpg1251 \xc0}") << u"\u0410"_s;
    QTest::newRow("unknown code page falls back to 1252")
        << QByteArray("{\\rtf1\\ansicpg99999 \\'e9}") << u"\u00E9"_s;

    // Unicode escapes and their fallback characters.
    QTest::newRow("unicode skips one fallback") << QByteArray("{\\rtf1 \\u8226?x}") << u"\u2022x"_s;
    QTest::newRow("uc2 skips two escapes")
        << QByteArray("{\\rtf1\\uc2 \\u8226\\'95\\'95x}") << u"\u2022x"_s;
    QTest::newRow("uc0 skips nothing") << QByteArray("{\\rtf1\\uc0 \\u8226 x}") << u"\u2022x"_s;
    QTest::newRow("skipping stops at a group end")
        << QByteArray("{\\rtf1\\uc3 {\\u8226}x}") << u"\u2022x"_s;
    QTest::newRow("uc is scoped to its group")
        << QByteArray("{\\rtf1 {\\uc0 \\u65 }\\u66?}") << u"AB"_s;
    QTest::newRow("negative values make a surrogate pair")
        << QByteArray("{\\rtf1 \\u-10179?\\u-8704?}") << u"\U0001F600"_s;
    QTest::newRow("lone surrogate is replaced")
        << QByteArray("{\\rtf1 \\u55357?x}") << u"\uFFFDx"_s;

    // Destinations that are not text.
    QTest::newRow("font table") << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}text}")
                                << u"text"_s;
    QTest::newRow("stylesheet and info")
        << QByteArray("{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}body}")
        << u"body"_s;
    QTest::newRow("ignorable destinations")
        << QByteArray("{\\rtf1{\\*\\generator Foo;}{\\*\\unknownthing x\\'41}a}") << u"a"_s;
    QTest::newRow("paragraph inside a header makes no paragraph")
        << QByteArray("{\\rtf1{\\header h\\par}a}") << u"a"_s;
    QTest::newRow("field result is kept")
        << QByteArray("{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}}")
        << u"link"_s;
    QTest::newRow("binary data is read over") << QByteArray("{\\rtf1 a\\bin3 }{\\ b}") << u"a b"_s;
    QTest::newRow("unknown control words are ignored")
        << QByteArray("{\\rtf1 a\\foo123 b\\bar c}") << u"abc"_s;

    // Damaged input.
    QTest::newRow("missing closing braces") << QByteArray("{\\rtf1 {\\b a") << u"a"_s;
    QTest::newRow("stray closing braces first") << QByteArray("}}{\\rtf1 a}}}") << u"a"_s;
    QTest::newRow("truncated hex escape") << QByteArray("{\\rtf1 a\\'e") << u"a"_s;
    QTest::newRow("hex escape at the end") << QByteArray("{\\rtf1 a\\'") << u"a"_s;
    QTest::newRow("backslash at the end") << QByteArray("{\\rtf1 a\\") << u"a"_s;
    QTest::newRow("hex escape without digits") << QByteArray("{\\rtf1 \\'zz}") << u"zz"_s;
    QTest::newRow("huge parameters are clamped")
        << QByteArray("{\\rtf1\\fs99999999999999999999 a\\u99999999999?b\\u-99999999999?}")
        << u"a\uFFFDb\uFFFD"_s;
    QTest::newRow("huge uc does not swallow the page")
        << QByteArray("{\\rtf1\\uc999999 \\u65 abcdefghijklmnopqrstuvwxyz}") << u"Aqrstuvwxyz"_s;
    QTest::newRow("huge bin stops at the end")
        << QByteArray("{\\rtf1 a\\bin999999999999 xyz}") << u"a"_s;
    QTest::newRow("overlong control word")
        << QByteArray("{\\rtf1 a\\") + QByteArray(5000, 'b') + QByteArray(" c}") << u"ac"_s;
    QTest::newRow("not rtf at all") << QByteArray("plain words") << u"plain words"_s;
}

void TestRtfReader::plainText() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(ParseRtf(rtf).PlainText(), text);
}

void TestRtfReader::runFormats_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("runs");

    QTest::newRow("groups scope bold italic underline")
        << QByteArray("{\\rtf1 n{\\b b}{\\i i}{\\ul u}n}") << u"n|b:B|i:I|u:U|n"_s;
    QTest::newRow("zero forms switch off")
        << QByteArray("{\\rtf1\\b\\i\\ul a\\b0 b\\i0 c\\ul0 d}") << u"a:BIU|b:IU|c:U|d"_s;
    QTest::newRow("ulnone and plain")
        << QByteArray("{\\rtf1\\b\\ul a\\ulnone b\\plain c}") << u"a:BU|b:B|c"_s;
    QTest::newRow("equal formats merge into one run")
        << QByteArray("{\\rtf1 a{\\b0 b}c}") << u"abc"_s;
    QTest::newRow("colour table")
        << QByteArray("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                      "a\\cf1 b\\cf2 c\\cf0 d}")
        << u"a|b:#ff0000|c:#0000ff|d"_s;
    QTest::newRow("colour index beyond the table")
        << QByteArray("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf9 x}") << u"x"_s;
    QTest::newRow("colour table without automatic entry")
        << QByteArray("{\\rtf1{\\colortbl\\red0\\green128\\blue0;}\\cf0 x}") << u"x:#008000"_s;
    QTest::newRow("colour components are clamped")
        << QByteArray("{\\rtf1{\\colortbl;\\red999\\green-5\\blue16;}\\cf1 x}") << u"x:#ff0010"_s;
    QTest::newRow("font size") << QByteArray("{\\rtf1 a\\fs32 b{\\fs16 c}d}")
                               << u"a|b:s32|c:s16|d:s32"_s;
    QTest::newRow("format spans paragraphs")
        << QByteArray("{\\rtf1\\b a\\par b\\b0\\par c}") << u"a:B/b:B/c"_s;
    QTest::newRow("empty paragraphs stay, the last one does not")
        << QByteArray("{\\rtf1 a\\par\\par b\\par}") << u"a//b"_s;
}

void TestRtfReader::runFormats() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, runs);
    QCOMPARE(Describe(ParseRtf(rtf)), runs);
}

void TestRtfReader::paragraphFormats() {
    const TRtfDocument doc =
        ParseRtf("{\\rtf1\\qc Title\\par\\pard\\li360\\fi-180\\sb60\\sa120\\tx360\\tx2000 "
                 "Item\\par\\pard\\qr R\\par J\\qj\\par}");
    QCOMPARE(doc.Paragraphs.size(), size_t(4));
    QCOMPARE(doc.Paragraphs[0].Alignment, TRtfAlignment::raCenter);
    QCOMPARE(doc.Paragraphs[1].Alignment, TRtfAlignment::raLeft);
    QCOMPARE(doc.Paragraphs[1].LeftIndentTwips, 360);
    QCOMPARE(doc.Paragraphs[1].FirstLineIndentTwips, -180);
    QCOMPARE(doc.Paragraphs[1].SpaceBeforeTwips, 60);
    QCOMPARE(doc.Paragraphs[1].SpaceAfterTwips, 120);
    QCOMPARE(doc.Paragraphs[1].TabStopsTwips, (std::vector<int>{360, 2000}));
    QCOMPARE(doc.Paragraphs[2].Alignment, TRtfAlignment::raRight);
    QCOMPARE(doc.Paragraphs[2].LeftIndentTwips, 0);
    QVERIFY(doc.Paragraphs[2].TabStopsTwips.empty());
    // A paragraph takes the properties in force at its end.
    QCOMPARE(doc.Paragraphs[3].Alignment, TRtfAlignment::raJustify);
}

void TestRtfReader::deepNestingCostsNoStack() {
    const int depth = 200000;
    const QByteArray rtf =
        "{\\rtf1 a" + QByteArray(depth, '{') + "\\b x" + QByteArray(depth, '}') + "y}";
    QCOMPARE(Describe(ParseRtf(rtf)), u"a|x:B|y"_s);
}

void TestRtfReader::damagedInputNeverRunsAway() {
    const QByteArray sample =
        "{\\rtf1\\ansi\\ansicpg1252\\uc1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0"
        "\\blue255;}{\\*\\generator x;}\\pard\\qc\\b\\fs28 Title\\par\\pard\\b0\\fs20 Some "
        "\\cf1 blue\\cf0 , caf\\'e9, \\u8226? item\\tab tab\\line {\\i italic}\\par"
        "{\\field{\\*\\fldinst HYPERLINK}{\\fldrslt link}}\\bin2 ab\\'82\\'a0}";
    // Every prefix: a file cut off anywhere.
    for (qsizetype length = 0; length <= sample.size(); ++length) {
        const QByteArray prefix = sample.left(length);
        // Every character of the text costs at least one byte of input.
        QVERIFY2(ParseRtf(prefix).PlainText().size() <= length, prefix.constData());
    }
    QVERIFY(ParseRtf(sample).PlainText().startsWith(u"Title\nSome blue, caf\u00E9"_s));

    // Random damage: bytes replaced by the characters that matter most to the reader.
    const char interesting[] = {'{', '}', '\\', '\'', '*', '-', '9', 'u', ' ', '\0', '\xff'};
    QRandomGenerator random(20240601);
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = sample;
        const int changes = 1 + random.bounded(8);
        for (int i = 0; i < changes; ++i) {
            const qsizetype at = random.bounded(damaged.size());
            damaged[at] = random.bounded(2) ? interesting[random.bounded(int(sizeof interesting))]
                                            : char(random.bounded(256));
        }
        QVERIFY2(ParseRtf(damaged).PlainText().size() <= damaged.size(),
                 damaged.toPercentEncoding().constData());
    }
}

void TestRtfReader::recognisesRtf() {
    QVERIFY(LooksLikeRtf("{\\rtf1\\ansi x}"));
    QVERIFY(LooksLikeRtf("\r\n  {\\rtf1 x}"));
    QVERIFY(!LooksLikeRtf("{\\rt"));
    QVERIFY(!LooksLikeRtf("Plain text"));
    QVERIFY(!LooksLikeRtf(QByteArray()));
}

QTEST_GUILESS_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"

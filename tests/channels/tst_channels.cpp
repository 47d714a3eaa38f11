#include "channels/UChannel.h"
#include "channels/UChannelUtils.h"
#include "common/ChannelFixture.h"
#include "platform/UOrvaneError.h"

#include <QBuffer>
#include <QTest>

#include <cstring>
#include <functional>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TChannelRec)

namespace {

QByteArray Bytes(int count, char first = 'a') {
    // Letters only, so that every byte is one character in every code page under test.
    const char base = first >= 'a' ? 'a' : 'A';
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += char(base + (first - base + i) % 26);
    return bytes;
}

QString Text(const QByteArray& ascii) {
    return QString::fromLatin1(ascii);
}

QByteArray FieldBytes(const ShortString25& field) {
    return QByteArray(reinterpret_cast<const char*>(&field), sizeof field);
}

// Runs f and returns "ClassName: Message" of the error it raises, or "" when none.
QString ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EOrvaneError& e) {
        return e.ClassName() + u": "_s + e.Message();
    }
    return {};
}

} // namespace

class TestChannel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void recordFieldsSitAtTheirOffsets();

    void setNamePacksLikeTheFile_data();
    void setNamePacksLikeTheFile();
    void thirtyByteNameFillsRootTail();
    void nameOfTwentyFiveBytesHasNoTails();
    void rootOfTwentyFourBytesSendsOverflowToCategory();
    void refusedNamesLeaveRecordUnchanged_data();
    void refusedNamesLeaveRecordUnchanged();
    void changingRootRepacksOverflow();
    void doubleBytePageCountsBytes();
    void unmappableCharactersCountAsOneByte();
    void damagedLengthAndCountBytesStayInsideTheirFields();
    void unknownCodePageFallsBackToSystemPage();

    void flagZeroIsMainRadioFreeAutoUpdate();
    void flagSettersTouchOnlyTheirBit();
    void epgChannelId_data();
    void epgChannelId();
    void isDuplicate_data();
    void isDuplicate();
    void textProperties();
    void separatorsComeFromTheirProviders();
    void streamReadAndWrite();
};

void TestChannel::init() {
    SetNameCodePageProvider([] { return 1252; });
}

void TestChannel::cleanup() {
    SetNameCodePageProvider({});
    SetChannelSeparatorProvider({});
    SetRootSeparatorProvider({});
}

void TestChannel::recordFieldsSitAtTheirOffsets() {
    // Each field gets a marker whose little-endian bytes must appear at its offset.
    struct TField {
        const char* Name;
        std::function<void(TChannelRec&)> Set;
        int Offset;
        QByteArray Expected;
    };
    const QList<TField> fields = {
        {"TunerType", [](TChannelRec& r) { r.TunerData.TunerType = 0xA1; }, 0, "\xA1"},
        {"ChannelGroup", [](TChannelRec& r) { r.TunerData.ChannelGroup = 0xA2; }, 1, "\xA2"},
        {"SatModulationSystem", [](TChannelRec& r) { r.TunerData.SatModulationSystem = 0xA3; }, 2,
         "\xA3"},
        {"Flags", [](TChannelRec& r) { r.TunerData.Flags = 0xA4; }, 3, "\xA4"},
        {"Frequency", [](TChannelRec& r) { r.TunerData.Frequency = 0x11223344; }, 4,
         "\x44\x33\x22\x11"},
        {"Symbolrate", [](TChannelRec& r) { r.TunerData.Symbolrate = 0x55667788; }, 8,
         "\x88\x77\x66\x55"},
        {"LNB_LOF", [](TChannelRec& r) { r.TunerData.LNB_LOF = 0x99AA; }, 12, "\xAA\x99"},
        {"PMT_PID", [](TChannelRec& r) { r.TunerData.PMT_PID = 0xBBCC; }, 14, "\xCC\xBB"},
        {"Volume", [](TChannelRec& r) { r.TunerData.Volume = 0xA5; }, 16, "\xA5"},
        {"Reserved1", [](TChannelRec& r) { r.TunerData.Reserved1 = 0xA6; }, 17, "\xA6"},
        {"SatModulation", [](TChannelRec& r) { r.TunerData.SatModulation = 0xA7; }, 18, "\xA7"},
        {"AVFormat", [](TChannelRec& r) { r.TunerData.AVFormat = 0xA8; }, 19, "\xA8"},
        {"FEC", [](TChannelRec& r) { r.TunerData.FEC = 0xA9; }, 20, "\xA9"},
        {"AudioChannel", [](TChannelRec& r) { r.TunerData.AudioChannel = 0xAA; }, 21, "\xAA"},
        {"Reserved3", [](TChannelRec& r) { r.TunerData.Reserved3 = 0xDDEE; }, 22, "\xEE\xDD"},
        {"Polarity", [](TChannelRec& r) { r.TunerData.Polarity = 0xAB; }, 24, "\xAB"},
        {"Reserved4", [](TChannelRec& r) { r.TunerData.Reserved4 = 0xAC; }, 25, "\xAC"},
        {"OrbitalPos", [](TChannelRec& r) { r.TunerData.OrbitalPos = 0x0102; }, 26, "\x02\x01"},
        {"Tone", [](TChannelRec& r) { r.TunerData.Tone = 0xAD; }, 28, "\xAD"},
        {"EPGFlags", [](TChannelRec& r) { r.TunerData.EPGFlags = 0xAE; }, 29, "\xAE"},
        {"DiSEqCExt", [](TChannelRec& r) { r.TunerData.DiSEqCExt = 0x0304; }, 30, "\x04\x03"},
        {"DiSEqC", [](TChannelRec& r) { r.TunerData.DiSEqC = 0xAF; }, 32, "\xAF"},
        {"Language", [](TChannelRec& r) { std::memcpy(r.TunerData.Language, "deu", 3); }, 33,
         "deu"},
        {"Audio_PID", [](TChannelRec& r) { r.TunerData.Audio_PID = 0x0506; }, 36, "\x06\x05"},
        {"Substream", [](TChannelRec& r) { r.TunerData.Substream = 0x0708; }, 38, "\x08\x07"},
        {"Video_PID", [](TChannelRec& r) { r.TunerData.Video_PID = 0x090A; }, 40, "\x0A\x09"},
        {"TransportStream_ID", [](TChannelRec& r) { r.TunerData.TransportStream_ID = 0x0B0C; }, 42,
         "\x0C\x0B"},
        {"Teletext_PID", [](TChannelRec& r) { r.TunerData.Teletext_PID = 0x0D0E; }, 44, "\x0E\x0D"},
        {"OriginalNetwork_ID", [](TChannelRec& r) { r.TunerData.OriginalNetwork_ID = 0x0F10; }, 46,
         "\x10\x0F"},
        {"Service_ID", [](TChannelRec& r) { r.TunerData.Service_ID = 0x1112; }, 48, "\x12\x11"},
        {"PCR_PID", [](TChannelRec& r) { r.TunerData.PCR_PID = 0x1314; }, 50, "\x14\x13"},
        {"Root", [](TChannelRec& r) { r.Root.Len = 0xB1; }, 52, "\xB1"},
        {"ChannelName", [](TChannelRec& r) { r.ChannelName.Len = 0xB2; }, 78, "\xB2"},
        {"Category", [](TChannelRec& r) { r.Category.Len = 0xB3; }, 104, "\xB3"},
        {"Category end", [](TChannelRec& r) { r.Category.Chars[24] = 0xB4; }, 129, "\xB4"},
        {"Encrypted", [](TChannelRec& r) { r.Encrypted = 0xB5; }, 130, "\xB5"},
        {"Reserved10", [](TChannelRec& r) { r.Reserved10 = 0xB6; }, 131, "\xB6"},
    };
    for (const TField& field : fields) {
        TChannel channel;
        field.Set(channel.Rec);
        const QByteArray bytes = channel.ToBytes();
        QCOMPARE(bytes.size(), 132);
        QVERIFY2(bytes.mid(field.Offset, field.Expected.size()) == field.Expected, field.Name);
        // Nothing else moved.
        QByteArray rest = bytes;
        rest.replace(field.Offset, field.Expected.size(), QByteArray(field.Expected.size(), 0));
        QVERIFY2(rest == QByteArray(132, 0), field.Name);
    }
}

void TestChannel::setNamePacksLikeTheFile_data() {
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("accepted");
    for (int r : {0, 3, 23, 24, 25}) {
        for (int c : {0, 5, 24, 25}) {
            const int rr = r == 24 ? 25 : r;
            const int cc = c == 24 ? 25 : c;
            const int limit = 73 - rr - cc;
            for (int n : {0, 1, 25, 26, limit, limit + 1, 73, 74}) {
                if (n < 0)
                    continue;
                QTest::addRow("r%d c%d n%d", r, c, n) << r << c << n << (n <= limit);
            }
        }
    }
}

void TestChannel::setNamePacksLikeTheFile() {
    QFETCH(int, r);
    QFETCH(int, c);
    QFETCH(int, n);
    QFETCH(bool, accepted);
    const QByteArray root = Bytes(r, 'A');
    const QByteArray category = Bytes(c, 'a');
    const QByteArray name = Bytes(n, 'k');

    auto channel = TChannelRecBuilder().RootBytes(root).CategoryBytes(category).Channel();
    const TChannelRec before = channel->Rec;
    const QString error = ErrorOf([&] { channel->SetName(Text(name)); });
    if (!accepted) {
        QCOMPARE(error, u"EChannelException: Channel name: "_s + Text(name) + u" is too long"_s);
        QVERIFY(std::memcmp(&before, &channel->Rec, sizeof before) == 0);
        return;
    }
    QCOMPARE(error, QString());
    const TChannelRec expected =
        TChannelRecBuilder().RootBytes(root).CategoryBytes(category).NameBytes(name);
    QCOMPARE(FieldBytes(channel->Rec.Root), FieldBytes(expected.Root));
    QCOMPARE(FieldBytes(channel->Rec.ChannelName), FieldBytes(expected.ChannelName));
    QCOMPARE(FieldBytes(channel->Rec.Category), FieldBytes(expected.Category));
    QCOMPARE(channel->Name(), Text(name));
    QCOMPARE(channel->Root(), Text(root));
    QCOMPARE(channel->Category(), Text(category));
    QCOMPARE(channel->FreeBytes(), FreeNameBytes(Text(root), Text(category), Text(name)));
    QVERIFY(channel->FreeBytes() >= 0);
}

void TestChannel::thirtyByteNameFillsRootTail() {
    auto channel = TChannelRecBuilder().RootBytes("Sat").CategoryBytes("News").Channel();
    const QByteArray name = Bytes(30, 'a');
    channel->SetName(Text(name));
    const TChannelRec& rec = channel->Rec;
    QCOMPARE(int(rec.ChannelName.Len), 25);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(rec.ChannelName.Chars), 25), name.left(25));
    QCOMPARE(int(rec.Root.Len), 3);
    QCOMPARE(int(rec.Root.Chars[3]), 5); // string position 4
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(rec.Root.Chars + 4), 5), name.mid(25));
    QCOMPARE(FieldBytes(rec.Category),
             FieldBytes(TChannelRecBuilder().CategoryBytes("News").Build().Category));
}

void TestChannel::nameOfTwentyFiveBytesHasNoTails() {
    auto channel = TChannelRecBuilder().RootBytes("S").CategoryBytes("C").Channel();
    channel->SetName(Text(Bytes(25)));
    QCOMPARE(int(channel->Rec.Root.Chars[1]), 0);
    QCOMPARE(int(channel->Rec.Category.Chars[1]), 0);
    QCOMPARE(channel->NameBytes(), Bytes(25));
}

void TestChannel::rootOfTwentyFourBytesSendsOverflowToCategory() {
    auto channel = TChannelRecBuilder().RootBytes(Bytes(24, 'A')).CategoryBytes("cat").Channel();
    const QByteArray name = Bytes(30, 'k');
    channel->SetName(Text(name));
    QCOMPARE(int(channel->Rec.Root.Chars[24]), 0);
    QCOMPARE(int(channel->Rec.Category.Chars[3]), 5);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(channel->Rec.Category.Chars + 4), 5),
             name.mid(25));
    QCOMPARE(channel->Name(), Text(name));
    // Same room as a root of 25 bytes: 73 - 25 - 3 = 45 bytes.
    QCOMPARE(ErrorOf([&] { channel->SetName(Text(Bytes(45))); }), QString());
    QVERIFY(!ErrorOf([&] { channel->SetName(Text(Bytes(46))); }).isEmpty());
}

void TestChannel::refusedNamesLeaveRecordUnchanged_data() {
    QTest::addColumn<QByteArray>("root");
    QTest::addColumn<QByteArray>("category");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("message");

    QTest::newRow("root of 26 bytes")
        << QByteArray("Sat") << QByteArray() << QByteArray("n") << u"root"_s << Bytes(26)
        << u"Root name: "_s + Text(Bytes(26)) + u" is too long"_s;
    QTest::newRow("category of 26 bytes")
        << QByteArray() << QByteArray("c") << QByteArray("n") << u"category"_s << Bytes(26)
        << u"Category name: "_s + Text(Bytes(26)) + u" is too long"_s;
    QTest::newRow("root leaves no room for the name")
        << QByteArray() << Bytes(25) << Bytes(40, 'k') << u"root"_s << QByteArray(10, 'R')
        << u"Channel name: "_s + Text(Bytes(40, 'k')) + u" is too long for RRRRRRRRRR"_s;
    QTest::newRow("category leaves no room for the name")
        << Bytes(25) << QByteArray() << Bytes(40, 'k') << u"category"_s << QByteArray(10, 'C')
        << u"Channel name: "_s + Text(Bytes(40, 'k')) + u" is too long for CCCCCCCCCC"_s;
    QTest::newRow("name of 24 beside 25 and 25")
        << Bytes(25) << Bytes(25) << Bytes(3) << u"name"_s << Bytes(24, 'x')
        << u"Channel name: "_s + Text(Bytes(24, 'x')) + u" is too long"_s;
}

void TestChannel::refusedNamesLeaveRecordUnchanged() {
    QFETCH(QByteArray, root);
    QFETCH(QByteArray, category);
    QFETCH(QByteArray, name);
    QFETCH(QString, field);
    QFETCH(QByteArray, value);
    QFETCH(QString, message);
    auto channel =
        TChannelRecBuilder().RootBytes(root).CategoryBytes(category).NameBytes(name).Channel();
    const QByteArray before = channel->ToBytes();
    const QString error = ErrorOf([&] {
        if (field == u"root"_s)
            channel->SetRoot(Text(value));
        else if (field == u"category"_s)
            channel->SetCategory(Text(value));
        else
            channel->SetName(Text(value));
    });
    QCOMPARE(error, u"EChannelException: "_s + message);
    QCOMPARE(channel->ToBytes(), before);
}

void TestChannel::changingRootRepacksOverflow() {
    // 40 name bytes beside a root of 20 and a category of 3: 4 in the root's tail, 11 in the
    // category's.
    const QByteArray name = Bytes(40, 'k');
    auto channel = TChannelRecBuilder().RootBytes(Bytes(20, 'A')).CategoryBytes("cat").Channel();
    channel->SetName(Text(name));
    QCOMPARE(int(channel->Rec.Root.Chars[20]), 4);
    QCOMPARE(int(channel->Rec.Category.Chars[3]), 11);

    channel->SetRoot(u"S"_s);
    QCOMPARE(int(channel->Rec.Root.Chars[1]), 15);
    QCOMPARE(int(channel->Rec.Category.Chars[3]), 0);
    QCOMPARE(channel->Name(), Text(name));

    channel->SetRoot(Text(Bytes(25, 'Z')));
    QCOMPARE(int(channel->Rec.Category.Chars[3]), 15);
    QCOMPARE(channel->Name(), Text(name));
    QCOMPARE(channel->Root(), Text(Bytes(25, 'Z')));
    QCOMPARE(channel->Category(), u"cat"_s);
}

void TestChannel::doubleBytePageCountsBytes() {
    SetNameCodePageProvider([] { return 932; });
    const QString kanji = u"\u65E5"_s; // two bytes in code page 932
    QCOMPARE(NameByteLength(kanji), 2);

    TChannel channel;
    // 13 double-byte characters are already 26 bytes.
    QCOMPARE(ErrorOf([&] { channel.SetRoot(kanji.repeated(13)); }),
             u"EChannelException: Root name: "_s + kanji.repeated(13) + u" is too long"_s);
    channel.SetRoot(kanji.repeated(12));
    QCOMPARE(channel.Root(), kanji.repeated(12));

    // A name of 73 bytes beside an empty root and category is split across all three
    // fields, a character's two bytes falling into different pieces, and read back whole.
    TChannel empty;
    const QString longName = u"a"_s + kanji.repeated(36);
    QCOMPARE(NameByteLength(longName), 73);
    empty.SetName(longName);
    QCOMPARE(int(empty.Rec.ChannelName.Len), 25);
    QCOMPARE(int(empty.Rec.Root.Chars[0]), 24);
    QCOMPARE(int(empty.Rec.Category.Chars[0]), 24);
    QCOMPARE(empty.Name(), longName);
    QVERIFY(!ErrorOf([&] { empty.SetName(kanji.repeated(37)); }).isEmpty());
    QCOMPARE(empty.Name(), longName);
}

void TestChannel::unmappableCharactersCountAsOneByte() {
    // Cyrillic does not exist in 1252, the euro sign does not exist in 932.
    QCOMPARE(EncodeName(u"A\u0416\u0417B"_s), QByteArray("A??B"));
    QCOMPARE(NameByteLength(u"\U0001F600"_s), 1);
    SetNameCodePageProvider([] { return 932; });
    QCOMPARE(EncodeName(u"\u20AC\u65E5"_s), QByteArray("?\x93\xFA"));
    SetNameCodePageProvider([] { return 1251; });
    QCOMPARE(EncodeName(u"\u0416"_s), QByteArray("\xC6"));
    TChannel channel;
    channel.SetName(u"\u0416\u20AC"_s);
    QCOMPARE(channel.NameBytes(), QByteArray("\xC6\x88"));
    // The same bytes are only read differently when the code page changes.
    SetNameCodePageProvider([] { return 1252; });
    QCOMPARE(channel.Name(), u"\u00C6\u02C6"_s);
}

void TestChannel::damagedLengthAndCountBytesStayInsideTheirFields() {
    // Length bytes of 255 read as 25; a count byte larger than its field's room reads as
    // the room; nothing spills over into the neighbouring field.
    TChannelRecBuilder builder;
    builder.RootBytes("Sat").CategoryBytes(Bytes(20, 'c')).NameBytes(Bytes(25, 'k'));
    builder.Byte(52 + 1 + 3, 255);   // root tail count
    builder.Byte(104 + 1 + 20, 255); // category tail count
    builder.Byte(78, 255);           // ChannelName length
    for (int i = 0; i < 21; ++i)
        builder.Byte(52 + 1 + 4 + i, quint8('R'));
    for (int i = 0; i < 4; ++i)
        builder.Byte(104 + 1 + 21 + i, quint8('C'));
    auto channel = builder.Channel();
    QCOMPARE(channel->NameBytes(), Bytes(25, 'k') + QByteArray(21, 'R') + QByteArray(4, 'C'));

    TChannel lengths;
    lengths.Rec.Root.Len = 200;
    lengths.Rec.Category.Len = 26;
    std::memset(lengths.Rec.Root.Chars, 'x', 25);
    QCOMPARE(lengths.RootBytes(), QByteArray(25, 'x'));
    QCOMPARE(lengths.CategoryBytes().size(), 25);
    QCOMPARE(lengths.NameBytes(), QByteArray());
    // Reading changes nothing.
    const TChannelRec before = channel->Rec;
    (void)channel->Name();
    (void)channel->FullName();
    QVERIFY(std::memcmp(&before, &channel->Rec, sizeof before) == 0);
}

void TestChannel::unknownCodePageFallsBackToSystemPage() {
    SetNameCodePageProvider([] { return -1; });
    QVERIFY(IsNameTooLong(Text(Bytes(26))));
    auto channel = TChannelRecBuilder().NameBytes("Das Erste").Channel();
    QCOMPARE(channel->Name(), u"Das Erste"_s);
    SetNameCodePageProvider([] { return 4711; });
    channel->SetName(u"ZDF"_s);
    QCOMPARE(channel->NameBytes(), QByteArray("ZDF"));
}

void TestChannel::flagZeroIsMainRadioFreeAutoUpdate() {
    TChannel channel;
    QVERIFY(channel.IsMainChannel());
    QVERIFY(!channel.IsSubChannel());
    QVERIFY(!channel.IsVideo());
    QVERIFY(!channel.IsEncrypted());
    QVERIFY(!channel.HasRDS());
    QVERIFY(channel.IsAutoUpdate());
    QVERIFY(!channel.IsBookMarked);
    QVERIFY(!channel.IsChecked);
    QCOMPARE(channel.State, csNormal);
}

void TestChannel::flagSettersTouchOnlyTheirBit() {
    struct TCase {
        std::function<void(TChannel&, bool)> Set;
        quint8 Mask;
        bool SetMeansBit;
    };
    const QList<TCase> cases = {
        {[](TChannel& c, bool v) { c.SetIsSubChannel(v); }, flSubChannel, true},
        {[](TChannel& c, bool v) { c.SetIsMainChannel(v); }, flSubChannel, false},
        {[](TChannel& c, bool v) { c.SetIsAutoUpdate(v); }, flNoAutoUpdate, false},
        {[](TChannel& c, bool v) { c.SetHasRDS(v); }, flRDS, true},
    };
    for (quint8 start : {quint8(0x00), quint8(0xFF), quint8(0x79)}) {
        for (const TCase& tc : cases) {
            TChannel channel;
            channel.Rec.TunerData.Flags = start;
            tc.Set(channel, true);
            const quint8 on = tc.SetMeansBit ? quint8(start | tc.Mask) : quint8(start & ~tc.Mask);
            QCOMPARE(channel.Rec.TunerData.Flags, on);
            tc.Set(channel, false);
            const quint8 off = tc.SetMeansBit ? quint8(start & ~tc.Mask) : quint8(start | tc.Mask);
            QCOMPARE(channel.Rec.TunerData.Flags, off);
        }
    }
}

void TestChannel::epgChannelId_data() {
    QTest::addColumn<quint8>("tuner");
    QTest::addColumn<quint16>("sid");
    QTest::addColumn<quint16>("tid");
    QTest::addColumn<quint16>("nid");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("cable") << quint8(0) << quint16(1) << quint16(2) << quint16(3)
                           << qint64(1 + (2LL << 16) + (3LL << 32) + (1LL << 48));
    QTest::newRow("satellite, all ones") << quint8(1) << quint16(0xFFFF) << quint16(0xFFFF)
                                         << quint16(0xFFFF) << qint64(0x0002FFFFFFFFFFFFLL);
    QTest::newRow("tuner 255 wraps to 0")
        << quint8(255) << quint16(28006) << quint16(1101) << quint16(1)
        << qint64(28006 + (1101LL << 16) + (1LL << 32));
}

void TestChannel::epgChannelId() {
    QFETCH(quint8, tuner);
    QFETCH(quint16, sid);
    QFETCH(quint16, tid);
    QFETCH(quint16, nid);
    QFETCH(qint64, expected);
    auto channel = TChannelRecBuilder().TunerType(tuner).Ids(sid, tid, nid).Channel();
    QCOMPARE(channel->EPGChannelID(), expected);
}

void TestChannel::isDuplicate_data() {
    QTest::addColumn<TChannelRec>("a");
    QTest::addColumn<TChannelRec>("b");
    QTest::addColumn<bool>("duplicate");
    const auto sat = [] { return TChannelRecBuilder().TunerType(ttSatellite).Ids(1, 2, 3); };
    const auto ip = [] { return TChannelRecBuilder().IPTV(239, 1, 1, 1, 1234).Ids(1, 2, 3); };
    QTest::newRow("satellite, other frequency")
        << sat().Frequency(11494).Build() << sat().Frequency(12188).Build() << true;
    QTest::newRow("satellite, other SID") << sat().Build() << sat().SID(9).Build() << false;
    QTest::newRow("other tuner type") << sat().Build() << sat().TunerType(ttCable).Build() << false;
    QTest::newRow("IPTV, same address and port") << ip().Build() << ip().Build() << true;
    QTest::newRow("IPTV, other port") << ip().Build() << ip().Symbolrate(1235).Build() << false;
    QTest::newRow("IPTV, other address") << ip().Build() << ip().Frequency(7).Build() << false;
}

void TestChannel::isDuplicate() {
    QFETCH(TChannelRec, a);
    QFETCH(TChannelRec, b);
    QFETCH(bool, duplicate);
    QCOMPARE(TChannel(a).IsDuplicate(TChannel(b)), duplicate);
    QCOMPARE(TChannel(b).IsDuplicate(TChannel(a)), duplicate);
}

void TestChannel::textProperties() {
    auto ip = TChannelRecBuilder().TunerType(ttIPTV).Frequency(3232235777u).Ids(3, 2, 1).Channel();
    QCOMPARE(ip->IPText(), u"192.168.1.1"_s);
    QCOMPARE(ip->NidTidSidTuner(), u"[1-2-3-4]"_s);
    auto sat = TChannelRecBuilder().TunerType(ttSatellite).Frequency(3232235777u).Channel();
    QCOMPARE(sat->IPText(), QString());

    QCOMPARE(TChannelRecBuilder().Language("deu").Channel()->Language(), u"deu"_s);
    QCOMPARE(TChannelRecBuilder().Language(QByteArray("en\0x", 4)).Channel()->Language(), u"en"_s);
    QCOMPARE(TChannelRecBuilder().Language(QByteArray("\0de", 3)).Channel()->Language(), QString());

    QVERIFY(
        TChannelRecBuilder().TunerType(ttTerrestrial).SecondGeneration().Channel()->Modulation2());
    QVERIFY(!TChannelRecBuilder().TunerType(ttATSC).SecondGeneration().Channel()->Modulation2());
    QVERIFY(!TChannelRecBuilder().TunerType(ttSatellite).Channel()->Modulation2());
}

void TestChannel::separatorsComeFromTheirProviders() {
    auto channel =
        TChannelRecBuilder().RootBytes("Astra").CategoryBytes("News").NameBytes("n-tv").Channel();
    QCOMPARE(channel->SmallName(), u"n-tv   \u2022   News"_s);
    QCOMPARE(channel->FullName(), u"n-tv   \u2022   News   >>>>>>Astra"_s);
    auto noCategory = TChannelRecBuilder().NameBytes("n-tv").Channel();
    QCOMPARE(noCategory->SmallName(), u"n-tv   \u2022   "_s);

    QString separator;
    SetChannelSeparatorProvider([&] { return separator; });
    SetRootSeparatorProvider([] { return u" / "_s; });
    QCOMPARE(channel->SmallName(), u"n-tvNews"_s);
    separator = u"|"_s;
    QCOMPARE(channel->FullName(), u"n-tv|News / Astra"_s);
}

void TestChannel::streamReadAndWrite() {
    const TChannelRec rec = TChannelRecBuilder().NameBytes("One").Ids(1, 2, 3).Byte(131, 0x5A);
    QByteArray data =
        QByteArray(reinterpret_cast<const char*>(&rec), sizeof rec) + QByteArray(100, 'z');
    QBuffer buffer(&data);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    auto channel = TChannel::CreateFromStream(buffer);
    QVERIFY(std::memcmp(&channel->Rec, &rec, sizeof rec) == 0);
    // 100 bytes left: a short read fails and leaves the record as it was.
    QCOMPARE(ErrorOf([&] { channel->ReadFromStream(buffer); }), u"EReadError: Stream read error"_s);
    QVERIFY(std::memcmp(&channel->Rec, &rec, sizeof rec) == 0);

    QByteArray out;
    QBuffer sink(&out);
    QVERIFY(sink.open(QIODevice::WriteOnly));
    channel->WriteToStream(sink);
    QCOMPARE(out, data.left(132));
}

QTEST_GUILESS_MAIN(TestChannel)
#include "tst_channels.moc"

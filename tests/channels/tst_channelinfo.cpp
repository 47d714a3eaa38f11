#include "channels/UChannel.h"
#include "channels/UChannelInfo.h"

#include <QLocale>
#include <QStringList>
#include <QTest>

#include <cstring>
#include <initializer_list>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TChannelRec)

namespace {

// Fills a name field byte for byte: the text with its length byte and, when given, a
// tail (count byte and bytes) right after the text, as a long channel name leaves it.
void SetField(ShortString25& field, QByteArrayView text, QByteArrayView tail = {}) {
    std::memset(&field, 0, sizeof field);
    field.Len = quint8(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        field.Chars[i] = quint8(text[i]);
    if (!tail.isEmpty()) {
        field.Chars[text.size()] = quint8(tail.size());
        for (qsizetype i = 0; i < tail.size(); ++i)
            field.Chars[text.size() + 1 + i] = quint8(tail[i]);
    }
}

void SetLanguage(TTuner& t, QByteArrayView code) {
    std::memset(t.Language, 0, sizeof t.Language);
    for (qsizetype i = 0; i < qMin<qsizetype>(code.size(), 3); ++i)
        t.Language[i] = code[i];
}

quint64 Mask(std::initializer_list<int> bits) {
    quint64 mask = 0;
    for (int bit : bits)
        mask |= quint64(1) << bit;
    return mask;
}

TChannelRec ZeroRec() {
    TChannelRec rec;
    std::memset(&rec, 0, sizeof rec);
    return rec;
}

// A DVB-S2 TV channel that uses every satellite field.
TChannelRec SatelliteTVRec() {
    TChannelRec rec = ZeroRec();
    TTuner& t = rec.TunerData;
    t.TunerType = ttSatellite;
    t.ChannelGroup = 2;
    t.SatModulationSystem = 1;
    t.Flags = flVideo | flRDS | flEncrypted;
    t.Frequency = 11494;
    t.Symbolrate = 22000;
    t.LNB_LOF = 9750;
    t.PMT_PID = 5100;
    t.Volume = 10;
    t.Reserved1 = 7;
    t.SatModulation = 2 | smSecondGeneration | (1 << 3) | (1 << 5) | smPilot; // 174
    t.AVFormat = 0x11;                                                        // H.264, AC3
    t.FEC = 2;
    t.AudioChannel = spStereo;
    t.Reserved3 = 513;
    t.Polarity = 0;
    t.Reserved4 = 3;
    t.OrbitalPos = 192;
    t.Tone = 1;
    t.EPGFlags = 0x05;
    t.DiSEqCExt = 130;
    t.DiSEqC = 8;
    SetLanguage(t, "deu");
    t.Audio_PID = 5102;
    t.Video_PID = 5101;
    t.TransportStream_ID = 1019;
    t.Teletext_PID = 5104;
    t.OriginalNetwork_ID = 1;
    t.Service_ID = 10301;
    t.PCR_PID = 5101;
    SetField(rec.Root, "Astra 19.2E");
    SetField(rec.ChannelName, "Das Erste HD");
    SetField(rec.Category, "ARD");
    rec.Encrypted = 1;
    rec.Reserved10 = 9;
    return rec;
}

// An IPTV channel: address 239.1.2.3, port 1234, source address 10.2.20.5.
TChannelRec IPTVRec() {
    TChannelRec rec = ZeroRec();
    TTuner& t = rec.TunerData;
    t.TunerType = ttIPTV;
    t.Flags = flVideo | flNoAutoUpdate;
    t.Frequency = (239u << 24) | (1u << 16) | (2u << 8) | 3u;
    t.Symbolrate = 1234;
    t.LNB_LOF = 0x020A;
    t.FEC = 20;
    t.Polarity = 5;
    t.AVFormat = afAAC;
    t.Audio_PID = 300;
    t.TransportStream_ID = 7;
    t.OriginalNetwork_ID = 100;
    t.Service_ID = 17;
    SetField(rec.Root, "IPTV");
    SetField(rec.ChannelName, "Local News");
    SetField(rec.Category, "City");
    return rec;
}

// A further audio track of a DVB-T2 radio channel whose name of 30 bytes overflows into
// the root's tail.
TChannelRec T2RadioSubChannelRec() {
    TChannelRec rec = ZeroRec();
    TTuner& t = rec.TunerData;
    t.TunerType = ttTerrestrial;
    t.Flags = flSubChannel | flRDS;
    t.Frequency = 690000;
    t.SatModulation = 3 | smSecondGeneration | smPilot; // 135: 16QAM, T2 Lite
    t.Polarity = 2;
    t.Volume = 100;
    SetLanguage(t, "eng");
    t.Audio_PID = 610;
    t.Substream = 3;
    t.TransportStream_ID = 2;
    t.OriginalNetwork_ID = 8468;
    t.Service_ID = 3;
    SetField(rec.Root, "DVB-T", "dio 2");
    SetField(rec.ChannelName, "Deutschlandfunk Kultur Au");
    SetField(rec.Category, "Radio");
    return rec;
}

QString Degrees(const char* whole, const char* tenth) {
    return QLatin1String(whole) + QLocale::system().decimalPoint() + QLatin1String(tenth) +
           u'\u00BA';
}

QStringList DescriptionLines(const TChannelRec& rec) {
    const QString text = TChannel(rec).AllInfo();
    return text.split(u"\r\n"_s);
}

} // namespace

class TestChannelInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void catalogueHoldsTheWindowsTableInOrder();
    void eachBitSelectsExactlyTheChannelsProperties_data();
    void eachBitSelectsExactlyTheChannelsProperties();
    void languageComparesOnlyAsciiLettersWithoutCase_data();
    void languageComparesOnlyAsciiLettersWithoutCase();
    void describesChannelInFull_data();
    void describesChannelInFull();
    void describesTunerDependentFields_data();
    void describesTunerDependentFields();
    void decodesOutOfRangeCodes_data();
    void decodesOutOfRangeCodes();
    void streamChannelLeavesOutTunerLines();
};

void TestChannelInfo::catalogueHoldsTheWindowsTableInOrder() {
    QStringList actual;
    for (const TChannelPropertyHeading& heading : ChannelPropertyCatalogue()) {
        QString row = heading.Caption + (heading.InitiallyExpanded ? u" (+):"_s : u":"_s);
        for (const TChannelPropertyItem& item : heading.Items)
            row += u' ' + item.Caption + u'=' + QString::number(int(item.Property));
        actual << row;
    }
    const QStringList expected = {
        u"TV/Radio (+): Encrypted=8 FTA=9 Radio=10 TV=11"_s,
        u"Video (+): MPEG2=22 H.264=23 H.265 (HEVC)=24"_s,
        u"Has audio track of type (+): MPEG=18 AC3=19 AAC=20 AES3=21"_s,
        u"Tuner Type (+): Cable (DVB-C/C2)=12 Satellite (DVB-S/S2)=13 "
        u"Terrestial (DVB-T/T2)=14 ATSC=15 IPTV=16 Stream (URL, DVBViewer GE)=17"_s,
        u"Modulation (+): DVB-C/S/T=34 DVB-C2/S2/T2=35"_s,
        u"Channel Group: A=0 B=1 C=2 D=3 E=4 F=5 G=6 H=7"_s,
        u"EPG Reception: DVB EPG is forbidden=25 MHW(+) EPG is forbidden=26 "
        u"External EPG is forbidden=27 Future bit3 EPG is forbidden=28 "
        u"Future bit4 EPG is forbidden=29 Future bit5 EPG is forbidden=30 "
        u"Future bit6 EPG is forbidden=31 Future bit7 EPG is forbidden=32"_s,
        u"Auto Update (DVBViewer 5.6.0+): Off=36 On=37"_s,
        u"Speakers (Default audio track): Stereo=38 Left=39 Right=40"_s,
        u"Has RDS (Radio Data System): No=41 Yes=42"_s,
    };
    QCOMPARE(actual, expected);
    QCOMPARE(QString(LanguagePropertyCaption), u"Has Language:"_s);
    QCOMPARE(SubChannelPropertiesMask, Mask({18, 19, 20, 21, 33}));
}

void TestChannelInfo::eachBitSelectsExactlyTheChannelsProperties_data() {
    QTest::addColumn<TChannelRec>("rec");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<quint64>("expected");

    // An all-zero record is a free-to-air cable radio main channel of group A.
    QTest::newRow("zero record") << ZeroRec() << u"xx"_s
                                 << Mask({0, 9, 10, 12, 18, 34, 37, 38, 41});
    QTest::newRow("zero record, empty language text")
        << ZeroRec() << QString() << Mask({0, 9, 10, 12, 18, 33, 34, 37, 38, 41});
    QTest::newRow("DVB-S2 TV channel")
        << SatelliteTVRec() << u"DEU"_s << Mask({2, 8, 11, 13, 19, 23, 25, 27, 33, 35, 37, 38, 42});
    QTest::newRow("IPTV channel, auto update off")
        << IPTVRec() << QString() << Mask({0, 9, 11, 16, 20, 22, 33, 34, 36, 38, 41});
    QTest::newRow("DVB-T2 radio sub-channel")
        << T2RadioSubChannelRec() << u"Eng"_s << Mask({0, 9, 10, 14, 18, 33, 35, 37, 38, 42});

    {
        // A radio channel's video nibble says nothing.
        TChannelRec rec = ZeroRec();
        rec.TunerData.AVFormat = 0x13; // H.264, AES3
        rec.TunerData.TunerType = ttATSC;
        rec.TunerData.ChannelGroup = 7;
        rec.TunerData.AudioChannel = spLeft;
        QTest::newRow("ATSC radio with H.264 nibble")
            << rec << u"x"_s << Mask({7, 9, 10, 15, 21, 34, 37, 39, 41});
    }
    {
        TChannelRec rec = ZeroRec();
        rec.TunerData.Flags = flVideo | flSubChannel;
        rec.TunerData.AVFormat = 0x20; // H.265, MPEG audio
        rec.TunerData.TunerType = ttStream;
        rec.TunerData.AudioChannel = spRight;
        rec.TunerData.EPGFlags = 0x02;
        QTest::newRow("stream TV sub-channel with H.265")
            << rec << u"x"_s << Mask({0, 9, 11, 17, 18, 24, 26, 34, 37, 40, 41});
    }
    {
        // Second generation is read from the modulation bit whatever the tuner type.
        TChannelRec rec = ZeroRec();
        rec.TunerData.SatModulation = smSecondGeneration;
        rec.TunerData.TunerType = ttIPTV;
        QTest::newRow("IPTV with second-generation bit")
            << rec << u"x"_s << Mask({0, 9, 10, 16, 18, 35, 37, 38, 41});
    }
    {
        TChannelRec rec = ZeroRec();
        rec.TunerData.Flags = flVideo;
        rec.TunerData.ChannelGroup = 9;
        rec.TunerData.TunerType = 6;
        rec.TunerData.AVFormat = 0x34; // video 3, audio 4
        rec.TunerData.AudioChannel = 3;
        rec.TunerData.EPGFlags = 0xF8;
        QTest::newRow("codes outside every table")
            << rec << u"x"_s << Mask({9, 11, 28, 29, 30, 31, 32, 34, 37, 41});
    }
}

void TestChannelInfo::eachBitSelectsExactlyTheChannelsProperties() {
    QFETCH(TChannelRec, rec);
    QFETCH(QString, lang);
    QFETCH(quint64, expected);
    const TChannel channel(rec);

    for (int bit = 0; bit < 64; ++bit) {
        const quint64 checks = quint64(1) << bit;
        const bool wanted = (expected & checks) != 0;
        if (channel.HasAProperty(checks, lang) != wanted)
            QFAIL(qPrintable(u"bit %1: expected %2"_s.arg(bit).arg(wanted)));
    }
    QVERIFY(!channel.HasAProperty(0, lang));
    QVERIFY(!channel.HasAProperty(~expected, lang));
    QVERIFY(channel.HasAProperty(expected, lang));
}

void TestChannelInfo::languageComparesOnlyAsciiLettersWithoutCase_data() {
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<bool>("expected");

    QTest::newRow("deu matches DEU") << QByteArray("DEU") << u"deu"_s << true;
    QTest::newRow("mixed case") << QByteArray("eNg") << u"EnG"_s << true;
    QTest::newRow("two-letter code") << QByteArray("en") << u"EN"_s << true;
    QTest::newRow("empty matches empty") << QByteArray() << QString() << true;
    QTest::newRow("empty text, code set") << QByteArray("deu") << QString() << false;
    QTest::newRow("text set, code empty") << QByteArray() << u"deu"_s << false;
    QTest::newRow("prefix only") << QByteArray("deu") << u"de"_s << false;
    QTest::newRow("trailing blank") << QByteArray("deu") << u"deu "_s << false;
    QTest::newRow("bytes after the first zero ignored") << QByteArray("e\0x", 3) << u"E"_s << true;
    QTest::newRow("first byte zero is no code") << QByteArray("\0de", 3) << QString() << true;
    // Only A to Z fold: accented capitals stay distinct from their small letters.
    QTest::newRow("no fold beyond ASCII") << QByteArray("\xC9") << u"\u00E9"_s << false;
}

void TestChannelInfo::languageComparesOnlyAsciiLettersWithoutCase() {
    QFETCH(QByteArray, code);
    QFETCH(QString, lang);
    QFETCH(bool, expected);
    TChannelRec rec = ZeroRec();
    SetLanguage(rec.TunerData, code);
    const TChannel channel(rec);

    QCOMPARE(channel.HasAProperty(PropertyBit(cpLanguage), lang), expected);
    // Other bits still decide on their own.
    QVERIFY(channel.HasAProperty(PropertyBit(cpLanguage) | PropertyBit(cpRadio), lang));
    QCOMPARE(channel.HasAProperty(PropertyBit(cpLanguage) | PropertyBit(cpTV), lang), expected);
}

void TestChannelInfo::describesChannelInFull_data() {
    QTest::addColumn<TChannelRec>("rec");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("DVB-S2 TV channel")
        << SatelliteTVRec()
        << QStringList{
               u"ID=2359890582721931325|Das Erste HD"_s,
               u"Category=ARD"_s,
               u"Root=Astra 19.2E"_s,
               u"TunerType=DVB-S2"_s,
               u"Channel Group=C"_s,
               u"Language=deu"_s,
               u"Audio=AC3"_s,
               u"Video=H.264"_s,
               u"EPGFlags=5=00000101b"_s,
               u"    Forbid DVB EPG=True"_s,
               u"    Forbid MHW EPG=False"_s,
               u"    Forbid External EPG=True"_s,
               u"EPGChannelID=562954315180093"_s,
               u"[NID-TID-SID-Tuner]=[1-1019-10301-1]"_s,
               u"TunerData.Flags=13=00001101b"_s,
               u"    IsEncrypted=True"_s,
               u"    IsAutoUpdate=True"_s,
               u"    IsVideo=True"_s,
               u"    Has RDS=True"_s,
               u"    IsSubChannel=False"_s,
               u"Frequency=11494 MHz"_s,
               u"Symbolrate=22000 kSym/s"_s,
               u"LNB_LOF=9750"_s,
               u"PMT_PID=5100"_s,
               u"SatModulation=174=10101110b"_s,
               u"    Satellite Modulation=8PSK"_s,
               u"    Modulation System=DVB-S2/T2/C2"_s,
               u"    roll-off=0.25"_s,
               u"    spectral inversion=auto"_s,
               u"    pilot symbols=on"_s,
               u"Volume=90%"_s,
               u"Polarity=horizontal"_s,
               u"FEC=2/3"_s,
               u"Speakers=Stereo"_s,
               u"OrbitalPos="_s + Degrees("19", "2"),
               u"Tone=22 kHz"_s,
               u"DisEqC=8=Angular Position (DiSEqC 1.2, see DiSEqCExt)"_s,
               u"DiSEqCExt=130 (Orbital Position (DiSEqC 1.2, USALS, for calculating motor angle))"_s,
               u"Audio_PID=5102"_s,
               u"Substream=0"_s,
               u"Video_PID=5101"_s,
               u"TransportStream_ID=1019"_s,
               u"Teletext_PID=5104"_s,
               u"OriginalNetwork_ID=1"_s,
               u"Service_ID=10301"_s,
               u"PCR_PID=5101"_s,
               u"RootBytes: 11,65,115,116,114,97,32,49,57,46,50,69,0,0,0,0,0,0,0,0,0,0,0,0,0,0"_s,
               u"CategoryBytes: 3,65,82,68,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"_s,
               u"ChannelNameBytes: "
               u"12,68,97,115,32,69,114,115,116,101,32,72,68,0,0,0,0,0,0,0,0,0,0,0,0,0"_s,
               u"------------------ RESERVED:"_s,
               u"Reserved1=7"_s,
               u"Reserved3=513"_s,
               u"Reserved4=3"_s,
               u"Reserved10=9"_s,
               u"------------------ DEPRECATED:"_s,
               u"SatModulationSystem=1"_s,
               u"Encrypted=1=00000001b"_s,
           };

    QTest::newRow("IPTV channel")
        << IPTVRec()
        << QStringList{
               u"ID=2305843041982480401|Local News"_s,
               u"Category=City"_s,
               u"Root=IPTV"_s,
               u"TunerType=IPTV"_s,
               u"Channel Group=A"_s,
               u"Language="_s,
               u"Audio=AAC"_s,
               u"Video=MPEG2"_s,
               u"EPGFlags=0=00000000b"_s,
               u"    Forbid DVB EPG=False"_s,
               u"    Forbid MHW EPG=False"_s,
               u"    Forbid External EPG=False"_s,
               u"EPGChannelID=1407804380741649"_s,
               u"[NID-TID-SID-Tuner]=[100-7-17-4]"_s,
               u"TunerData.Flags=10=00001010b"_s,
               u"    IsEncrypted=False"_s,
               u"    IsAutoUpdate=False"_s,
               u"    IsVideo=True"_s,
               u"    Has RDS=False"_s,
               u"    IsSubChannel=False"_s,
               u"IP=4009820675=239.1.2.3"_s,
               u"Port=1234"_s,
               u"Source IP.Byte0=10 Source IP.Byte1=2"_s,
               u"PMT_PID=0"_s,
               u"SatModulation=0=00000000b"_s,
               u"    Satellite Modulation=Auto"_s,
               u"    Modulation System=DVB-S/T/C"_s,
               u"    spectral inversion=undefined"_s,
               u"Volume=100%"_s,
               u"Source IP.Byte3=5"_s,
               u"Source IP.Byte2=20"_s,
               u"Speakers=Stereo"_s,
               u"OrbitalPos=0"_s,
               u"Tone=off"_s,
               u"DisEqC=0=None"_s,
               u"DiSEqCExt=0"_s,
               u"Audio_PID=300"_s,
               u"Substream=0"_s,
               u"Video_PID=0"_s,
               u"TransportStream_ID=7"_s,
               u"Teletext_PID=0"_s,
               u"OriginalNetwork_ID=100"_s,
               u"Service_ID=17"_s,
               u"PCR_PID=0"_s,
               u"RootBytes: 4,73,80,84,86,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"_s,
               u"CategoryBytes: 4,67,105,116,121,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"_s,
               u"ChannelNameBytes: "
               u"10,76,111,99,97,108,32,78,101,119,115,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"_s,
               u"------------------ RESERVED:"_s,
               u"Reserved1=0"_s,
               u"Reserved3=0"_s,
               u"Reserved4=0"_s,
               u"Reserved10=0"_s,
               u"------------------ DEPRECATED:"_s,
               u"SatModulationSystem=0"_s,
               u"Encrypted=0=00000000b"_s,
           };

    QTest::newRow("DVB-T2 radio sub-channel")
        << T2RadioSubChannelRec()
        << QStringList{
               u"ID=4611686028667912195|Deutschlandfunk Kultur Audio 2"_s,
               u"Category=Radio"_s,
               u"Root=DVB-T"_s,
               u"TunerType=DVB-T2"_s,
               u"Channel Group=A"_s,
               u"Language=eng"_s,
               u"Audio=MPEG"_s,
               u"Video=MPEG2"_s,
               u"EPGFlags=0=00000000b"_s,
               u"    Forbid DVB EPG=False"_s,
               u"    Forbid MHW EPG=False"_s,
               u"    Forbid External EPG=False"_s,
               u"EPGChannelID=880794713325571"_s,
               u"[NID-TID-SID-Tuner]=[8468-2-3-2]"_s,
               u"TunerData.Flags=132=10000100b"_s,
               u"    IsEncrypted=False"_s,
               u"    IsAutoUpdate=True"_s,
               u"    IsVideo=False"_s,
               u"    Has RDS=True"_s,
               u"    IsSubChannel=True"_s,
               u"Frequency=690000 kHz"_s,
               u"Symbolrate=0"_s,
               u"LNB_LOF=0"_s,
               u"PMT_PID=0"_s,
               u"SatModulation=135=10000111b"_s,
               u"    Satellite Modulation=16QAM"_s,
               u"    Modulation System=DVB-S2/T2/C2"_s,
               u"    spectral inversion=undefined"_s,
               u"    DVB-T2 Lite=on"_s,
               u"Volume=0%"_s,
               u"Bandwidth=8 MHz"_s,
               u"Speakers=Stereo"_s,
               u"OrbitalPos=0"_s,
               u"Tone=off"_s,
               u"DisEqC=0=None"_s,
               u"DiSEqCExt=0"_s,
               u"Audio_PID=610"_s,
               u"Substream=3"_s,
               u"  DVB-T2: PLP_ID=2"_s,
               u"Video_PID=0"_s,
               u"TransportStream_ID=2"_s,
               u"Teletext_PID=0"_s,
               u"OriginalNetwork_ID=8468"_s,
               u"Service_ID=3"_s,
               u"PCR_PID=0"_s,
               u"RootBytes: 5,68,86,66,45,84,5,100,105,111,32,50,0,0,0,0,0,0,0,0,0,0,0,0,0,0"_s,
               u"CategoryBytes: 5,82,97,100,105,111,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"_s,
               u"ChannelNameBytes: 25,68,101,117,116,115,99,104,108,97,110,100,102,117,110,107,"
               u"32,75,117,108,116,117,114,32,65,117"_s,
               u"------------------ RESERVED:"_s,
               u"Reserved1=0"_s,
               u"Reserved3=0"_s,
               u"Reserved4=0"_s,
               u"Reserved10=0"_s,
               u"------------------ DEPRECATED:"_s,
               u"SatModulationSystem=0"_s,
               u"Encrypted=0=00000000b"_s,
           };
}

void TestChannelInfo::describesChannelInFull() {
    QFETCH(TChannelRec, rec);
    QFETCH(QStringList, expected);
    const QString text = TChannel(rec).AllInfo();

    // Every line, the last one too, ends in CR LF, and no bare LF or CR slips in.
    QVERIFY(text.endsWith(u"\r\n"_s));
    QCOMPARE(text.count(u'\n'), text.count(u"\r\n"_s));
    QCOMPARE(text.count(u'\r'), text.count(u"\r\n"_s));
    QCOMPARE(text.chopped(2).split(u"\r\n"_s), expected);
}

namespace {

void AddLineColumns() {
    QTest::addColumn<TChannelRec>("rec");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absentPrefixes");
}

void CheckLines(const TChannelRec& rec, const QStringList& present,
                const QStringList& absentPrefixes) {
    const QStringList lines = DescriptionLines(rec);
    for (const QString& line : present)
        QVERIFY2(lines.contains(line), qPrintable(u"missing line: "_s + line));
    for (const QString& prefix : absentPrefixes)
        for (const QString& line : lines)
            QVERIFY2(!line.startsWith(prefix), qPrintable(u"unexpected line: "_s + line));
}

TChannelRec WithTuner(quint8 tunerType) {
    TChannelRec rec = ZeroRec();
    rec.TunerData.TunerType = tunerType;
    return rec;
}

} // namespace

void TestChannelInfo::describesTunerDependentFields_data() {
    AddLineColumns();
    {
        TChannelRec rec = WithTuner(ttSatellite);
        rec.TunerData.Frequency = 999999;
        rec.TunerData.OrbitalPos = 9999;
        QTest::newRow("satellite frequency below 1,000,000 is MHz")
            << rec << QStringList{u"Frequency=999999 MHz"_s, u"OrbitalPos="_s + Degrees("999", "9")}
            << QStringList{};
    }
    {
        TChannelRec rec = WithTuner(ttSatellite);
        rec.TunerData.Frequency = 1000000;
        QTest::newRow("satellite frequency from 1,000,000 is kHz")
            << rec << QStringList{u"Frequency=1000000 kHz"_s, u"OrbitalPos=undefined"_s}
            << QStringList{};
    }
    {
        // Four significant digits leave no room for the tenth of 1234.6 degrees.
        TChannelRec rec = WithTuner(ttSatellite);
        rec.TunerData.OrbitalPos = 12346;
        QTest::newRow("orbital position rounded to four digits")
            << rec << QStringList{u"OrbitalPos="_s + Degrees("1235", "0")} << QStringList{};
    }
    {
        TChannelRec rec = WithTuner(ttCable);
        rec.TunerData.OrbitalPos = 192;
        rec.TunerData.Polarity = 5;
        rec.TunerData.Symbolrate = 6900;
        rec.TunerData.SatModulation = 3 | smSecondGeneration;
        QTest::newRow("DVB-C2 channel")
            << rec
            << QStringList{u"TunerType=DVB-C2"_s,
                           u"Modulation=256QAM"_s,
                           u"Symbolrate=6900 kSym/s"_s,
                           u"OrbitalPos=192"_s,
                           u"    Satellite Modulation=16QAM"_s,
                           u"    Modulation System=DVB-S2/T2/C2"_s}
            << QStringList{u"FEC="_s, u"    roll-off="_s, u"    pilot symbols="_s,
                           u"    DVB-T2 Lite="_s, u"  DVB-T2:"_s};
    }
    {
        TChannelRec rec = WithTuner(ttSatellite);
        rec.TunerData.SatModulation = 3 | smSecondGeneration | (3 << 3) | (3 << 5);
        rec.TunerData.Polarity = 3;
        rec.TunerData.FEC = 9;
        QTest::newRow("DVB-S2 APSK, reserved roll-off, pilot off")
            << rec << QStringList{u"    Satellite Modulation=APSK"_s,   u"    roll-off=reserved"_s,
                                  u"    spectral inversion=inverted"_s, u"    pilot symbols=off"_s,
                                  u"Polarity=circular right"_s,         u"FEC=9/10"_s}
            << QStringList{u"    DVB-T2 Lite="_s};
    }
    {
        // Roll-off and pilot belong to DVB-S2 only.
        TChannelRec rec = WithTuner(ttSatellite);
        rec.TunerData.SatModulation = 3 | (1 << 3) | smPilot;
        QTest::newRow("DVB-S channel")
            << rec << QStringList{u"TunerType=DVB-S"_s, u"    Satellite Modulation=16QAM"_s}
            << QStringList{u"    roll-off="_s, u"    pilot symbols="_s};
    }
    {
        TChannelRec rec = WithTuner(ttTerrestrial);
        rec.TunerData.SatModulation = smSecondGeneration;
        rec.TunerData.Polarity = 0;
        QTest::newRow("DVB-T2 without PLP ID")
            << rec
            << QStringList{u"TunerType=DVB-T2"_s, u"Substream=0"_s, u"  DVB-T2: PLP_ID not set"_s,
                           u"    DVB-T2 Lite=off"_s, u"Bandwidth=6 MHz"_s}
            << QStringList{u"    roll-off="_s, u"    pilot symbols="_s};
    }
    {
        TChannelRec rec = WithTuner(ttTerrestrial);
        rec.TunerData.Substream = 3;
        rec.TunerData.Polarity = 1;
        QTest::newRow("DVB-T substream without PLP line")
            << rec << QStringList{u"TunerType=DVB-T"_s, u"Substream=3"_s, u"Bandwidth=7 MHz"_s}
            << QStringList{u"  DVB-T2:"_s, u"    DVB-T2 Lite="_s};
    }
    {
        TChannelRec rec = WithTuner(ttATSC);
        rec.TunerData.Frequency = 57000;
        rec.TunerData.Symbolrate = 5381;
        rec.TunerData.SatModulation = smSecondGeneration;
        QTest::newRow("ATSC has no polarity line")
            << rec
            << QStringList{u"TunerType=ATSC"_s, u"Frequency=57000 kHz"_s, u"Symbolrate=5381"_s,
                           u"LNB_LOF=0"_s}
            << QStringList{u"Modulation="_s, u"Polarity="_s, u"Bandwidth="_s, u"FEC="_s};
    }
    {
        // Second generation is a property of cable, satellite and terrestrial tuners only.
        TChannelRec rec = IPTVRec();
        rec.TunerData.SatModulation = smSecondGeneration;
        QTest::newRow("IPTV with second-generation bit")
            << rec << QStringList{u"TunerType=IPTV"_s, u"    Modulation System=DVB-S2/T2/C2"_s}
            << QStringList{u"TunerType=IPTV2"_s};
    }
    for (quint8 mode = 7; mode <= 9; ++mode) {
        static const char* const suffixes[] = {
            " (Preset Position (DiSEqC 1.2))",
            " (Orbital Position (DiSEqC 1.2, USALS, for calculating motor angle))",
            " (Orbital Position referencing DiSEqC sequence defined in DiSEqC.xml/ini)",
        };
        static const char* const texts[] = {
            "Preset Position (DiSEqC 1.2, see DiSEqCExt)",
            "Angular Position (DiSEqC 1.2, see DiSEqCExt)",
            "DiSEqC Command Sequence (see DiSEqCExt)",
        };
        TChannelRec rec = WithTuner(ttSatellite);
        rec.TunerData.DiSEqC = mode;
        rec.TunerData.DiSEqCExt = 65535;
        QTest::addRow("DiSEqC mode %d", mode)
            << rec
            << QStringList{u"DisEqC="_s + QString::number(mode) + u'=' +
                               QLatin1String(texts[mode - 7]),
                           u"DiSEqCExt=65535"_s + QLatin1String(suffixes[mode - 7])}
            << QStringList{};
    }
}

void TestChannelInfo::describesTunerDependentFields() {
    QFETCH(TChannelRec, rec);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absentPrefixes);
    CheckLines(rec, present, absentPrefixes);
}

void TestChannelInfo::decodesOutOfRangeCodes_data() {
    AddLineColumns();
    {
        TChannelRec rec = WithTuner(6);
        rec.TunerData.ChannelGroup = 9;
        rec.TunerData.AVFormat = 0x34;
        rec.TunerData.AudioChannel = 3;
        rec.TunerData.Tone = 2;
        rec.TunerData.DiSEqC = 10;
        rec.TunerData.Frequency = 1;
        rec.TunerData.Symbolrate = 2;
        rec.TunerData.LNB_LOF = 3;
        rec.TunerData.Volume = 255;
        QTest::newRow("unknown tuner, group, formats, speakers, tone")
            << rec << QStringList{u"TunerType=Unknown"_s, u"Channel Group=X"_s,  u"Audio=Unknown"_s,
                                  u"Video=Unknown"_s,     u"Speakers=Unknown"_s, u"Tone=unknown"_s,
                                  u"DisEqC=10=unknown"_s, u"DiSEqCExt=0"_s,      u"Frequency=1"_s,
                                  u"Symbolrate=2"_s,      u"LNB_LOF=3"_s,        u"Volume=-155%"_s}
            << QStringList{u"Modulation="_s, u"Polarity="_s, u"Bandwidth="_s, u"FEC="_s,
                           u"Source IP"_s};
    }
    {
        TChannelRec rec = WithTuner(255);
        rec.TunerData.DiSEqC = 12;
        rec.TunerData.Tone = 255;
        rec.TunerData.SatModulation = smSecondGeneration;
        QTest::newRow("tuner 255 and DiSEqC 12")
            << rec << QStringList{u"TunerType=Unknown"_s, u"DisEqC=10=unknown"_s, u"Tone=unknown"_s}
            << QStringList{};
    }
    {
        TChannelRec rec = WithTuner(ttSatellite);
        rec.TunerData.FEC = 10;
        rec.TunerData.Polarity = 4;
        rec.TunerData.DiSEqC = 255;
        QTest::newRow("satellite FEC 10, polarity 4, DiSEqC 255")
            << rec << QStringList{u"FEC=Unknown"_s, u"Polarity=Unknown"_s, u"DisEqC=10=unknown"_s}
            << QStringList{};
    }
    {
        TChannelRec rec = WithTuner(ttCable);
        rec.TunerData.Polarity = 6;
        QTest::newRow("cable modulation 6")
            << rec << QStringList{u"Modulation=Unknown"_s} << QStringList{};
    }
    {
        TChannelRec rec = WithTuner(ttTerrestrial);
        rec.TunerData.Polarity = 3;
        QTest::newRow("terrestrial bandwidth 3")
            << rec << QStringList{u"Bandwidth=0 MHz"_s} << QStringList{};
    }
    {
        // Every field at its top: the ID's fields overlap and the sum wraps around.
        TChannelRec rec = WithTuner(255);
        rec.TunerData.OrbitalPos = 0xFFFF;
        rec.TunerData.TransportStream_ID = 0xFFFF;
        rec.TunerData.Audio_PID = 0xFFFF;
        rec.TunerData.Service_ID = 0xFFFF;
        QTest::newRow("channel ID wraps around")
            << rec << QStringList{u"ID=4611686155866341375|"_s} << QStringList{};
    }
    {
        // A length byte past its field is shown as it stands.
        TChannelRec rec = ZeroRec();
        std::memset(&rec.Root, 0xFF, sizeof rec.Root);
        QString bytes = u"RootBytes: 255"_s;
        for (int i = 0; i < 25; ++i)
            bytes += u",255"_s;
        QTest::newRow("root bytes all 255") << rec << QStringList{bytes} << QStringList{};
    }
}

void TestChannelInfo::decodesOutOfRangeCodes() {
    QFETCH(TChannelRec, rec);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absentPrefixes);
    CheckLines(rec, present, absentPrefixes);
}

void TestChannelInfo::streamChannelLeavesOutTunerLines() {
    TChannelRec rec = WithTuner(ttStream);
    rec.TunerData.Frequency = 1;
    rec.TunerData.Symbolrate = 1;
    rec.TunerData.LNB_LOF = 1;
    rec.TunerData.Polarity = 1;
    rec.TunerData.FEC = 1;
    rec.TunerData.OrbitalPos = 5;
    QStringList lines = DescriptionLines(rec);
    QCOMPARE(lines.takeLast(), QString());
    // 39 lines, 3 more in the EPG block, 5 in the flags block, 3 in the modulation block.
    QCOMPARE(lines.size(), 39 + 3 + 5 + 3);
    QVERIFY(lines.contains(u"TunerType=Stream (URL, DVBViewer GE)"_s));
    QVERIFY(lines.contains(u"OrbitalPos=5"_s));
    const QStringList absent = {u"Frequency="_s, u"IP="_s,       u"Symbolrate="_s, u"Port="_s,
                                u"LNB_LOF="_s,   u"Source IP"_s, u"Polarity="_s,   u"Modulation="_s,
                                u"Bandwidth="_s, u"FEC="_s};
    for (const QString& line : lines)
        for (const QString& prefix : absent)
            QVERIFY2(!line.startsWith(prefix), qPrintable(line));
}

QTEST_GUILESS_MAIN(TestChannelInfo)
#include "tst_channelinfo.moc"

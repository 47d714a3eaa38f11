#include "UMakeList.h"

#include "channels/UChannelUtils.h"
#include "channels/UChannels.h"

#include <QHash>
#include <QPair>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

TMakeListOptions Options(int channels, quint32 seed = 1, int clashing = 0) {
    TMakeListOptions options;
    options.Channels = channels;
    options.Seed = seed;
    options.IptvClashing = clashing;
    return options;
}

std::unique_ptr<TChannels> Load(const QByteArray& image) {
    auto list = std::make_unique<TChannels>();
    list->LoadFromBytes(image, u"generated.dat"_s);
    return list;
}

QList<const TChannel*> MainChannels(const TChannels& list) {
    QList<const TChannel*> mains;
    for (const auto& channel : list.Channels()) {
        if (channel->IsMainChannel())
            mains << channel.get();
    }
    return mains;
}

bool HasScript(const QString& text, QChar::Script script) {
    for (QChar c : text) {
        if (c.script() == script)
            return true;
    }
    return false;
}

} // namespace

class TestMakeList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { SetNameCodePageProvider({}); }

    void listHasExactlyTheMainChannelsAskedFor_data();
    void listHasExactlyTheMainChannelsAskedFor();
    void subChannelsAreFurtherAudioTracksOfTheMainChannelBefore();
    void clashingIptvChannelsShareOneIdentityAsDifferentStreams_data();
    void clashingIptvChannelsShareOneIdentityAsDifferentStreams();
    void seedDecidesTheBytes();
    void writtenFilesLoadAsListAndDeletedChannels();
    void listMixesTunersKindsAndLongNames();
    void listIsMostlyButNotWhollyGrouped();
    void tuningFieldsAreThoseOfTheirTuner();
    void namesInOtherScriptsReadInTheirCodePage();
    void argumentsAreParsedOrRefused_data();
    void argumentsAreParsedOrRefused();
    void unusableOptionsAreRefused();
};

void TestMakeList::listHasExactlyTheMainChannelsAskedFor_data() {
    QTest::addColumn<int>("channels");
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("clashing");
    QTest::newRow("one") << 1 << 1u << 0;
    QTest::newRow("two") << 2 << 9u << 0;
    QTest::newRow("fewer than roots") << 5 << 3u << 0;
    QTest::newRow("one per root") << 9 << 4u << 0;
    QTest::newRow("everything clashes") << 4 << 5u << 4;
    QTest::newRow("clash larger than the IPTV share") << 30 << 6u << 25;
    QTest::newRow("hundreds") << 321 << 7u << 0;
    QTest::newRow("hundreds with a clash") << 321 << 7u << 12;
}

void TestMakeList::listHasExactlyTheMainChannelsAskedFor() {
    QFETCH(int, channels);
    QFETCH(quint32, seed);
    QFETCH(int, clashing);
    const auto list = Load(MakeChannelList(Options(channels, seed, clashing)));
    QCOMPARE(MainChannels(*list).size(), channels);
    // Every name was packed by the channel classes, so it fits its root and category.
    for (const auto& channel : list->Channels()) {
        QVERIFY2(channel->FreeBytes() >= 0, qPrintable(channel->Name()));
        QVERIFY(channel->NameBytes().size() <= MaxChannelNameBytes);
    }
}

void TestMakeList::subChannelsAreFurtherAudioTracksOfTheMainChannelBefore() {
    for (quint32 seed : {1u, 2u, 3u}) {
        const auto list = Load(MakeChannelList(Options(400, seed)));
        QVERIFY(list->Channel(0)->IsMainChannel());
        const TChannel* main = nullptr;
        int tracks = 0;
        int mainsWithTracks = 0;
        for (const auto& channel : list->Channels()) {
            if (channel->IsMainChannel()) {
                main = channel.get();
                tracks = 0;
                continue;
            }
            if (++tracks == 1)
                ++mainsWithTracks;
            QVERIFY(tracks <= 2);
            QCOMPARE(channel->EPGChannelID(), main->EPGChannelID());
            QCOMPARE(channel->NameBytes(), main->NameBytes());
            QCOMPARE(channel->IsVideo(), main->IsVideo());
            QVERIFY(channel->Language() != main->Language());
            QVERIFY(channel->Language().size() == 3);
            QVERIFY(AudioFormatOf(channel->Rec.TunerData.AVFormat) !=
                    AudioFormatOf(main->Rec.TunerData.AVFormat));
            QVERIFY(channel->Rec.TunerData.Audio_PID != main->Rec.TunerData.Audio_PID);
        }
        // About one main channel in five has further audio tracks.
        QVERIFY2(mainsWithTracks > 40 && mainsWithTracks < 130,
                 qPrintable(QString::number(mainsWithTracks)));
    }
}

void TestMakeList::clashingIptvChannelsShareOneIdentityAsDifferentStreams_data() {
    QTest::addColumn<int>("clashing");
    QTest::newRow("none") << 0;
    QTest::newRow("two") << 2;
    QTest::newRow("more than the IPTV share") << 60;
}

void TestMakeList::clashingIptvChannelsShareOneIdentityAsDifferentStreams() {
    QFETCH(int, clashing);
    const auto list = Load(MakeChannelList(Options(300, 11, clashing)));
    QHash<qint64, QList<const TChannel*>> byIdentity;
    int iptv = 0;
    for (const TChannel* channel : MainChannels(*list)) {
        byIdentity[channel->EPGChannelID()] << channel;
        iptv += channel->Tuner() == ttIPTV;
    }
    QVERIFY(iptv >= clashing);
    QList<const TChannel*> shared;
    for (const auto& group : std::as_const(byIdentity)) {
        if (group.size() > 1) {
            QVERIFY2(shared.isEmpty(), "more than one group of clashing channels");
            shared = group;
        }
    }
    QCOMPARE(shared.size(), clashing);
    QSet<QPair<quint32, quint32>> streams;
    for (const TChannel* channel : std::as_const(shared)) {
        QCOMPARE(channel->Tuner(), quint8(ttIPTV));
        streams.insert({channel->IPInt(), channel->IPPort()});
    }
    QCOMPARE(streams.size(), clashing);
}

void TestMakeList::seedDecidesTheBytes() {
    const QByteArray first = MakeChannelList(Options(500, 42, 6));
    QCOMPARE(MakeChannelList(Options(500, 42, 6)), first);
    QVERIFY(MakeChannelList(Options(500, 43, 6)) != first);
    QCOMPARE(MakeDeletedChannels(Options(500, 42)), MakeDeletedChannels(Options(500, 42)));
    QVERIFY(MakeDeletedChannels(Options(500, 42)) != MakeDeletedChannels(Options(500, 43)));

    // The bytes do not depend on the code page the user runs with.
    SetNameCodePageProvider([] { return 1251; });
    QCOMPARE(MakeChannelList(Options(500, 42, 6)), first);
}

void TestMakeList::writtenFilesLoadAsListAndDeletedChannels() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TMakeListOptions options = Options(120, 8);
    options.OutFile = dir.filePath(u"DVBViewer/channels.dat"_s);
    options.DeletedFile = dir.filePath(u"DVBViewer/channels.Odel"_s);
    WriteMadeLists(options);

    TChannels list;
    list.LoadFromFile(options.OutFile);
    QCOMPARE(list.ID(), u"B2C2"_s);
    QCOMPARE(MainChannels(list).size(), 120);
    QCOMPARE(list.ToBytes(), MakeChannelList(options));

    const int listed = list.Count();
    list.AddFromFileAsDeleted(options.DeletedFile);
    QVERIFY(list.Count() > listed);
    QVERIFY(list.Count() - listed < listed / 2);
    for (int i = listed; i < list.Count(); ++i)
        QCOMPARE(list.Channel(i)->State, csDeleted);
}

void TestMakeList::listMixesTunersKindsAndLongNames() {
    const auto list = Load(MakeChannelList(Options(60, 21)));
    QSet<quint8> tuners;
    QSet<QString> roots;
    int longNames = 0, tv = 0, radio = 0, encrypted = 0, free = 0, secondGeneration = 0;
    for (const TChannel* channel : MainChannels(*list)) {
        tuners.insert(channel->Tuner());
        roots.insert(channel->Root());
        longNames += channel->NameBytes().size() > ShortStringCapacity;
        (channel->IsVideo() ? tv : radio) += 1;
        (channel->IsEncrypted() ? encrypted : free) += 1;
        secondGeneration += channel->Tuner() == ttSatellite && channel->Modulation2();
    }
    QCOMPARE(tuners, (QSet<quint8>{ttCable, ttSatellite, ttTerrestrial, ttIPTV}));
    QVERIFY(roots.contains(u"Astra 19.2E"_s));
    QVERIFY(roots.contains(u"Hotbird 13.0E"_s));
    QVERIFY(roots.size() >= 6);
    QVERIFY(longNames > 0);
    QVERIFY(tv > radio && radio > 0);
    QVERIFY(encrypted > 0 && free > 0);
    QVERIFY(secondGeneration > 0);

    // Without a clash asked for, every main channel has an identity of its own.
    QSet<qint64> identities;
    for (const TChannel* channel : MainChannels(*list))
        identities.insert(channel->EPGChannelID());
    QCOMPARE(identities.size(), 60);
}

void TestMakeList::listIsMostlyButNotWhollyGrouped() {
    for (int channels : {50, 2000}) {
        const auto list = Load(MakeChannelList(Options(channels, 5)));
        QSet<QString> roots;
        int changes = 0;
        QString previous;
        for (const TChannel* channel : MainChannels(*list)) {
            const QString key = channel->Root() + u'\n' + channel->Category();
            roots.insert(channel->Root());
            changes += key != previous;
            previous = key;
        }
        QSet<QString> groups;
        for (const TChannel* channel : MainChannels(*list))
            groups.insert(channel->Root() + u'\n' + channel->Category());
        QVERIFY2(changes > groups.size(), qPrintable(QString::number(changes)));
        QVERIFY2(changes < groups.size() + channels / 20 + 3, qPrintable(QString::number(changes)));
    }
}

void TestMakeList::tuningFieldsAreThoseOfTheirTuner() {
    const auto list = Load(MakeChannelList(Options(800, 13)));
    for (const auto& channel : list->Channels()) {
        const TTuner& t = channel->Rec.TunerData;
        const QByteArray what = channel->Name().toUtf8();
        QVERIFY2(t.Service_ID != 0 && t.TransportStream_ID != 0 && t.OriginalNetwork_ID != 0, what);
        QVERIFY2(t.Audio_PID != 0 && t.PMT_PID != 0, what);
        QCOMPARE(t.Video_PID != 0, channel->IsVideo());
        QCOMPARE(channel->Rec.Encrypted, quint8(channel->IsEncrypted()));
        switch (t.TunerType) {
        case ttSatellite:
            QVERIFY2(t.Frequency >= 10700 && t.Frequency <= 12750, what); // MHz
            QVERIFY2(t.Symbolrate >= 22000 && t.Symbolrate <= 30000, what);
            QVERIFY2(t.Polarity <= 1, what);
            QVERIFY2(t.OrbitalPos > 0, what);
            QCOMPARE(t.Tone, quint8(t.Frequency >= 11700));
            QCOMPARE(t.LNB_LOF, quint16(t.Frequency >= 11700 ? 10600 : 9750));
            break;
        case ttCable:
            QVERIFY2(t.Frequency >= 100000 && t.Frequency <= 870000, what); // kHz
            QVERIFY2(t.Symbolrate >= 6800 && t.Symbolrate <= 6900, what);
            QVERIFY2(t.Polarity == 3 || t.Polarity == 5, what);
            QCOMPARE(t.OrbitalPos, quint16(0));
            break;
        case ttTerrestrial:
            QVERIFY2(t.Frequency >= 470000 && t.Frequency <= 790000, what);
            QCOMPARE(t.Polarity, quint8(2));
            QCOMPARE(t.Substream != 0, channel->Modulation2());
            break;
        case ttIPTV:
            QVERIFY2(channel->IPText().startsWith(u"239."_s), what);
            QVERIFY2(t.Symbolrate > 0 && t.Symbolrate < 65536, what);
            QCOMPARE(t.LNB_LOF, quint16(0));
            break;
        default:
            QFAIL(what);
        }
    }
}

void TestMakeList::namesInOtherScriptsReadInTheirCodePage() {
    const QByteArray image = MakeChannelList(Options(200, 17));
    const auto list = Load(image);
    // Name and category of each channel of the root, read in the code page.
    auto namesIn = [&](int codePage, const QString& root) {
        SetNameCodePageProvider([codePage] { return codePage; });
        QList<QStringList> names;
        for (const auto& channel : list->Channels()) {
            if (channel->Root() == root)
                names.append({channel->Name(), channel->Category()});
        }
        return names;
    };
    auto countIn = [](const QList<QStringList>& names, int field, QChar::Script script) {
        return std::count_if(names.begin(), names.end(),
                             [&](const QStringList& n) { return HasScript(n[field], script); });
    };
    const auto russian = namesIn(1251, u"Eutelsat 36.0E"_s);
    const auto greek = namesIn(1253, u"Hellas Sat 39.0E"_s);
    const auto german = namesIn(1252, u"Astra 19.2E"_s);
    QVERIFY(!russian.isEmpty() && !greek.isEmpty() && !german.isEmpty());
    QCOMPARE(countIn(russian, 1, QChar::Script_Cyrillic), russian.size());
    QVERIFY(countIn(russian, 0, QChar::Script_Cyrillic) > 0);
    QVERIFY(countIn(greek, 0, QChar::Script_Greek) > 0);
    QVERIFY(german.contains(QStringList{u"Das Erste"_s, u"ARD"_s}));
    // Read in another code page the same bytes are no Cyrillic text.
    const auto misread = namesIn(1252, u"Eutelsat 36.0E"_s);
    QCOMPARE(countIn(misread, 0, QChar::Script_Cyrillic) +
                 countIn(misread, 1, QChar::Script_Cyrillic),
             0);
}

void TestMakeList::argumentsAreParsedOrRefused_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("channels");
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("clashing");
    QTest::addColumn<QString>("deleted");
    const QString p = u"orvane-make-list"_s;
    QTest::newRow("all options")
        << QStringList{p,           u"--out"_s,           u"a.dat"_s,      u"--channels"_s,
                       u"20"_s,     u"--seed"_s,          u"4000000000"_s, u"--with-deleted"_s,
                       u"a.Odel"_s, u"--iptv-clashing"_s, u"3"_s}
        << true << 20 << 4000000000u << 3 << u"a.Odel"_s;
    QTest::newRow("defaults") << QStringList{p, u"--out=a.dat"_s, u"--channels=7"_s} << true << 7
                              << 1u << 0 << QString();
    QTest::newRow("no out") << QStringList{p, u"--channels"_s, u"7"_s} << false << 0 << 0u << 0
                            << QString();
    QTest::newRow("no count") << QStringList{p, u"--out"_s, u"a.dat"_s} << false << 0 << 0u << 0
                              << QString();
    QTest::newRow("zero channels")
        << QStringList{p, u"--out"_s, u"a.dat"_s, u"--channels"_s, u"0"_s} << false << 0 << 0u << 0
        << QString();
    QTest::newRow("count not a number")
        << QStringList{p, u"--out"_s, u"a.dat"_s, u"--channels"_s, u"many"_s} << false << 0 << 0u
        << 0 << QString();
    QTest::newRow("negative seed")
        << QStringList{p, u"--out"_s, u"a.dat"_s, u"--channels"_s, u"5"_s, u"--seed"_s, u"-1"_s}
        << false << 0 << 0u << 0 << QString();
    QTest::newRow("one clashing channel")
        << QStringList{p,      u"--out"_s,           u"a.dat"_s, u"--channels"_s,
                       u"5"_s, u"--iptv-clashing"_s, u"1"_s}
        << false << 0 << 0u << 0 << QString();
    QTest::newRow("more clashing than channels")
        << QStringList{p,      u"--out"_s,           u"a.dat"_s, u"--channels"_s,
                       u"5"_s, u"--iptv-clashing"_s, u"6"_s}
        << false << 0 << 0u << 0 << QString();
    QTest::newRow("unknown option")
        << QStringList{p, u"--out"_s, u"a.dat"_s, u"--channels"_s, u"5"_s, u"--colour"_s} << false
        << 0 << 0u << 0 << QString();
    QTest::newRow("stray argument")
        << QStringList{p, u"--out"_s, u"a.dat"_s, u"--channels"_s, u"5"_s, u"b.dat"_s} << false << 0
        << 0u << 0 << QString();
}

void TestMakeList::argumentsAreParsedOrRefused() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, accepted);
    TMakeListOptions options;
    options.Channels = -5;
    const QString error = ParseMakeListArguments(arguments, options);
    QCOMPARE(error.isEmpty(), accepted);
    if (!accepted) {
        QCOMPARE(options.Channels, -5); // left untouched
        return;
    }
    QTEST(options.Channels, "channels");
    QTEST(options.Seed, "seed");
    QTEST(options.IptvClashing, "clashing");
    QTEST(options.DeletedFile, "deleted");
    QCOMPARE(options.OutFile, u"a.dat"_s);
}

void TestMakeList::unusableOptionsAreRefused() {
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, MakeChannelList(Options(0)));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, MakeChannelList(Options(5, 1, 6)));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, MakeDeletedChannels(Options(5, 1, 1)));
}

QTEST_GUILESS_MAIN(TestMakeList)
#include "tst_makelist.moc"

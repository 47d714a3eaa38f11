#include "channels/UChannelUtils.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/TestSupport.h"
#include "platform/UAtomicFile.h"
#include "platform/UOrvaneError.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

QString ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EOrvaneError& e) {
        return e.ClassName() + u": "_s + e.Message();
    }
    return {};
}

TChannelRec Main(const char* name, quint16 sid = 1) {
    return TChannelRecBuilder()
        .NameBytes(name)
        .RootBytes("Astra 19.2E")
        .TunerType(ttSatellite)
        .SID(sid);
}

TChannelRec Sub(const char* name, quint16 sid = 1) {
    return TChannelRecBuilder().NameBytes(name).TunerType(ttSatellite).SID(sid).SubChannel();
}

// A record in which every byte that the program does not interpret is set, plus a name
// whose pieces use all three fields.
TChannelRec EverythingSet() {
    TChannelRecBuilder b;
    b.RootBytes("Sat").CategoryBytes("Cat").NameBytes(QByteArray(60, 'n'));
    b.Flags(0x7F).SatModulation(0xFF).Language("eng").EPGFlags(0xF8);
    b.Byte(2, 0x11);  // SatModulationSystem
    b.Byte(17, 0x22); // Reserved1
    b.Byte(22, 0x33); // Reserved3
    b.Byte(23, 0x44);
    b.Byte(25, 0x55);  // Reserved4
    b.Byte(30, 0x66);  // DiSEqCExt
    b.Byte(130, 0x77); // Encrypted
    b.Byte(131, 0x88); // Reserved10
    return b;
}

QStringList Names(const TChannels& list) {
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names << list.Channel(i)->Name();
    return names;
}

} // namespace

class TestChannelList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void loadThenSaveGivesIdenticalBytes();
    void damagedNameBytesSurviveLoadAndSave();
    void saveByIndicesWritesThoseInThatOrder();
    void malformedFiles_data();
    void malformedFiles();
    void longFilesReadAsTheirWholeImage_data();
    void longFilesReadAsTheirWholeImage();
    void missingFileRaisesOpenError();
    void wrongIdKeepsRefusedHeaderOnLoad();
    void appendKeepsTheListsHeader();
    void takeContentsMovesHeaderAndChannels();
    void deletedFileAddsInDeletedState();
    void failedSaveKeepsOldFile();

    void numbering();
    void subChannelCount();
    void makeMainAudioTrack();
    void swapAudioTracks();
    void setNid();
    void ownership();

private:
    QTemporaryDir FDir;
    QString Path(const QString& name) const { return FDir.filePath(name); }
};

void TestChannelList::init() {
    SetNameCodePageProvider([] { return 1252; });
    QVERIFY(FDir.isValid());
}

void TestChannelList::cleanup() {
    SetNameCodePageProvider({});
    SetNextWriteFailureAfter(-1);
}

void TestChannelList::loadThenSaveGivesIdenticalBytes() {
    const QByteArray header = MakeChannelHeader("B2C2", 1, 33);
    const QByteArray image = MakeChannelFile(
        {Main("Das Erste"), EverythingSet(), Sub("Das Erste AC3"), Main("ZDF", 2)}, header);
    QVERIFY(WriteWholeFile(Path(u"in.dat"_s), image));
    TChannels list;
    list.LoadFromFile(Path(u"in.dat"_s));
    QCOMPARE(list.Count(), 4);
    QCOMPARE(list.ID(), u"B2C2"_s);
    QCOMPARE(list.Version(), u"1.33"_s);
    QCOMPARE(list.Channel(1)->Name(), QString(60, u'n'));
    list.SaveToFile(Path(u"out.dat"_s));
    QCOMPARE(ReadWholeFile(Path(u"out.dat"_s)), image);
    // Saving over the file that was read works as well.
    list.SaveToFile(Path(u"in.dat"_s));
    QCOMPARE(ReadWholeFile(Path(u"in.dat"_s)), image);
}

void TestChannelList::damagedNameBytesSurviveLoadAndSave() {
    TChannelRecBuilder b;
    b.RootBytes("R").NameBytes("name");
    b.Byte(52, 255).Byte(78, 200).Byte(104, 26).Byte(54, 255).Byte(129, 0x42);
    const QByteArray image = MakeChannelFile({b});
    TChannels list;
    list.LoadFromBytes(image, u"damaged.dat"_s);
    QCOMPARE(list.Channel(0)->Root().size(), 25);
    QCOMPARE(list.Channel(0)->NameBytes().size(), 25);
    QCOMPARE(list.ToBytes(), image);
}

void TestChannelList::saveByIndicesWritesThoseInThatOrder() {
    TChannels list;
    list.LoadFromBytes(MakeChannelFile({Main("A"), Main("B"), Main("C")}), u"x"_s);
    list.SaveToFile(Path(u"part.dat"_s), {2, 0});
    QCOMPARE(ReadWholeFile(Path(u"part.dat"_s)), MakeChannelFile({Main("C"), Main("A")}));
    QVERIFY(ErrorOf([&] {
                list.SaveToFile(Path(u"bad.dat"_s), {0, 3});
            }).startsWith(u"EChannelException"_s));
    QVERIFY(!QFile::exists(Path(u"bad.dat"_s)));
}

void TestChannelList::malformedFiles_data() {
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QString>("load");
    QTest::addColumn<QString>("append");
    QTest::addColumn<QString>("deleted");
    QTest::addColumn<int>("added");

    const QString readError = u"EReadError: Stream read error"_s;
    const QString noChannels = u"EChannelException: No Channels in file"_s;
    const QByteArray good = MakeChannelHeader();
    const QByteArray three = MakeChannelFile({Main("A"), Main("B"), Main("C")});

    QTest::newRow("empty file") << QByteArray() << readError << readError << readError << 0;
    QTest::newRow("short header") << good.left(6) << readError << readError << readError << 0;
    QTest::newRow("header only") << good << noChannels << noChannels << QString() << 0;
    QTest::newRow("ID B2C3") << MakeChannelFile({Main("A")}, MakeChannelHeader("B2C3"))
                             << u"EChannelException: Wrong File ID: B2C3, correct is: B2C2"_s
                             << u"EChannelException: Wrong File ID: B2C3, correct is: B2C2"_s
                             << QString() << 0;
    QTest::newRow("ID B2 and zeros")
        << MakeChannelFile({Main("A")}, MakeChannelHeader(QByteArray("B2\0\0", 4)))
        << u"EChannelException: Wrong File ID: B2, correct is: B2C2"_s
        << u"EChannelException: Wrong File ID: B2, correct is: B2C2"_s << QString() << 0;
    QTest::newRow("ID in lower case")
        << MakeChannelFile({Main("A")}, MakeChannelHeader("b2c2"))
        << u"EChannelException: Wrong File ID: b2c2, correct is: B2C2"_s
        << u"EChannelException: Wrong File ID: b2c2, correct is: B2C2"_s << QString() << 0;
    QTest::newRow("truncated last record")
        << three + QByteArray(50, 'x') << readError << readError << readError << 3;
    QTest::newRow("one incomplete record")
        << good + QByteArray(131, 'x') << readError << readError << readError << 0;
    // Length and count bytes of 255 are clamped on reading, never refused.
    TChannelRecBuilder damaged;
    damaged.Byte(52, 255).Byte(53, 255).Byte(78, 255).Byte(104, 255).Byte(105, 255);
    QTest::newRow("length and count bytes of 255")
        << MakeChannelFile({damaged}) << QString() << QString() << QString() << 1;
}

void TestChannelList::malformedFiles() {
    QFETCH(QByteArray, image);
    QFETCH(QString, load);
    QFETCH(QString, append);
    QFETCH(QString, deleted);
    QFETCH(int, added);
    const QString file = Path(u"bad.dat"_s);
    QVERIFY(WriteWholeFile(file, image));
    // The good channel already in the list must stay whatever the file does.
    const auto fresh = [] {
        auto list = std::make_unique<TChannels>();
        list->Add(TChannelRecBuilder().NameBytes("kept").Channel());
        return list;
    };

    auto list = fresh();
    QCOMPARE(ErrorOf([&] { list->LoadFromFile(file); }), load);
    QCOMPARE(list->Count(), 1 + added);
    QCOMPARE(list->Channel(0)->Name(), u"kept"_s);

    list = fresh();
    QCOMPARE(ErrorOf([&] { list->AppendFromFile(file, true); }), append);
    QCOMPARE(list->Count(), 1 + added);
    for (int i = 1; i < list->Count(); ++i)
        QVERIFY(list->Channel(i)->IsChecked);

    list = fresh();
    QCOMPARE(ErrorOf([&] { list->AddFromFileAsDeleted(file); }), deleted);
    // A deleted-channels file is read without looking at its ID.
    const int deletedAdded = image.size() < 7 ? 0 : int((image.size() - 7) / 132);
    QCOMPARE(list->Count(), 1 + deletedAdded);
    for (int i = 1; i < list->Count(); ++i)
        QCOMPARE(list->Channel(i)->State, csDeleted);
}

// Files are read a piece at a time; around the pieces' borders every record must arrive once,
// in order, and a short last record must count as in the whole image.
void TestChannelList::longFilesReadAsTheirWholeImage_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("tail");
    for (int records : {4095, 4096, 4097, 8192, 9000})
        for (int tail : {0, 1, 131})
            QTest::addRow("%d records, %d bytes more", records, tail) << records << tail;
}

void TestChannelList::longFilesReadAsTheirWholeImage() {
    QFETCH(int, records);
    QFETCH(int, tail);
    QList<TChannelRec> recs;
    for (int i = 0; i < records; ++i)
        recs << TChannelRecBuilder()
                    .NameBytes("c" + QByteArray::number(i))
                    .SID(quint16(i))
                    .TunerType(ttSatellite);
    const QByteArray image = MakeChannelFile(recs) + QByteArray(tail, 'x');
    const QString file = Path(u"long.dat"_s);
    QVERIFY(WriteWholeFile(file, image));

    TChannels fromFile;
    TChannels fromImage;
    const QString fileError = ErrorOf([&] { fromFile.LoadFromFile(file); });
    const QString imageError = ErrorOf([&] { fromImage.LoadFromBytes(image, file); });
    QCOMPARE(fileError, imageError);
    QCOMPARE(fileError.isEmpty(), tail == 0);
    QCOMPARE(fromFile.Count(), records);
    QCOMPARE(fromFile.ToBytes(), fromImage.ToBytes());
    QCOMPARE(fromFile.Channel(records - 1)->SID(), quint16(records - 1));
}

void TestChannelList::missingFileRaisesOpenError() {
    TChannels list;
    const QString error = ErrorOf([&] { list.LoadFromFile(Path(u"missing.dat"_s)); });
    QVERIFY2(error.startsWith(u"EFOpenError: "_s), qPrintable(error));
    QVERIFY2(error.contains(u"missing.dat"_s), qPrintable(error));
    QCOMPARE(list.Count(), 0);
}

void TestChannelList::wrongIdKeepsRefusedHeaderOnLoad() {
    TChannels list;
    QCOMPARE(list.ID(), QString());
    QCOMPARE(list.Version(), u"0.0"_s);
    QVERIFY(!ErrorOf([&] {
                 list.LoadFromBytes(MakeChannelFile({Main("A")}, MakeChannelHeader("XYZW", 2, 5)),
                                    u"x"_s);
             }).isEmpty());
    QCOMPARE(list.ID(), u"XYZW"_s);
    QCOMPARE(list.Version(), u"2.5"_s);
}

void TestChannelList::takeContentsMovesHeaderAndChannels() {
    TChannels list;
    list.LoadFromBytes(
        MakeChannelFile({Main("Old"), Main("Older")}, MakeChannelHeader("B2C2", 1, 1)), u"x"_s);
    TChannels read;
    const QByteArray image =
        MakeChannelFile({Main("A"), Sub("A2"), Main("B")}, MakeChannelHeader("B2C2", 3, 7));
    read.LoadFromBytes(image, u"y"_s);
    const TChannel* first = read.Channel(0);

    list.TakeContentsOf(read);
    QCOMPARE(Names(list), QStringList({u"A"_s, u"A2"_s, u"B"_s}));
    QCOMPARE(list.Version(), u"3.7"_s);
    // The very channels move: nothing is parsed or copied again.
    QCOMPARE(list.Channel(0), first);
    QCOMPARE(list.ToBytes(), image);
    QCOMPARE(list.GetSubChannelCount(list.Channel(0)), 1);
    QCOMPARE(read.Count(), 0);
}

void TestChannelList::appendKeepsTheListsHeader() {
    TChannels list;
    list.LoadFromBytes(MakeChannelFile({Main("A")}, MakeChannelHeader("B2C2", 1, 1)), u"x"_s);
    list.AppendFromBytes(MakeChannelFile({Main("B"), Sub("B2")}, MakeChannelHeader("B2C2", 9, 9)),
                         u"y"_s, false);
    QCOMPARE(list.Version(), u"1.1"_s);
    QCOMPARE(Names(list), QStringList({u"A"_s, u"B"_s, u"B2"_s}));
    QVERIFY(!list.Channel(1)->IsChecked);
    QCOMPARE(list.ToBytes().left(7), MakeChannelHeader("B2C2", 1, 1));

    QCOMPARE(ErrorOf([&] {
                 list.AppendFromBytes(MakeChannelFile({Main("C")}, MakeChannelHeader("B2C3")),
                                      u"z"_s, true);
             }),
             u"EChannelException: Wrong File ID: B2C3, correct is: B2C2"_s);
    QCOMPARE(list.Count(), 3);
}

void TestChannelList::deletedFileAddsInDeletedState() {
    TChannels list;
    list.LoadFromBytes(MakeChannelFile({Main("A")}), u"x"_s);
    list.AddFromBytesAsDeleted(MakeChannelHeader(), u"empty.Odel"_s);
    QCOMPARE(list.Count(), 1);
    list.AddFromBytesAsDeleted(MakeChannelFile({Main("Old")}, MakeChannelHeader("JUNK", 7, 7)),
                               u"x.Odel"_s);
    QCOMPARE(list.Count(), 2);
    QCOMPARE(list.Channel(1)->State, csDeleted);
    QCOMPARE(list.Channel(0)->State, csNormal);
    QCOMPARE(list.ID(), u"B2C2"_s);
}

void TestChannelList::failedSaveKeepsOldFile() {
    TChannels list;
    list.LoadFromBytes(MakeChannelFile({Main("A"), Main("B")}), u"x"_s);
    const QString file = Path(u"failing/keep.dat"_s);
    QVERIFY(WriteWholeFile(file, "old contents"));
    SetNextWriteFailureAfter(100);
    const QString error = ErrorOf([&] { list.SaveToFile(file); });
    QVERIFY2(error.startsWith(u"EWriteError: "_s), qPrintable(error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(file)), qPrintable(error));
    QCOMPARE(ReadWholeFile(file), QByteArray("old contents"));
    QCOMPARE(QDir(Path(u"failing"_s)).entryList(QDir::Files | QDir::Hidden),
             QStringList({u"keep.dat"_s}));
}

void TestChannelList::numbering() {
    // Main channels 0..4, the fourth with two sub-channels; a deleted main channel counts.
    TChannels list;
    list.LoadFromBytes(MakeChannelFile({Main("m0"), Sub("s0"), Main("m1"), Main("m2"), Main("m3"),
                                        Main("m4"), Sub("s4a"), Sub("s4b")}),
                       u"x"_s);
    list.Channel(2)->State = csDeleted;
    QCOMPARE(list.GetChannelNo(list.Channel(7)), 4);
    QCOMPARE(list.GetChannelNo(list.Channel(1)), 0);
    QCOMPARE(list.GetChannelNo(list.Channel(3)), 2);
    QCOMPARE(list.GetChannelNo(nullptr), -1);
    TChannel stranger;
    QCOMPARE(list.GetChannelNo(&stranger), -1);
    QCOMPARE(list.GetChannelByNo(0), list.Channel(0));
    QCOMPARE(list.GetChannelByNo(1), list.Channel(2));
    QCOMPARE(list.GetChannelByNo(4), list.Channel(5));
    QCOMPARE(list.GetChannelByNo(5), nullptr);
    QCOMPARE(list.GetChannelByNo(list.Count()), nullptr);
    QCOMPARE(list.GetChannelByNo(-1), nullptr);
    QCOMPARE(TChannels().GetChannelByNo(0), nullptr);
    QCOMPARE(TChannels().GetChannelNo(list.Channel(0)), -1);
    QCOMPARE(list.Channel(-1), nullptr);
    QCOMPARE(list.Channel(list.Count()), nullptr);
}

void TestChannelList::subChannelCount() {
    TChannels list;
    list.LoadFromBytes(
        MakeChannelFile({Main("a"), Sub("a1"), Sub("a2"), Main("b"), Main("c"), Sub("c1")}),
        u"x"_s);
    QCOMPARE(list.GetSubChannelCount(list.Channel(0)), 2);
    QCOMPARE(list.GetSubChannelCount(list.Channel(1)), 0);
    QCOMPARE(list.GetSubChannelCount(list.Channel(3)), 0);
    QCOMPARE(list.GetSubChannelCount(list.Channel(4)), 1);
    QCOMPARE(list.GetSubChannelCount(list.Channel(5)), 0);
    QCOMPARE(list.GetSubChannelCount(nullptr), 0);
    const QList<int> counts = {2, 0, 0, 0, 1, 0};
    for (int i = 0; i < list.Count(); ++i)
        QCOMPARE(list.GetSubChannelCountAt(i), counts[i]);
    QCOMPARE(list.GetSubChannelCountAt(-1), 0);
    QCOMPARE(list.GetSubChannelCountAt(list.Count()), 0);
    TChannel stranger;
    QCOMPARE(list.GetSubChannelCount(&stranger), 0);
}

void TestChannelList::makeMainAudioTrack() {
    TChannels list;
    list.LoadFromBytes(
        MakeChannelFile({Main("before"), Main("main", 7), Sub("sub", 8), Main("after")}), u"x"_s);
    TChannel* main = list.Channel(1);
    TChannel* sub = list.Channel(2);
    main->IsChecked = true;
    main->IsBookMarked = true;
    main->State = csRecentlyDeleted;
    sub->IsChecked = false;
    sub->State = csNormal;
    const quint8 subFlags = sub->Rec.TunerData.Flags;

    list.MakeMainAudioTrack(sub, main);
    QCOMPARE(Names(list), QStringList({u"before"_s, u"sub"_s, u"main"_s, u"after"_s}));
    QVERIFY(sub->IsMainChannel());
    QVERIFY(sub->IsChecked);
    QVERIFY(sub->IsBookMarked);
    QCOMPARE(sub->State, csRecentlyDeleted);
    QVERIFY(main->IsSubChannel());
    QVERIFY(!main->IsChecked);
    QVERIFY(!main->IsBookMarked);
    QCOMPARE(main->State, csNormal);
    QCOMPARE(sub->SID(), quint16(8));
    QCOMPARE(sub->Rec.TunerData.Flags, quint8(subFlags & ~flSubChannel));
    QCOMPARE(list.GetSubChannelCount(sub), 1);
    QCOMPARE(list.GetChannelNo(main), 1);
}

void TestChannelList::swapAudioTracks() {
    TChannels list;
    list.LoadFromBytes(MakeChannelFile({Main("m"), Sub("s1"), Sub("s2")}), u"x"_s);
    TChannel* s1 = list.Channel(1);
    s1->IsChecked = true;
    const QByteArray before = s1->ToBytes();
    list.SwapAudioTracks(s1, list.Channel(2));
    QCOMPARE(Names(list), QStringList({u"m"_s, u"s2"_s, u"s1"_s}));
    QCOMPARE(s1->ToBytes(), before);
    QVERIFY(s1->IsChecked);
}

void TestChannelList::setNid() {
    TChannels list;
    list.LoadFromBytes(MakeChannelFile({Main("a"), Sub("a1"), Sub("a2"), Main("b"), Main("c")}),
                       u"x"_s);
    list.SetNID(list.Channel(0), 4711);
    list.SetNID(list.Channel(3), 99);
    const QList<quint16> expected = {4711, 4711, 4711, 99, 0};
    for (int i = 0; i < list.Count(); ++i)
        QCOMPARE(list.Channel(i)->NID(), expected[i]);
}

void TestChannelList::ownership() {
    TChannels list;
    TChannel* a = list.Add(TChannelRecBuilder().NameBytes("a").Channel());
    TChannel* b = list.Add(TChannelRecBuilder().NameBytes("b").Channel());
    list.Add(TChannelRecBuilder().NameBytes("c").Channel());
    QCOMPARE(list.IndexOf(b), 1);
    list.Remove(b);
    QCOMPARE(Names(list), QStringList({u"a"_s, u"c"_s}));
    list.Delete(0);
    QCOMPARE(Names(list), QStringList({u"c"_s}));
    QCOMPARE(list.IndexOf(a), -1);
    QVERIFY(!ErrorOf([&] { list.Delete(5); }).isEmpty());
    list.ClearChannels();
    QCOMPARE(list.Count(), 0);
}

QTEST_GUILESS_MAIN(TestChannelList)
#include "tst_channellist.moc"

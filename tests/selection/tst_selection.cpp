#include "channels/UChannelInfo.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "main/UChannelTreeModel.h"
#include "selection/UCategoryStructure.h"
#include "selection/UJumps.h"
#include "selection/UPropertyChecks.h"
#include "selection/USearchMatch.h"

#include <QSignalSpy>
#include <QTest>
#include <random>

namespace {

// The names of the ticked top-level nodes, in tree order, joined by blanks.
QString Ticked(const TChannelTreeModel& model) {
    QStringList names;
    for (int row = 0; row < model.TopCount(); ++row)
        if (model.IsNodeChecked(row))
            names.append(model.ChannelAt(row)->Name());
    return names.join(QLatin1Char(' '));
}

void Tick(TChannelTreeModel& model, const QString& names) {
    const QStringList wanted = names.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int row = 0; row < model.TopCount(); ++row)
        if (wanted.contains(model.ChannelAt(row)->Name()))
            model.CheckNode(row);
}

quint64 Bits(std::initializer_list<TChannelProperty> properties) {
    quint64 bits = 0;
    for (TChannelProperty p : properties)
        bits |= PropertyBit(p);
    return bits;
}

// Channels that differ in one property at a time, so that every test names the channel it
// expects and every other channel shows when a test ticks too much.
void FillPropertyList(TChannels& list) {
    list.Add(TChannelRecBuilder()
                 .Name(QStringLiteral("SatMpeg2"))
                 .TunerType(1)
                 .Video()
                 .VideoFormat(0)
                 .AudioFormat(0)
                 .Speakers(0)
                 .Language("deu")
                 .Channel());
    list.Add(TChannelRecBuilder()
                 .Name(QStringLiteral("CabH264"))
                 .TunerType(0)
                 .Video()
                 .VideoFormat(1)
                 .AudioFormat(0)
                 .Speakers(0)
                 .Language("DEU")
                 .Channel());
    // Its main track is MPEG on the left speaker; its further track is AC3, stereo, French.
    list.Add(TChannelRecBuilder()
                 .Name(QStringLiteral("CabAc3Track"))
                 .TunerType(0)
                 .Video()
                 .VideoFormat(0)
                 .AudioFormat(0)
                 .Speakers(1)
                 .Language("eng")
                 .Channel());
    list.Add(TChannelRecBuilder()
                 .Name(QStringLiteral("CabAc3Track-fra"))
                 .SubChannel()
                 .TunerType(0)
                 .Video()
                 .AudioFormat(1)
                 .Speakers(0)
                 .Language("fra")
                 .Channel());
    // A radio channel whose video format field says H.264 all the same.
    list.Add(TChannelRecBuilder()
                 .Name(QStringLiteral("RadioH264Field"))
                 .TunerType(2)
                 .Video(false)
                 .VideoFormat(1)
                 .AudioFormat(0)
                 .Speakers(2)
                 .Channel());
    list.Add(TChannelRecBuilder()
                 .Name(QStringLiteral("TerrNoLang"))
                 .TunerType(2)
                 .Video()
                 .VideoFormat(2)
                 .AudioFormat(2)
                 .Speakers(1)
                 .Channel());
}

std::unique_ptr<TChannel> Named(const QString& root, const QString& category, const QString& name) {
    return TChannelRecBuilder().Root(root).Category(category).Name(name).Video().Channel();
}

} // namespace

class TestSelection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void propertyChecksTickTheUnionOfTheTickedProperties_data();
    void propertyChecksTickTheUnionOfTheTickedProperties();
    void propertyChecksChangeTheTreeInOneSignal();
    void categoryStructureMergesCaseVariantsAsFirstMet();
    void categoryChecksTouchOnlyTheChosenRoot_data();
    void categoryChecksTouchOnlyTheChosenRoot();
    void jumpsStopAtTheEndsWithoutWrapping();
    void jumpAvailabilityAgreesWithEveryJump();
    void jumpAvailabilityFollowsChangesOnLongLists();
    void searchContainsFoldsOnlyAsciiLetters_data();
    void searchContainsFoldsOnlyAsciiLetters();
    void searchStepsNeedEveryFieldAndDoNotWrap();
};

void TestSelection::propertyChecksTickTheUnionOfTheTickedProperties_data() {
    QTest::addColumn<quint64>("checks");
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("check");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("satellite or H.264, not only both")
        << Bits({cpSatellite, cpVideoH264}) << QString() << true << QString()
        << QStringLiteral("SatMpeg2 CabH264");
    QTest::newRow("H.264 never a radio channel")
        << Bits({cpVideoH264}) << QString() << true << QString() << QStringLiteral("CabH264");
    QTest::newRow("AC3 found in a further audio track")
        << Bits({cpAudioAC3}) << QString() << true << QString() << QStringLiteral("CabAc3Track");
    QTest::newRow("speakers ignore further audio tracks")
        << Bits({cpSpeakersStereo}) << QString() << true << QString()
        << QStringLiteral("SatMpeg2 CabH264");
    QTest::newRow("language ignores the case of a to z")
        << Bits({cpLanguage}) << QStringLiteral("Deu") << true << QString()
        << QStringLiteral("SatMpeg2 CabH264");
    QTest::newRow("language found in a further audio track")
        << Bits({cpLanguage}) << QStringLiteral("FRA") << true << QString()
        << QStringLiteral("CabAc3Track");
    QTest::newRow("empty language box finds channels without a code")
        << Bits({cpLanguage}) << QString() << true << QString()
        << QStringLiteral("RadioH264Field TerrNoLang");
    QTest::newRow("language and a property are or-ed")
        << Bits({cpLanguage, cpTerrestrial}) << QStringLiteral("eng") << true << QString()
        << QStringLiteral("CabAc3Track RadioH264Field TerrNoLang");
    QTest::newRow("uncheck TV leaves radio ticked")
        << Bits({cpTV}) << QString() << false
        << QStringLiteral("SatMpeg2 CabH264 CabAc3Track RadioH264Field TerrNoLang")
        << QStringLiteral("RadioH264Field");
    QTest::newRow("check keeps ticks of channels that do not match")
        << Bits({cpCable}) << QString() << true << QStringLiteral("TerrNoLang")
        << QStringLiteral("CabH264 CabAc3Track TerrNoLang");
    QTest::newRow("empty set does nothing")
        << quint64(0) << QString() << false << QStringLiteral("SatMpeg2 TerrNoLang")
        << QStringLiteral("SatMpeg2 TerrNoLang");
}

void TestSelection::propertyChecksTickTheUnionOfTheTickedProperties() {
    QFETCH(quint64, checks);
    QFETCH(QString, language);
    QFETCH(bool, check);
    QFETCH(QString, before);
    QFETCH(QString, after);

    TChannels list;
    FillPropertyList(list);
    TChannelTreeModel model;
    model.DisplayTreeView(list);
    QCOMPARE(model.TopCount(), 5);
    Tick(model, before);

    ApplyPropertyChecks(model, checks, language, check);

    QCOMPARE(Ticked(model), after);
    // The channels' own flags and the count follow the nodes.
    int ticked = 0;
    for (int row = 0; row < model.TopCount(); ++row) {
        QCOMPARE(model.ChannelAt(row)->IsChecked, model.IsNodeChecked(row));
        ticked += model.IsNodeChecked(row) ? 1 : 0;
    }
    QCOMPARE(model.CheckedCount(), ticked);
}

void TestSelection::propertyChecksChangeTheTreeInOneSignal() {
    TChannels list;
    FillPropertyList(list);
    TChannelTreeModel model;
    model.DisplayTreeView(list);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy counted(&model, &TChannelTreeModel::CheckedCountChanged);

    QCOMPARE(ApplyPropertyChecks(model, Bits({cpCable, cpTerrestrial}), QString(), true), 4);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(counted.count(), 1);
    QCOMPARE(counted.constFirst().constFirst().toInt(), 4);

    // Nothing left to change: no signal at all.
    QCOMPARE(ApplyPropertyChecks(model, Bits({cpCable}), QString(), true), 0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(counted.count(), 1);
}

void TestSelection::categoryStructureMergesCaseVariantsAsFirstMet() {
    TCategoryStructure cs;
    cs.Add(QStringLiteral("Hotbird"), QStringLiteral("sport"));
    cs.Add(QStringLiteral("Astra"), QStringLiteral("news"));
    cs.Add(QStringLiteral("ASTRA"), QStringLiteral("Movies"));
    cs.Add(QStringLiteral("astra"), QStringLiteral("NEWS"));
    cs.Add(QStringLiteral("Astra"), QString());
    cs.Add(QStringLiteral("Astra"), QStringLiteral("Arte"));
    cs.Add(QStringLiteral("Hotbird"), QStringLiteral("Sport"));

    QCOMPARE(cs.Roots(), QStringList({QStringLiteral("Hotbird"), QStringLiteral("Astra")}));
    const QStringList* astra = cs.GetCategories(QStringLiteral("aSTRA"));
    QVERIFY(astra);
    QCOMPARE(*astra, QStringList({QString(), QStringLiteral("Arte"), QStringLiteral("Movies"),
                                  QStringLiteral("news")}));
    QCOMPARE(*cs.GetCategories(QStringLiteral("Hotbird")), QStringList(QStringLiteral("sport")));
    QCOMPARE(cs.GetCategories(QStringLiteral("Eutelsat")), nullptr);

    cs.Clear();
    QVERIFY(cs.Roots().isEmpty());
    QCOMPARE(cs.GetCategories(QStringLiteral("Astra")), nullptr);
}

void TestSelection::categoryChecksTouchOnlyTheChosenRoot_data() {
    QTest::addColumn<QString>("root");
    QTest::addColumn<QStringList>("categories");
    QTest::addColumn<bool>("check");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("both spellings of root and category")
        << QStringLiteral("Astra") << QStringList(QStringLiteral("news")) << true << QString()
        << QStringLiteral("a1 a2 a3");
    QTest::newRow("another root with the same category is left alone")
        << QStringLiteral("Hotbird") << QStringList(QStringLiteral("News")) << true << QString()
        << QStringLiteral("h1");
    QTest::newRow("empty category selects channels without one")
        << QStringLiteral("ASTRA") << QStringList(QString()) << true << QString()
        << QStringLiteral("a5");
    QTest::newRow("several categories")
        << QStringLiteral("astra") << QStringList({QStringLiteral("Movies"), QString()}) << true
        << QString() << QStringLiteral("a4 a5");
    QTest::newRow("uncheck keeps others ticked")
        << QStringLiteral("Astra") << QStringList(QStringLiteral("NEWS")) << false
        << QStringLiteral("a1 a4 h1") << QStringLiteral("a4 h1");
}

void TestSelection::categoryChecksTouchOnlyTheChosenRoot() {
    QFETCH(QString, root);
    QFETCH(QStringList, categories);
    QFETCH(bool, check);
    QFETCH(QString, before);
    QFETCH(QString, after);

    TChannels list;
    list.Add(Named(QStringLiteral("Astra"), QStringLiteral("News"), QStringLiteral("a1")));
    list.Add(Named(QStringLiteral("ASTRA"), QStringLiteral("news"), QStringLiteral("a2")));
    list.Add(Named(QStringLiteral("astra"), QStringLiteral("NEWS"), QStringLiteral("a3")));
    list.Add(Named(QStringLiteral("Astra"), QStringLiteral("Movies"), QStringLiteral("a4")));
    list.Add(Named(QStringLiteral("Astra"), QString(), QStringLiteral("a5")));
    list.Add(Named(QStringLiteral("Hotbird"), QStringLiteral("News"), QStringLiteral("h1")));
    list.Add(Named(QStringLiteral("Astra 2"), QStringLiteral("News"), QStringLiteral("x1")));
    TChannelTreeModel model;
    model.DisplayTreeView(list);
    Tick(model, before);

    ApplyCategoryChecks(model, root, categories, check);

    QCOMPARE(Ticked(model), after);
}

void TestSelection::jumpsStopAtTheEndsWithoutWrapping() {
    TChannels list;
    list.Add(TChannelRecBuilder().Name(QStringLiteral("tv0")).Video().Channel());
    list.Add(TChannelRecBuilder().Name(QStringLiteral("radio1")).Video(false).Channel());
    list.Add(TChannelRecBuilder().Name(QStringLiteral("tv2")).Video().Encrypted().Channel());
    TChannelTreeModel model;
    model.DisplayTreeView(list);
    const int nextTV = 11;
    const int previousTV = 10;
    const int nextRadio = 9;

    QCOMPARE(FindNextMatching(model, 0, nextTV), 2);
    QCOMPARE(FindNextMatching(model, 2, nextTV), -1); // tv0 lies behind, not ahead
    QCOMPARE(FindNextMatching(model, 0, previousTV), -1);
    QCOMPARE(FindNextMatching(model, 2, previousTV), 0);
    QCOMPARE(FindNextMatching(model, 1, nextRadio), -1); // the start itself is never a match
    QCOMPARE(FindNextMatching(model, -1, nextTV), -1);
    QCOMPARE(FindNextMatching(model, 3, previousTV), -1);

    // From the last channel nothing lies ahead, whatever the property.
    const auto fromLast = JumpAvailability(model, 2);
    for (int kind = 1; kind < JumpKindCount; kind += 2)
        QVERIFY2(!fromLast[size_t(kind)], qPrintable(QString::number(kind)));
}

void TestSelection::jumpAvailabilityAgreesWithEveryJump() {
    // Every combination of the six properties' sources appears somewhere in the list.
    TChannels list;
    for (int i = 0; i < 16; ++i)
        list.Add(TChannelRecBuilder()
                     .Name(QStringLiteral("c%1").arg(i))
                     .Video((i & 1) != 0)
                     .Encrypted((i & 2) != 0)
                     .Channel());
    TChannelTreeModel model;
    model.DisplayTreeView(list);
    for (int row : {3, 6, 7, 12})
        model.ChannelAt(row)->IsBookMarked = true;
    Tick(model, QStringLiteral("c1 c9 c10"));

    for (int start = -1; start <= model.TopCount(); ++start) {
        const auto available = JumpAvailability(model, start);
        for (int kind = 0; kind < JumpKindCount; ++kind)
            QVERIFY2(available[size_t(kind)] == (FindNextMatching(model, start, kind) >= 0),
                     qPrintable(QStringLiteral("start %1 kind %2").arg(start).arg(kind)));
    }
    // Spot checks that the walk itself is right, not only consistent.
    QCOMPARE(FindNextMatching(model, 12, 1), -1);
    QCOMPARE(FindNextMatching(model, 12, 0), 7);
    QCOMPARE(FindNextMatching(model, 1, 3), 9);
    QCOMPARE(FindNextMatching(model, 9, 2), 1);
}

// Far from any row with a property, availability comes from what is kept of the whole tree;
// each change through the tree must be seen at once.
void TestSelection::jumpAvailabilityFollowsChangesOnLongLists() {
    TChannels list;
    for (int i = 0; i < 1500; ++i)
        list.Add(TChannelRecBuilder()
                     .Name(QStringLiteral("c%1").arg(i))
                     .Video(i != 700) // one radio channel in the middle
                     .Encrypted(i < 3)
                     .Channel());
    TChannelTreeModel model;
    model.DisplayTreeView(list);
    std::mt19937 random(11);
    const auto pick = [&] { return std::uniform_int_distribution<int>(0, 1499)(random); };
    const auto agree = [&](const char* after) {
        for (int start : {0, 1, 2, 3, 350, 699, 700, 701, 1100, 1498, 1499, pick(), pick()}) {
            const auto available = JumpAvailability(model, start);
            for (int kind = 0; kind < JumpKindCount; ++kind)
                if (available[size_t(kind)] != (FindNextMatching(model, start, kind) >= 0))
                    return QStringLiteral("after %1: start %2 kind %3")
                        .arg(QLatin1String(after))
                        .arg(start)
                        .arg(kind);
        }
        return QString();
    };
    QCOMPARE(agree("loading"), QString());
    for (int step = 0; step < 60; ++step) {
        const char* change = "";
        switch (step % 5) {
        case 0:
            model.ToggleBookmark(pick());
            change = "a bookmark";
            break;
        case 1:
            model.CheckNode(pick());
            change = "a tick";
            break;
        case 2:
            model.MoveNodeBefore(pick(), pick());
            change = "a move";
            break;
        case 3:
            model.UncheckNode(pick());
            change = "an untick";
            break;
        default:
            if (step % 20 == 4) {
                model.DeleteAllBookmarks();
                change = "deleting the bookmarks";
            }
            break;
        }
        QCOMPARE(agree(change), QString());
    }
}

void TestSelection::searchContainsFoldsOnlyAsciiLetters_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<bool>("expected");

    QTest::newRow("middle of a word")
        << QStringLiteral("Eurosport 2") << QStringLiteral("rosp") << false << true;
    QTest::newRow("capitals, case kept")
        << QStringLiteral("news 24") << QStringLiteral("NEWS") << false << false;
    QTest::newRow("capitals, case ignored")
        << QStringLiteral("news 24") << QStringLiteral("NEWS") << true << true;
    QTest::newRow("accented capital is not its small form")
        << QStringLiteral("\u00e9cole") << QStringLiteral("\u00c9COLE") << true << false;
    QTest::newRow("accented letter itself, other letters folded")
        << QStringLiteral("L'\u00c9cole") << QStringLiteral("\u00c9COLE") << true << true;
    QTest::newRow("match at the very end")
        << QStringLiteral("ARD HD") << QStringLiteral("hd") << true << true;
    QTest::newRow("text longer than the field")
        << QStringLiteral("ZDF") << QStringLiteral("ZDFneo") << true << false;
    QTest::newRow("empty text everywhere") << QString() << QString() << false << true;
    QTest::newRow("partial run then a miss")
        << QStringLiteral("aab") << QStringLiteral("ab") << true << true;
    QTest::newRow("characters must be consecutive")
        << QStringLiteral("a-b-c") << QStringLiteral("abc") << true << false;
}

void TestSelection::searchContainsFoldsOnlyAsciiLetters() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, ignoreCase);
    QFETCH(bool, expected);
    QCOMPARE(ContainsText(field, text, ignoreCase), expected);
}

void TestSelection::searchStepsNeedEveryFieldAndDoNotWrap() {
    TChannels list;
    list.Add(Named(QStringLiteral("Astra"), QStringLiteral("News"), QStringLiteral("BBC World")));
    list.Add(Named(QStringLiteral("Astra"), QStringLiteral("Sport"), QStringLiteral("BBC Sport")));
    list.Add(
        Named(QStringLiteral("Hotbird"), QStringLiteral("News"), QStringLiteral("bbc arabic")));
    list.Add(Named(QStringLiteral("Astra"), QStringLiteral("news"), QStringLiteral("CNN")));
    TChannelTreeModel model;
    model.DisplayTreeView(list);

    TSearchCriteria bbcNews;
    bbcNews.ChannelName = QStringLiteral("bbc");
    bbcNews.Category = QStringLiteral("NEWS");
    QVERIFY(SearchMatches(*model.ChannelAt(0), bbcNews));
    QVERIFY(!SearchMatches(*model.ChannelAt(1), bbcNews)); // category fails
    QVERIFY(SearchMatches(*model.ChannelAt(2), bbcNews));
    QVERIFY(!SearchMatches(*model.ChannelAt(3), bbcNews)); // name fails

    QCOMPARE(SearchStep(model, -1, true, bbcNews), 0); // from the top, first row included
    QCOMPARE(SearchStep(model, 0, true, bbcNews), 2);
    QCOMPARE(SearchStep(model, 2, true, bbcNews), -1);
    QCOMPARE(SearchStep(model, 2, false, bbcNews), 0);
    QCOMPARE(SearchStep(model, 0, false, bbcNews), -1);

    bbcNews.Root = QStringLiteral("astra");
    QCOMPARE(SearchStep(model, 0, true, bbcNews), -1);
    bbcNews.IgnoreCase = false;
    QCOMPARE(SearchStep(model, -1, true, bbcNews), -1);

    const TSearchCriteria everything;
    QCOMPARE(SearchStep(model, 1, true, everything), 2);
    QCOMPARE(SearchStep(model, 1, false, everything), 0);
    QCOMPARE(SearchStep(model, 3, true, everything), -1);
}

QTEST_GUILESS_MAIN(TestSelection)
#include "tst_selection.moc"

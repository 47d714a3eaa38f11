#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "main/UChannelTreeModel.h"
#include "settings/USettings.h"
#include "structure/UStructure.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <random>

namespace {

TChannel* AddChannel(TChannels& list, const QString& name, const QString& root,
                     const QString& category, bool sub = false) {
    auto c = std::make_unique<TChannel>();
    c->Rec.TunerData.Flags = flVideo | (sub ? flSubChannel : 0);
    c->SetRoot(root);
    c->SetCategory(category);
    c->SetName(name);
    return list.Add(std::move(c));
}

QString Order(const TChannelTreeModel& model) {
    QStringList names;
    for (int r = 0; r < model.TopCount(); ++r) {
        QString entry = model.ChannelAt(r)->Name();
        for (TChannel* sub : model.SubChannelsAt(r))
            entry += QLatin1Char('+') + sub->Name();
        names << entry;
    }
    return names.join(QLatin1Char(' '));
}

// Every run of the preview as "colour:bold:text", in text order.
QStringList Runs(const TStructureText& text) {
    QStringList runs;
    for (int i = 0; i < text.RunCount(); ++i) {
        const TStructureTextRun& run = text.Run(i);
        runs << QString::number(run.Colour, 16) + (run.Bold ? u":b:"_qs : u"::"_qs) +
                    text.RunText(run).toString();
    }
    return runs;
}

// Everything a structure holds, as text: groups in order with the spelling they show, and
// every channel with its row; then whether the list is grouped.
QString Describe(const TStructure& structure) {
    QStringList lines;
    for (const auto& root : structure.Roots()) {
        lines << root->Name;
        for (const auto& category : root->Categories) {
            QString line = u"  "_qs + category->Name + u":"_qs;
            for (const TChannelHelper& helper : category->Channels)
                line += u" "_qs + helper.Channel->Name() + u"@"_qs + QString::number(helper.No);
            lines << line;
        }
    }
    lines << (structure.IsHappy() ? u"happy"_qs : u"not happy"_qs);
    return lines.join(u'\n');
}

} // namespace

class TestStructure : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ResetSettings(); }

    void groupsByFirstAppearanceAndPreviewsTheMoves() {
        TChannels list;
        AddChannel(list, QStringLiteral("first"), QStringLiteral("one"), QStringLiteral("cat1"));
        AddChannel(list, QStringLiteral("second"), QStringLiteral("two"), QStringLiteral("cat1"));
        AddChannel(list, QStringLiteral("third"), QStringLiteral("one"), QStringLiteral("cat2"));
        AddChannel(list, QStringLiteral("fourth"), QStringLiteral("one"), QStringLiteral("cat1"));
        TChannelTreeModel tree;
        tree.DisplayTreeView(list);
        TStructure structure;
        structure.UpdateStructure(tree);
        QVERIFY(!structure.IsHappy());
        QCOMPARE(structure.GroupedOrder(), (std::vector<int>{0, 3, 2, 1}));

        const TStructureText text = structure.DisplayHappyMan();
        QCOMPARE(text.Text().toString(), QStringLiteral("one\r\n"
                                                        "   cat1\r\n"
                                                        "      [0] first\r\n"
                                                        "      [1] fourth   [3]\r\n"
                                                        "   cat2\r\n"
                                                        "      [2] third\r\n"
                                                        "two\r\n"
                                                        "   cat1\r\n"
                                                        "      [3] second   [1]\r\n"));
        QCOMPARE(structure.ScrollTo(), 3);
        // Root lines blue bold, categories green, the current positions red bold; the runs
        // cover the lines without their line ends.
        QCOMPARE(Runs(text),
                 (QStringList{u"ff:b:one"_qs, u"8000::   cat1"_qs, u"0::      [0] first"_qs,
                              u"0::      [1] fourth"_qs, u"ff0000:b:   [3]"_qs, u"8000::   cat2"_qs,
                              u"0::      [2] third"_qs, u"ff:b:two"_qs, u"8000::   cat1"_qs,
                              u"0::      [3] second"_qs, u"ff0000:b:   [1]"_qs}));
        QCOMPARE(text.LineCount(), 9);
        QCOMPARE(text.Line(3).toString(), u"      [1] fourth   [3]"_qs);
        QCOMPARE(text.RunsEnd(3) - text.RunsBegin(3), 2);
        QCOMPARE(text.Lines(7, 8).toString(), u"   cat1\r\n      [3] second   [1]\r\n"_qs);
    }

    void acceptingKeepsTicksAndAudioTracksAndMakesTheListHappy() {
        TChannels list;
        AddChannel(list, QStringLiteral("A"), QStringLiteral("R1"), QStringLiteral("C"));
        AddChannel(list, QStringLiteral("B"), QStringLiteral("R2"), QStringLiteral("C"));
        AddChannel(list, QStringLiteral("b"), QStringLiteral("R2"), QStringLiteral("C"), true);
        AddChannel(list, QStringLiteral("D"), QStringLiteral("R1"), QStringLiteral("C"));
        TChannelTreeModel tree;
        QAbstractItemModelTester tester(&tree);
        tree.DisplayTreeView(list);
        tree.CheckNode(1); // B
        TStructure structure;
        structure.UpdateStructure(tree);
        structure.MakeManHappy(tree);
        QCOMPARE(Order(tree), QStringLiteral("A D B+b"));
        QVERIFY(structure.IsHappy());
        QCOMPARE(tree.CheckedCount(), 1);
        QVERIFY(tree.IsNodeChecked(2));
        for (const QString& run : Runs(structure.DisplayHappyMan()))
            QVERIFY2(!run.startsWith(u"ff0000"_qs), qPrintable(run));
        QCOMPARE(structure.ScrollTo(), -1);
        // The list keeps its own order: only the tree changed.
        QCOMPARE(list.Channel(1)->Name(), QStringLiteral("B"));
    }

    void rootsAndCategoriesMatchWithoutRegardToCase() {
        TChannels list;
        AddChannel(list, QStringLiteral("a"), QStringLiteral("Astra"), QStringLiteral("ARD"));
        AddChannel(list, QStringLiteral("b"), QStringLiteral("Hotbird"), QStringLiteral("RAI"));
        AddChannel(list, QStringLiteral("c"), QStringLiteral("ASTRA"), QStringLiteral("ard"));
        AddChannel(list, QStringLiteral("d"), QStringLiteral("\u00c4ra"), QStringLiteral("x"));
        AddChannel(list, QStringLiteral("e"), QStringLiteral("\u00e4ra"), QStringLiteral("X"));
        TChannelTreeModel tree;
        tree.DisplayTreeView(list);
        TStructure structure;
        structure.UpdateStructure(tree);
        QCOMPARE(structure.Roots().size(), size_t(3));
        QCOMPARE(structure.Roots()[0]->Name, QStringLiteral("Astra"));
        QCOMPARE(structure.Roots()[0]->Categories.size(), size_t(1));
        QCOMPARE(structure.Roots()[0]->Categories[0]->Name, QStringLiteral("ARD"));
        QCOMPARE(structure.Roots()[2]->Categories.size(), size_t(1));
        QCOMPARE(structure.GroupedOrder(), (std::vector<int>{0, 2, 1, 3, 4}));
    }

    // Following a move is a shortcut for a rebuild: on random lists with groups that differ
    // in case only, every move, either way and to either end, must leave what a rebuild
    // makes, spellings and order of groups included.
    void followingAMoveEqualsARebuild() {
        const QStringList roots{u"Astra"_qs, u"ASTRA"_qs, u"Hotbird"_qs, u"hotbird"_qs,
                                u"Eutelsat"_qs};
        const QStringList categories{u"ARD"_qs, u"ard"_qs, u"ZDF"_qs, u"News"_qs, QString()};
        std::mt19937 random(7);
        const auto pick = [&](int size) {
            return std::uniform_int_distribution<int>(0, size - 1)(random);
        };
        for (int list = 0; list < 20; ++list) {
            TChannels channels;
            const int count = 1 + pick(30);
            for (int i = 0; i < count; ++i)
                AddChannel(channels, u"c"_qs + QString::number(i), roots[pick(roots.size())],
                           categories[pick(categories.size())]);
            TChannelTreeModel tree;
            tree.DisplayTreeView(channels);
            TStructure followed;
            followed.UpdateStructure(tree);
            for (int move = 0; move < 40; ++move) {
                const int from = pick(count);
                const int before = move % 5 == 0 ? count - 1 : pick(count);
                tree.MoveNodeBefore(from, before);
                const int newRow = from == before ? from : (from < before ? before - 1 : before);
                QVERIFY(followed.MoveNode(tree, from, newRow));
                TStructure rebuilt;
                rebuilt.UpdateStructure(tree);
                QCOMPARE(Describe(followed), Describe(rebuilt));
            }
        }
    }

    void aMoveTheStructureDoesNotKnowIsRefused() {
        TChannels channels;
        AddChannel(channels, u"a"_qs, u"R1"_qs, u"C"_qs);
        AddChannel(channels, u"b"_qs, u"R2"_qs, u"C"_qs);
        AddChannel(channels, u"c"_qs, u"R1"_qs, u"C"_qs);
        TChannelTreeModel tree;
        tree.DisplayTreeView(channels);
        TStructure structure;
        structure.UpdateStructure(tree);
        const QString before = Describe(structure);
        // Claimed but not made: the channel at the new row is not the one that was at the old.
        QVERIFY(!structure.MoveNode(tree, 0, 2));
        QVERIFY(!structure.MoveNode(tree, 0, 3));
        // A channel renamed behind the structure's back is not found in its group.
        tree.MoveNodeBefore(0, 2);
        channels.Channel(0)->SetRoot(u"R3"_qs);
        QVERIFY(!structure.MoveNode(tree, 0, 1));
        QCOMPARE(Describe(structure), before);
    }

    void anEmptyTreeKeepsTheLastStructure() {
        TChannels list;
        AddChannel(list, QStringLiteral("A"), QStringLiteral("R2"), QStringLiteral("C"));
        AddChannel(list, QStringLiteral("B"), QStringLiteral("R1"), QStringLiteral("C"));
        AddChannel(list, QStringLiteral("C"), QStringLiteral("R2"), QStringLiteral("C"));
        TChannelTreeModel tree;
        tree.DisplayTreeView(list);
        TStructure structure;
        structure.UpdateStructure(tree);
        QVERIFY(!structure.IsHappy());
        tree.Clear();
        structure.UpdateStructure(tree);
        QVERIFY(!structure.IsHappy());
        QCOMPARE(structure.ChannelCount(), 3);
    }

    void thePaneShowsThreeLevels() {
        TChannels list;
        AddChannel(list, QStringLiteral("A"), QStringLiteral("R"), QStringLiteral("C1"));
        AddChannel(list, QStringLiteral("a"), QStringLiteral("R"), QStringLiteral("C1"), true);
        AddChannel(list, QStringLiteral("B"), QStringLiteral("R"), QStringLiteral("C2"));
        AddChannel(list, QStringLiteral("D"), QStringLiteral("S"), QStringLiteral("C1"));
        TChannelTreeModel tree;
        tree.DisplayTreeView(list);
        TStructure structure;
        TStructureModel model(structure);
        QAbstractItemModelTester tester(&model);
        structure.UpdateStructure(tree);
        model.Reset();
        QCOMPARE(model.rowCount(), 2);
        const QModelIndex root = model.index(0, 0);
        QCOMPARE(model.data(root).toString(), QStringLiteral("R"));
        QCOMPARE(model.data(root, TStructureModel::NodeImageRole).toInt(), 10);
        QCOMPARE(model.rowCount(root), 2);
        const QModelIndex category = model.index(1, 0, root);
        QCOMPARE(model.data(category).toString(), QStringLiteral("C2"));
        QCOMPARE(model.data(category, TStructureModel::NodeImageRole).toInt(), 11);
        const QModelIndex channel = model.index(0, 0, category);
        QCOMPARE(model.data(channel).toString(), QStringLiteral("[1] B"));
        QCOMPARE(model.parent(channel), category);
        QCOMPARE(model.parent(category), root);
        // Sub-channels are not in the structure.
        QCOMPARE(model.rowCount(model.index(0, 0, root)), 1);
    }

    void thePaneKeepsItsPlacesWhenOnlyTheOrderInsideAGroupChanged() {
        TChannels list;
        AddChannel(list, QStringLiteral("A"), QStringLiteral("R"), QStringLiteral("C"));
        AddChannel(list, QStringLiteral("B"), QStringLiteral("R"), QStringLiteral("C"));
        AddChannel(list, QStringLiteral("D"), QStringLiteral("S"), QStringLiteral("C"));
        TChannelTreeModel tree;
        tree.DisplayTreeView(list);
        TStructure structure;
        TStructureModel model(structure);
        QAbstractItemModelTester tester(&model);
        structure.UpdateStructure(tree);
        model.Reset();
        const QModelIndex category = model.index(0, 0, model.index(0, 0));
        QPersistentModelIndex first(model.index(0, 0, category));
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);

        // A drag inside the group: same roots, categories and counts, new numbers.
        tree.MoveNodeBefore(1, 0);
        structure.UpdateStructure(tree);
        QVERIFY(!model.Refresh());
        QCOMPARE(resets.size(), 0);
        QVERIFY(!changes.isEmpty());
        QVERIFY(first.isValid());
        QCOMPARE(model.data(first).toString(), QStringLiteral("[0] B"));

        // A channel that leaves its group changes the shape: the pane starts again.
        list.Channel(0)->SetRoot(QStringLiteral("S"));
        structure.UpdateStructure(tree);
        QVERIFY(model.Refresh());
        QCOMPARE(resets.size(), 1);
        QCOMPARE(model.rowCount(model.index(0, 0)), 1);
    }
};

QTEST_GUILESS_MAIN(TestStructure)
#include "tst_structure.moc"

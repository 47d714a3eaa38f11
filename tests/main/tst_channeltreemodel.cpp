#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "main/UChannelTreeModel.h"
#include "settings/USettings.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

// A main channel (or, with sub = true, an audio track of the one before it) named name.
std::unique_ptr<TChannel> MakeChannel(const QString& name, bool sub = false,
                                      const QString& category = QStringLiteral("Cat"),
                                      const QString& root = QStringLiteral("Root")) {
    auto c = std::make_unique<TChannel>();
    c->Rec.TunerData.Flags = flVideo | (sub ? flSubChannel : 0);
    c->SetRoot(root);
    c->SetCategory(category);
    c->SetName(name);
    return c;
}

// A list from a compact description: upper-case letters are main channels, a lower-case
// letter is an audio track of the main channel before it ("Aa" = A with track a).
void Fill(TChannels& list, const QString& layout) {
    for (QChar ch : layout)
        list.Add(MakeChannel(QString(ch), ch.isLower()));
}

QString Order(const TChannelTreeModel& model) {
    QString order;
    for (int r = 0; r < model.TopCount(); ++r) {
        order += model.ChannelAt(r)->Name();
        for (TChannel* sub : model.SubChannelsAt(r))
            order += sub->Name();
    }
    return order;
}

QString Ticked(const TChannelTreeModel& model) {
    QString ticked;
    for (int r = 0; r < model.TopCount(); ++r)
        if (model.IsNodeChecked(r))
            ticked += model.ChannelAt(r)->Name();
    return ticked;
}

void Tick(TChannelTreeModel& model, const QString& names) {
    for (int r = 0; r < model.TopCount(); ++r)
        if (names.contains(model.ChannelAt(r)->Name()))
            model.CheckNode(r);
}

int RowOf(const TChannelTreeModel& model, const QString& name) {
    for (int r = 0; r < model.TopCount(); ++r)
        if (model.ChannelAt(r)->Name() == name)
            return r;
    return -1;
}

} // namespace

class TestChannelTreeModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ResetSettings(); }

    void buildsMainNodesWithTheirAudioTracksUnticked() {
        TChannels list;
        Fill(list, QStringLiteral("AabBCc"));
        list.Channel(0)->IsChecked = true;
        TChannelTreeModel model;
        QAbstractItemModelTester tester(&model);
        model.DisplayTreeView(list);
        QCOMPARE(model.TopCount(), 3);
        QCOMPARE(Order(model), QStringLiteral("AabBCc"));
        QCOMPARE(model.rowCount(model.NodeIndex(0)), 2);
        QCOMPARE(model.CheckedCount(), 0);
        QVERIFY(!list.Channel(0)->IsChecked);
        // Audio tracks have no tick and no number.
        QVERIFY(!model.data(model.SubIndex(0, 0), Qt::CheckStateRole).isValid());
        QCOMPARE(model.data(model.SubIndex(0, 0)).toString(), QStringLiteral("a"));
        QVERIFY(!(model.flags(model.SubIndex(0, 0)) & Qt::ItemIsUserCheckable));
    }

    void nodeTextFollowsPathModeAndNumbers_data() {
        QTest::addColumn<int>("pathMode");
        QTest::addColumn<bool>("numbers");
        QTest::addColumn<QString>("text");
        const QString bullet = QStringLiteral("   \u2022   ");
        QTest::newRow("full") << 2 << true
                              << (QStringLiteral("[1] N") + bullet + QStringLiteral("C   >>>>>>R"));
        QTest::newRow("small") << 1 << true
                               << (QStringLiteral("[1] N") + bullet + QStringLiteral("C"));
        QTest::newRow("none") << 0 << true << QStringLiteral("[1] N");
        QTest::newRow("no numbers") << 0 << false << QStringLiteral("N");
        QTest::newRow("odd mode counts as full")
            << 7 << false << (QStringLiteral("N") + bullet + QStringLiteral("C   >>>>>>R"));
    }

    void nodeTextFollowsPathModeAndNumbers() {
        QFETCH(int, pathMode);
        QFETCH(bool, numbers);
        QFETCH(QString, text);
        TChannels list;
        list.Add(MakeChannel(QStringLiteral("X")));
        list.Add(MakeChannel(QStringLiteral("N"), false, QStringLiteral("C"), QStringLiteral("R")));
        list.Add(MakeChannel(QStringLiteral("n"), true));
        TChannelTreeModel model;
        model.DisplayTreeView(list);
        Settings().PathMode = static_cast<quint8>(pathMode);
        model.SetShowChannelNumbers(numbers);
        QCOMPARE(model.data(model.NodeIndex(1)).toString(), text);
        QCOMPARE(model.data(model.SubIndex(1, 0)).toString(), QStringLiteral("n"));
    }

    void nodeImagesEncodeVideoEncryptionAndBookmark() {
        TChannels list;
        TChannel* c = list.Add(MakeChannel(QStringLiteral("A")));
        TChannelTreeModel model;
        model.DisplayTreeView(list);
        QCOMPARE(model.data(model.NodeIndex(0), TChannelTreeModel::NodeImageRole).toInt(), 1);
        c->Rec.TunerData.Flags = flEncrypted; // encrypted radio
        c->IsBookMarked = true;
        QCOMPARE(model.data(model.NodeIndex(0), TChannelTreeModel::NodeImageRole).toInt(), 8);
        QCOMPARE(model.data(model.NodeIndex(0), TChannelTreeModel::SelectedImageRole).toInt(), 14);
        model.ToggleBookmark(0);
        QVERIFY(!c->IsBookMarked);
        QCOMPARE(model.data(model.NodeIndex(0), TChannelTreeModel::SelectedImageRole).toInt(), 13);
    }

    void ticksKeepTheCountStepByStep() {
        TChannels list;
        Fill(list, QStringLiteral("ABCDEFGHIJ"));
        TChannelTreeModel model;
        QAbstractItemModelTester tester(&model);
        model.DisplayTreeView(list);
        QSignalSpy counts(&model, &TChannelTreeModel::CheckedCountChanged);
        QVERIFY(model.CheckNode(0));
        QVERIFY(!model.CheckNode(0)); // already ticked: no change
        QVERIFY(!model.UncheckNode(1));
        QCOMPARE(model.CheckedCount(), 1);
        model.ToggleNodeChecked(2);
        model.ToggleNodeChecked(4);
        QCOMPARE(model.CheckedCount(), 3);
        model.InvertChecking();
        QCOMPARE(model.CheckedCount(), 7);
        QCOMPARE(Ticked(model), QStringLiteral("BDFGHIJ"));
        QVERIFY(list.Channel(1)->IsChecked);
        QVERIFY(!list.Channel(0)->IsChecked);
        model.CheckAll();
        QCOMPARE(model.CheckedCount(), 10);
        model.UncheckAll();
        QCOMPARE(model.CheckedCount(), 0);
        QCOMPARE(counts.last().at(0).toInt(), 0);
        // A tick through the view's check box goes the same way.
        QVERIFY(model.setData(model.NodeIndex(3), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(model.CheckedCount(), 1);
        QVERIFY(!model.setData(model.SubIndex(3, 0), Qt::Checked, Qt::CheckStateRole));
    }

    void insertCheckedAtMovesTheTickedBlock_data() {
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("before");
        QTest::addColumn<QString>("result");
        // target "first"/"last" stand for "Move Checked To Top" / "To Bottom".
        QTest::newRow("top B D") << QStringLiteral("BD") << QStringLiteral("A") << true
                                 << QStringLiteral("BDACE");
        QTest::newRow("top A C") << QStringLiteral("AC") << QStringLiteral("A") << true
                                 << QStringLiteral("ACBDE");
        QTest::newRow("bottom B D")
            << QStringLiteral("BD") << QStringLiteral("E") << false << QStringLiteral("ACEBD");
        QTest::newRow("bottom B E")
            << QStringLiteral("BE") << QStringLiteral("E") << false << QStringLiteral("ACDBE");
        QTest::newRow("before C") << QStringLiteral("AD") << QStringLiteral("C") << true
                                  << QStringLiteral("BADCE");
        QTest::newRow("after C") << QStringLiteral("AD") << QStringLiteral("C") << false
                                 << QStringLiteral("BCADE");
        QTest::newRow("after A, anchor ticked")
            << QStringLiteral("BD") << QStringLiteral("A") << false << QStringLiteral("ADBCE");
        QTest::newRow("after B, anchor ticked")
            << QStringLiteral("CE") << QStringLiteral("B") << false << QStringLiteral("ABECD");
    }

    void insertCheckedAtMovesTheTickedBlock() {
        QFETCH(QString, ticked);
        QFETCH(QString, target);
        QFETCH(bool, before);
        QFETCH(QString, result);
        TChannels list;
        Fill(list, QStringLiteral("ABCDE"));
        TChannelTreeModel model;
        QAbstractItemModelTester tester(&model);
        model.DisplayTreeView(list);
        Tick(model, ticked);
        model.InsertCheckedAt(RowOf(model, target), before);
        QCOMPARE(Order(model), result);
        QCOMPARE(model.CheckedCount(), ticked.size());
        QCOMPARE(Ticked(model).size(), ticked.size());
        // Every node shows its new number.
        for (int r = 0; r < model.TopCount(); ++r)
            QVERIFY(model.data(model.NodeIndex(r))
                        .toString()
                        .startsWith(QLatin1Char('[') + QString::number(r) + QLatin1Char(']')));
    }

    void movesTakeAudioTracksAndKeepTheSelectionOnItsNode() {
        TChannels list;
        Fill(list, QStringLiteral("AaBCcdD"));
        TChannelTreeModel model;
        QAbstractItemModelTester tester(&model);
        model.DisplayTreeView(list);
        QPersistentModelIndex selectedA(model.NodeIndex(0));
        QPersistentModelIndex trackD(model.SubIndex(2, 1));
        Tick(model, QStringLiteral("C"));
        model.InsertCheckedAt(0, true);
        QCOMPARE(Order(model), QStringLiteral("CcdAaBD"));
        QCOMPARE(selectedA.row(), 1);
        QCOMPARE(model.ChannelOf(selectedA)->Name(), QStringLiteral("A"));
        QCOMPARE(model.ChannelOf(trackD)->Name(), QStringLiteral("d"));
        QCOMPARE(trackD.parent().row(), 0);
    }

    void dragMovesOneNodeAndRenumbersOnlyBetween() {
        TChannels list;
        Fill(list, QStringLiteral("ABCDEFG"));
        TChannelTreeModel model;
        QAbstractItemModelTester tester(&model);
        model.DisplayTreeView(list);
        model.MoveNodeBefore(2, 5);
        QCOMPARE(Order(model), QStringLiteral("ABDECFG"));
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.ChangeTreeViewNamesBetween(5, 2);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 2);
        QCOMPARE(changed.at(0).at(1).toModelIndex().row(), 5);
        model.MoveNodeBefore(6, 0);
        QCOMPARE(Order(model), QStringLiteral("GABDECF"));
        model.MoveNodeBefore(3, 3); // onto itself: nothing
        QCOMPARE(Order(model), QStringLiteral("GABDECF"));
        model.SetShowChannelNumbers(false);
        changed.clear();
        model.ChangeTreeViewNamesBetween(0, 3);
        QCOMPARE(changed.size(), 0);
    }

    void removingTickedNodesHandsBackTheirChannels() {
        TChannels list;
        Fill(list, QStringLiteral("AaBCDdE"));
        TChannelTreeModel model;
        QAbstractItemModelTester tester(&model);
        model.DisplayTreeView(list);
        QPersistentModelIndex nodeC(model.NodeIndex(2));
        QPersistentModelIndex trackA(model.SubIndex(0, 0));
        QPersistentModelIndex nodeE(model.NodeIndex(4));
        Tick(model, QStringLiteral("ACD"));
        const std::vector<TChannel*> removed = model.RemoveCheckedNodes();
        QCOMPARE(removed.size(), size_t(3));
        QCOMPARE(removed[0]->Name(), QStringLiteral("A"));
        QCOMPARE(removed[2]->Name(), QStringLiteral("D"));
        QCOMPARE(Order(model), QStringLiteral("BE"));
        QCOMPARE(model.CheckedCount(), 0);
        QVERIFY(!nodeC.isValid());
        QVERIFY(!trackA.isValid());
        QCOMPARE(nodeE.row(), 1);
    }

    void restoredAndAppendedNodesComeAtTheEnd() {
        TChannels list;
        Fill(list, QStringLiteral("ABCc"));
        TChannelTreeModel model;
        QAbstractItemModelTester tester(&model);
        model.DisplayTreeView(list);
        Tick(model, QStringLiteral("AC"));
        const std::vector<TChannel*> removed = model.RemoveCheckedNodes();
        model.AppendRestoredNodes(removed, list);
        QCOMPARE(Order(model), QStringLiteral("BACc"));
        QCOMPARE(model.CheckedCount(), 2);
        const int first = list.Count();
        list.Add(MakeChannel(QStringLiteral("X")))->IsChecked = true;
        list.Add(MakeChannel(QStringLiteral("x"), true));
        list.Add(MakeChannel(QStringLiteral("Y")));
        model.AddAppendedToTree(list, first);
        QCOMPARE(Order(model), QStringLiteral("BACcXxY"));
        QCOMPARE(model.CheckedCount(), 3);
        QCOMPARE(model.data(model.NodeIndex(4)).toString().left(4), QStringLiteral("[4] "));
    }

    void audioTrackExchangesKeepTheTickOnTheParent() {
        TChannels list;
        Fill(list, QStringLiteral("Aab"));
        TChannelTreeModel model;
        model.DisplayTreeView(list);
        model.CheckNode(0);
        model.SwapSubs(0, 0, 1);
        QCOMPARE(Order(model), QStringLiteral("Aba"));
        model.ExchangeMainAndSub(0, 1);
        QCOMPARE(Order(model), QStringLiteral("abA"));
        QVERIFY(model.IsNodeChecked(0));
        QVERIFY(model.ChannelAt(0)->IsChecked);
    }

    void actualChannelNoOfForeignOrChildIndexes() {
        TChannels list;
        Fill(list, QStringLiteral("AaB"));
        TChannelTreeModel model;
        QCOMPARE(model.GetActualChannelNo(QModelIndex()), -1);
        model.DisplayTreeView(list);
        QCOMPARE(model.GetActualChannelNo(model.SubIndex(0, 0)), 0);
        QCOMPARE(model.GetActualChannelNo(model.NodeIndex(1)), 1);
        QCOMPARE(model.GetActualChannelNo(QModelIndex()), 1);
    }
};

QTEST_GUILESS_MAIN(TestChannelTreeModel)
#include "tst_channeltreemodel.moc"

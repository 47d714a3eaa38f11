#include "main/EditFixture.h"

#include "channels/UChannelUtils.h"
#include "main/UEditCommands.h"
#include "platform/UOrvaneError.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <QSignalSpy>
#include <QTest>

class TestEditCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        ResetSettings();
        SetNameCodePageProvider([] { return 1252; });
        TDialogSeam::Install();
    }
    void cleanup() {
        TDialogSeam::Uninstall();
        SetNameCodePageProvider({});
    }

    void movesTheTickedChannelsIntoOneBlock_data() {
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("expected");
        QTest::newRow("to top") << "B D"
                                << "top"
                                << ""
                                << "B D A C E";
        QTest::newRow("to top, first ticked") << "A C"
                                              << "top"
                                              << ""
                                              << "A C B D E";
        QTest::newRow("to bottom") << "B D"
                                   << "bottom"
                                   << ""
                                   << "A C E B D";
        QTest::newRow("to bottom, last ticked") << "B E"
                                                << "bottom"
                                                << ""
                                                << "A C D B E";
        QTest::newRow("before C") << "A D"
                                  << "before"
                                  << "C"
                                  << "B A D C E";
        QTest::newRow("after C") << "A D"
                                 << "after"
                                 << "C"
                                 << "B C A D E";
        QTest::newRow("after A, anchor ticked") << "B D"
                                                << "after"
                                                << "A"
                                                << "A D B C E";
        QTest::newRow("after B, anchor ticked") << "C E"
                                                << "after"
                                                << "B"
                                                << "A B E C D";
    }
    void movesTheTickedChannelsIntoOneBlock() {
        QFETCH(QString, ticked);
        QFETCH(QString, command);
        QFETCH(QString, selected);
        QFETCH(QString, expected);
        TEditFixture f(MainsNamed("A B C D E"));
        TEditCommands commands(f.Doc);
        f.Tick(ticked.toLatin1().constData());
        if (!selected.isEmpty())
            f.Select(f.Node(selected));
        const TChannel* selectedChannel = f.Doc.MainTree().SelectedChannel();
        QSignalSpy changed(&f.Doc, &TChannelDocument::ChannelsChanged);

        if (command == QLatin1String("top"))
            commands.MoveCheckedToTop();
        else if (command == QLatin1String("bottom"))
            commands.MoveCheckedToBottom();
        else if (command == QLatin1String("before"))
            commands.InsertCheckedBefore();
        else
            commands.InsertCheckedAfter();

        QCOMPARE(f.Mains(), expected.split(QLatin1Char(' ')));
        // Every node is numbered by its new place, the ticks stayed, so did the selection.
        for (int row = 0; row < f.Tree().TopCount(); ++row)
            QVERIFY(f.Tree()
                        .data(f.Tree().NodeIndex(row))
                        .toString()
                        .startsWith(QStringLiteral("[%1] %2").arg(row).arg(f.Mains()[row])));
        QCOMPARE(f.Tree().CheckedCount(), 2);
        QCOMPARE(f.Doc.MainTree().SelectedChannel(), selectedChannel);
        QVERIFY(f.Doc.IsModified());
        QCOMPARE(changed.count(), 1);
    }

    void moveUnticksWhenMovedChannelsAreNotKept() {
        TEditFixture f(MainsNamed("A B C D E"));
        TEditCommands commands(f.Doc);
        commands.SetKeepMovedChannelsChecked(false);
        f.Tick("B D");
        commands.MoveCheckedToTop();
        QCOMPARE(f.Mains(), Words("B D A C E"));
        QCOMPARE(f.Tree().CheckedCount(), 0);
        QVERIFY(!f.Channel(QStringLiteral("B"))->IsChecked);
        QVERIFY(!f.Channel(QStringLiteral("D"))->IsChecked);
    }

    void savedFileHasAudioTracksDirectlyAfterTheirMovedMainChannel() {
        TEditFixture f({EditRec(QStringLiteral("A")), EditSub(QStringLiteral("a1")),
                        EditSub(QStringLiteral("a2")), EditRec(QStringLiteral("B")),
                        EditRec(QStringLiteral("C")), EditSub(QStringLiteral("c1")),
                        EditRec(QStringLiteral("D"))});
        TEditCommands commands(f.Doc);
        f.Tick("A");
        commands.MoveCheckedToBottom();
        f.Tree().UncheckAll();
        f.Tick("C");
        f.Select(f.Node(QStringLiteral("B")));
        commands.InsertCheckedBefore();
        QCOMPARE(f.TreeOrder(), Words("C c1 B D A a1 a2"));

        const QString saved = f.Dir.path() + QStringLiteral("/saved.dat");
        f.Doc.SaveChannelList(saved, false);
        QCOMPARE(RecordsIn(saved), Words("C +c1 B D A +a1 +a2"));
    }

    void dragOfAnAudioTrackOntoItsParentMakesItTheMainChannel() {
        TEditFixture f({EditRec(QStringLiteral("A")), EditRec(QStringLiteral("M")),
                        EditSub(QStringLiteral("s1")), EditSub(QStringLiteral("s2")),
                        EditRec(QStringLiteral("Z"))});
        TEditCommands commands(f.Doc);
        f.Tick("M");
        f.Channel(QStringLiteral("M"))->IsBookMarked = true;
        QSignalSpy data(&f.Tree(), &QAbstractItemModel::dataChanged);
        QSignalSpy layout(&f.Tree(), &QAbstractItemModel::layoutChanged);
        QSignalSpy moved(&f.Tree(), &QAbstractItemModel::rowsMoved);

        const QModelIndex dragged = f.SubNode(QStringLiteral("M"), QStringLiteral("s2"));
        const QModelIndex parent = f.Node(QStringLiteral("M"));
        QVERIFY(commands.CanDrop(dragged, parent));
        commands.Drop(dragged, parent);

        // The parent row keeps its number, tick and bookmark, now with s2 as its channel.
        QCOMPARE(f.Tree().ChannelAt(1)->Name(), QStringLiteral("s2"));
        QVERIFY(f.Tree().data(f.Tree().NodeIndex(1)).toString().startsWith(u"[1] s2"));
        QVERIFY(f.Tree().IsNodeChecked(1));
        QCOMPARE(f.Tree().CheckedCount(), 1);
        TChannel* s2 = f.Channel(QStringLiteral("s2"));
        TChannel* m = f.Channel(QStringLiteral("M"));
        QVERIFY(s2->IsMainChannel() && s2->IsChecked && s2->IsBookMarked);
        QVERIFY(m->IsSubChannel() && !m->IsChecked && !m->IsBookMarked);
        QCOMPARE(f.TreeOrder(), Words("A s2 s1 M Z"));
        QCOMPARE(f.ListOrder(), Words("A s2 s1 M Z"));
        QCOMPARE(f.Doc.MainTree().SelectedChannel(), s2);
        QVERIFY(f.Doc.IsModified());
        // Nothing but that node and its audio tracks changed.
        QCOMPARE(layout.count(), 0);
        QCOMPARE(moved.count(), 0);
        QVERIFY(!data.isEmpty());
        for (const QList<QVariant>& signal : data) {
            const QModelIndex first = signal[0].toModelIndex();
            const QModelIndex last = signal[1].toModelIndex();
            QCOMPARE(f.Tree().GetActualChannelNo(first), 1);
            QCOMPARE(f.Tree().GetActualChannelNo(last), 1);
        }

        const QString saved = f.Dir.path() + QStringLiteral("/saved.dat");
        f.Doc.SaveChannelList(saved, false);
        QCOMPARE(RecordsIn(saved), Words("A s2 +s1 +M Z"));
    }

    void dragOfAnAudioTrackOntoASiblingSwapsThemAndNotOntoAnotherParent() {
        TEditFixture f({EditRec(QStringLiteral("M")), EditSub(QStringLiteral("s1")),
                        EditSub(QStringLiteral("s2")), EditSub(QStringLiteral("s3")),
                        EditRec(QStringLiteral("N")), EditSub(QStringLiteral("n1"))});
        TEditCommands commands(f.Doc);
        const QModelIndex s1 = f.SubNode(QStringLiteral("M"), QStringLiteral("s1"));
        const QModelIndex s3 = f.SubNode(QStringLiteral("M"), QStringLiteral("s3"));
        const QModelIndex n1 = f.SubNode(QStringLiteral("N"), QStringLiteral("n1"));
        QVERIFY(!commands.CanDrop(s1, n1));
        QVERIFY(!commands.CanDrop(s1, f.Node(QStringLiteral("N"))));
        QVERIFY(!commands.CanDrop(f.Node(QStringLiteral("N")), s1));
        commands.Drop(s1, n1);
        QCOMPARE(f.TreeOrder(), Words("M s1 s2 s3 N n1"));
        QVERIFY(!f.Doc.IsModified());

        QVERIFY(commands.CanDrop(s1, s3));
        commands.Drop(s1, s3);
        QCOMPARE(f.TreeOrder(), Words("M s3 s2 s1 N n1"));
        QCOMPARE(f.ListOrder(), Words("M s3 s2 s1 N n1"));
        QCOMPARE(f.Doc.MainTree().SelectedChannel(), f.Channel(QStringLiteral("s1")));
        QVERIFY(f.Doc.IsModified());
    }

    void dropBetweenGroupsFollowsFreeDragAndDrop_data() {
        QTest::addColumn<bool>("free");
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<QString>("expected");
        // g1a g1b: Root/C1; g2a g2b: Root/C2; h: Root/c2 (case differs); x: Other/C1.
        const QString unchanged = QStringLiteral("g1a g1b g2a g2b h x");
        QTest::newRow("same group") << false << "g1b"
                                    << "g1a" << true << "g1b g1a g2a g2b h x";
        QTest::newRow("after the group's last channel") << false << "g1a"
                                                        << "g2a" << true << "g1b g1a g2a g2b h x";
        QTest::newRow("into another category") << false << "g1a"
                                               << "g2b" << false << unchanged;
        QTest::newRow("category differs in case only") << false << "h"
                                                       << "g2b" << false << unchanged;
        QTest::newRow("same category, other root") << false << "x"
                                                   << "g1b" << false << unchanged;
        QTest::newRow("free: anywhere") << true << "g1a"
                                        << "x" << true << "g1b g2a g2b h g1a x";
        QTest::newRow("free: upwards") << true << "x"
                                       << "g1b" << true << "g1a x g1b g2a g2b h";
        QTest::newRow("free: onto itself") << true << "g2a"
                                           << "g2a" << true << unchanged;
    }
    void dropBetweenGroupsFollowsFreeDragAndDrop() {
        QFETCH(bool, free);
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QFETCH(bool, allowed);
        QFETCH(QString, expected);
        const QString c1 = QStringLiteral("C1");
        const QString c2 = QStringLiteral("C2");
        const QString root = QStringLiteral("Root");
        TEditFixture f(
            {EditRec(QStringLiteral("g1a"), c1, root), EditRec(QStringLiteral("g1b"), c1, root),
             EditRec(QStringLiteral("g2a"), c2, root), EditRec(QStringLiteral("g2b"), c2, root),
             EditRec(QStringLiteral("h"), QStringLiteral("c2"), root),
             EditRec(QStringLiteral("x"), c1, QStringLiteral("Other"))});
        Settings().FreeDragAndDropAllowed = free;
        TEditCommands commands(f.Doc);
        f.Tick("g2b");
        const QModelIndex d = f.Node(dragged);
        const QModelIndex t = f.Node(target);
        QCOMPARE(commands.IsDropInGroup(d, t), allowed);
        QCOMPARE(commands.CanDrop(d, t), allowed);

        commands.Drop(d, t);
        QCOMPARE(f.Mains(), expected.split(QLatin1Char(' ')));
        QCOMPARE(f.Doc.IsModified(), expected != QStringLiteral("g1a g1b g2a g2b h x"));
        // The tick travels with its node.
        QVERIFY(f.Tree().IsNodeChecked(f.Row(QStringLiteral("g2b"))));
        QCOMPARE(f.Tree().CheckedCount(), 1);
        for (int row = 0; row < f.Tree().TopCount(); ++row)
            QVERIFY(f.Tree()
                        .data(f.Tree().NodeIndex(row))
                        .toString()
                        .startsWith(QStringLiteral("[%1] ").arg(row)));
    }

    void twoDeletesAgeTheFirstBatchAndTheDeletedFileKeepsAudioTracks() {
        TEditFixture f({EditRec(QStringLiteral("A")), EditRec(QStringLiteral("B")),
                        EditSub(QStringLiteral("b1")), EditRec(QStringLiteral("C")),
                        EditRec(QStringLiteral("D")), EditSub(QStringLiteral("d1")),
                        EditRec(QStringLiteral("E"))});
        TEditCommands commands(f.Doc);
        f.Tick("B C");
        TDialogSeam::AddAnswer(true);
        commands.DeleteChecked();
        QCOMPARE(TDialogSeam::ShownTexts(),
                 QStringList{QStringLiteral("Delete checked channels?")});
        QCOMPARE(TDialogSeam::Shown()[0].Kind, TMessageKind::Confirmation);
        QCOMPARE(f.Mains(), Words("A D E"));
        QCOMPARE(f.Tree().CheckedCount(), 0);
        QCOMPARE(f.Channel(QStringLiteral("B"))->State, csRecentlyDeleted);
        QVERIFY(f.Channel(QStringLiteral("B"))->IsChecked);
        QVERIFY(f.Doc.IsModified());

        // Without the question this time.
        Settings().ConfirmDeleteChecked = false;
        TDialogSeam::ClearShown();
        f.Tick("D");
        commands.DeleteChecked();
        QVERIFY(TDialogSeam::ShownTexts().isEmpty());
        QCOMPARE(f.Mains(), Words("A E"));
        QVERIFY(f.Tree().data(f.Tree().NodeIndex(1)).toString().startsWith(u"[1] E"));
        QCOMPARE(f.Channel(QStringLiteral("B"))->State, csDeleted);
        QCOMPARE(f.Channel(QStringLiteral("C"))->State, csDeleted);
        QCOMPARE(f.Channel(QStringLiteral("D"))->State, csRecentlyDeleted);
        // Audio tracks keep their own state.
        QCOMPARE(f.Channel(QStringLiteral("b1"))->State, csNormal);

        const QString saved = f.Dir.path() + QStringLiteral("/saved.dat");
        f.Doc.SaveChannelList(saved, false);
        QCOMPARE(RecordsIn(saved), Words("A E"));
        QCOMPARE(RecordsIn(TChannelDocument::DeletedFileName(saved)), Words("B +b1 C D +d1"));
    }

    void deleteAnsweredNoChangesNothing() {
        TEditFixture f(MainsNamed("A B C"));
        TEditCommands commands(f.Doc);
        f.Tick("B");
        QSignalSpy changed(&f.Doc, &TChannelDocument::ChannelsChanged);
        TDialogSeam::AddAnswer(false);
        commands.DeleteChecked();
        QCOMPARE(f.Mains(), Words("A B C"));
        QCOMPARE(f.Channel(QStringLiteral("B"))->State, csNormal);
        QVERIFY(!f.Doc.IsModified());
        QCOMPARE(changed.count(), 0);
    }

    void restoreAppendsTickedChannelsAndSetsTheUnsavedMark() {
        TEditFixture f({EditRec(QStringLiteral("A")), EditRec(QStringLiteral("B")),
                        EditSub(QStringLiteral("b1")), EditRec(QStringLiteral("C")),
                        EditRec(QStringLiteral("D"))});
        Settings().ConfirmDeleteChecked = false;
        TEditCommands commands(f.Doc);
        f.Tick("B C");
        commands.DeleteChecked();
        f.Tick("A");
        // As after a save: only the restore is left to be saved.
        f.Doc.SetModified(false);
        QSignalSpy shown(&commands, &TEditCommands::NodeToShow);

        commands.RestoreChannels({f.Channel(QStringLiteral("C")), f.Channel(QStringLiteral("B"))});
        QCOMPARE(f.TreeOrder(), Words("A D C B b1"));
        QVERIFY(f.Tree().data(f.Tree().NodeIndex(3)).toString().startsWith(u"[3] B"));
        QCOMPARE(f.Tree().CheckedCount(), 3);
        QVERIFY(f.Tree().IsNodeChecked(2) && f.Tree().IsNodeChecked(3));
        QCOMPARE(f.Channel(QStringLiteral("B"))->State, csNormal);
        QCOMPARE(f.Channel(QStringLiteral("C"))->State, csNormal);
        QVERIFY(f.Doc.IsModified());
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown[0][0].toModelIndex(), f.Tree().NodeIndex(3));

        // Handing back a channel that already has its node again does not add a second one.
        commands.RestoreChannels({f.Channel(QStringLiteral("B"))});
        QCOMPARE(f.TreeOrder(), Words("A D C B b1"));
    }

    void renameThatDoesNotFitOneChannelChangesNothingAndSelectsIt_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("category") << int(emCategory);
        QTest::newRow("root") << int(emRoot);
    }
    void renameThatDoesNotFitOneChannelChangesNothingAndSelectsIt() {
        QFETCH(int, mode);
        // 46 bytes beside "Root" and "Cat" fit; beside a 25-byte root or category they do not.
        const QString longName(46, QLatin1Char('n'));
        TEditFixture f({EditRec(QStringLiteral("A")), EditSub(QStringLiteral("a1")),
                        EditRec(QStringLiteral("B")), EditSub(QStringLiteral("b1")),
                        EditSub(longName), EditRec(QStringLiteral("C")),
                        EditRec(QStringLiteral("U"))});
        TEditCommands commands(f.Doc);
        f.Tick("A B C");
        const TEditMode editMode = TEditMode(mode);
        auto field = [&](const QString& name) {
            TChannel* c = f.Channel(name);
            return editMode == emRoot ? c->Root() : c->Category();
        };
        const QString original =
            editMode == emRoot ? QStringLiteral("Root") : QStringLiteral("Cat");
        QSignalSpy changed(&f.Doc, &TChannelDocument::ChannelsChanged);

        const QString tooMuch(25, QLatin1Char('x'));
        QVERIFY(!commands.RenameCategoryOrRoot(editMode, tooMuch));
        for (const QString& name : Words("A a1 B b1 C"))
            QCOMPARE(field(name), original);
        QCOMPARE(field(longName), original);
        QCOMPARE(f.Doc.MainTree().SelectedNode(), f.SubNode(QStringLiteral("B"), longName));
        QCOMPARE(TDialogSeam::ShownTexts(),
                 QStringList{
                     QStringLiteral("Channel name: %1 is too long for %2").arg(longName, tooMuch)});
        QCOMPARE(TDialogSeam::Shown()[0].Kind, TMessageKind::Error);
        QVERIFY(!f.Doc.IsModified());
        QCOMPARE(changed.count(), 0);

        // Two bytes fewer leave room for every name: ticked channels and their tracks change.
        const QString fits(23, QLatin1Char('y'));
        QVERIFY(commands.RenameCategoryOrRoot(editMode, fits));
        for (const QString& name : Words("A a1 B b1 C"))
            QCOMPARE(field(name), fits);
        QCOMPARE(field(longName), fits);
        QCOMPARE(f.Channel(longName)->Name(), longName);
        QCOMPARE(field(QStringLiteral("U")), original);
        QVERIFY(f.Doc.IsModified());
        QCOMPARE(changed.count(), 1);
        QVERIFY(f.Tree().data(f.Tree().NodeIndex(0)).toString().contains(fits));
    }

    void renameRefusesANameLongerThanItsField() {
        TEditFixture f(MainsNamed("A B"));
        TEditCommands commands(f.Doc);
        f.Tick("A B");
        QVERIFY(!commands.RenameCategoryOrRoot(emCategory, QString(26, QLatin1Char('x'))));
        QCOMPARE(f.Channel(QStringLiteral("A"))->Category(), QStringLiteral("Cat"));
        QCOMPARE(TDialogSeam::ShownTexts(), QStringList{QStringLiteral("Name is too long")});
        QVERIFY(!commands.RenameCategoryOrRoot(emCategory, QString()));
        QVERIFY(!f.Doc.IsModified());
    }

    void editChannelNameChangesOnlyThatChannel() {
        TEditFixture f({EditRec(QStringLiteral("M")), EditSub(QStringLiteral("m1")),
                        EditRec(QStringLiteral("N"))});
        TEditCommands commands(f.Doc);
        const QModelIndex sub = f.SubNode(QStringLiteral("M"), QStringLiteral("m1"));
        commands.EditChannelName(sub, QStringLiteral("English"));
        QCOMPARE(f.TreeOrder(), Words("M English N"));
        QCOMPARE(f.Tree().data(sub).toString(), QStringLiteral("English"));
        QVERIFY(f.Doc.IsModified());

        f.Doc.SetModified(false);
        QSignalSpy changed(&f.Doc, &TChannelDocument::ChannelsChanged);
        commands.EditChannelName(f.Node(QStringLiteral("N")), QString());
        QCOMPARE(f.Channel(QStringLiteral("N"))->Name(), QStringLiteral("N"));
        QVERIFY(!f.Doc.IsModified());
        QCOMPARE(changed.count(), 1);

        // 66 bytes fit beside "Root" and "Cat", 67 do not.
        QVERIFY_THROWS_EXCEPTION(
            EChannelException,
            commands.EditChannelName(f.Node(QStringLiteral("N")), QString(67, QLatin1Char('z'))));
        QCOMPARE(f.Channel(QStringLiteral("N"))->Name(), QStringLiteral("N"));
        QVERIFY(!f.Doc.IsModified());
    }

    // A is ticked with its audio track a1, B is not ticked and has b1, C is ticked alone.
    void propertyValuesReachTheTickedChannels_data() {
        QTest::addColumn<QString>("property");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("before");
        QTest::addColumn<QList<int>>("after"); // A a1 B b1 C
        QTest::newRow("group H") << "group" << 7 << 1 << QList<int>{7, 7, 1, 1, 7};
        // The whole byte: bits left clear are cleared.
        QTest::newRow("EPG flags")
            << "epg" << 0x02 << 0x81 << QList<int>{0x02, 0x02, 0x81, 0x81, 0x02};
        QTest::newRow("RDS yes") << "rds" << 1 << 0 << QList<int>{1, 1, 0, 0, 1};
        QTest::newRow("RDS no") << "rds" << 0 << 1 << QList<int>{0, 0, 1, 1, 0};
        QTest::newRow("auto update on") << "autoupdate" << 1 << 0 << QList<int>{1, 1, 0, 0, 1};
        QTest::newRow("auto update off") << "autoupdate" << 0 << 1 << QList<int>{0, 0, 1, 1, 0};
        // The default audio track is the main channel's own choice.
        QTest::newRow("speakers right") << "speakers" << 2 << 1 << QList<int>{2, 1, 1, 1, 2};
        QTest::newRow("speakers stereo") << "speakers" << 0 << 1 << QList<int>{0, 1, 1, 1, 0};
        QTest::newRow("no item chosen") << "rds" << -1 << 0 << QList<int>{0, 0, 0, 0, 0};
    }
    void propertyValuesReachTheTickedChannels() {
        QFETCH(QString, property);
        QFETCH(int, value);
        QFETCH(int, before);
        QFETCH(QList<int>, after);
        auto rec = [&](const char* name, bool sub) {
            TChannelRecBuilder b;
            b.Name(QString::fromLatin1(name)).SubChannel(sub);
            if (property == QLatin1String("group"))
                b.Group(quint8(before));
            else if (property == QLatin1String("epg"))
                b.EPGFlags(quint8(before));
            else if (property == QLatin1String("rds"))
                b.RDS(before == 1);
            else if (property == QLatin1String("autoupdate"))
                b.AutoUpdate(before == 1);
            else
                b.Speakers(quint8(before));
            return b.Build();
        };
        TEditFixture f(
            {rec("A", false), rec("a1", true), rec("B", false), rec("b1", true), rec("C", false)});
        f.Tick("A C");
        const auto read = [&](const char* name) {
            const TChannel& c = *f.Channel(QString::fromLatin1(name));
            if (property == QLatin1String("group"))
                return int(c.Group());
            if (property == QLatin1String("epg"))
                return int(c.EpgFlags());
            if (property == QLatin1String("rds"))
                return int(c.HasRDS());
            if (property == QLatin1String("autoupdate"))
                return int(c.IsAutoUpdate());
            return int(c.Speakers());
        };
        QCOMPARE((QList<int>{read("A"), read("a1"), read("B"), read("b1"), read("C")}),
                 (QList<int>{before, before, before, before, before}));

        TEditCommands commands(f.Doc);
        QSignalSpy changed(&f.Doc, &TChannelDocument::ChannelsChanged);
        if (property == QLatin1String("group"))
            commands.SetGroup(quint8(value));
        else if (property == QLatin1String("epg"))
            commands.SetEPGFlags(quint8(value));
        else
            commands.SetProperty(property == QLatin1String("rds")          ? stRDS
                                 : property == QLatin1String("autoupdate") ? stAutoUpdate
                                                                           : stSpeakers,
                                 value);
        QCOMPARE((QList<int>{read("A"), read("a1"), read("B"), read("b1"), read("C")}), after);
        const bool applied = value >= 0;
        QCOMPARE(f.Doc.IsModified(), applied);
        QCOMPARE(changed.count(), applied ? 1 : 0);
    }

    void defaultAudioTrackAndBookmarksOnAnAudioTrackNode() {
        TEditFixture f({EditRec(QStringLiteral("M")), EditSub(QStringLiteral("m1")),
                        EditRec(QStringLiteral("N"))});
        TEditCommands commands(f.Doc);
        const QModelIndex sub = f.SubNode(QStringLiteral("M"), QStringLiteral("m1"));

        // Bookmarks belong to the main channel and are not part of the file.
        f.Select(sub);
        commands.ToggleBookmark();
        QVERIFY(f.Channel(QStringLiteral("M"))->IsBookMarked);
        QVERIFY(!f.Channel(QStringLiteral("m1"))->IsBookMarked);
        QVERIFY(!f.Doc.IsModified());

        f.Select(sub);
        commands.DefaultAudioTrack();
        QCOMPARE(f.TreeOrder(), Words("m1 M N"));
        QVERIFY(f.Channel(QStringLiteral("m1"))->IsBookMarked);
        QVERIFY(f.Doc.IsModified());

        // On a main channel node the command does nothing.
        f.Doc.SetModified(false);
        commands.DefaultAudioTrack();
        QCOMPARE(f.TreeOrder(), Words("m1 M N"));
        QVERIFY(!f.Doc.IsModified());

        QSignalSpy goTo(&commands, &TEditCommands::GoToWindowUpdateNeeded);
        commands.DeleteAllBookmarks();
        QVERIFY(!f.Channel(QStringLiteral("m1"))->IsBookMarked);
        QCOMPARE(goTo.count(), 1);
        QVERIFY(!f.Doc.IsModified());
    }

    void bulkTicksActOnTheActiveTree() {
        TEditFixture f(MainsNamed("A B C D E F G H I J"));
        TEditCommands commands(f.Doc);
        f.Tick("A D G");
        commands.InvertChecking();
        QCOMPARE(f.Tree().CheckedCount(), 7);
        QVERIFY(!f.Tree().IsNodeChecked(0) && f.Tree().IsNodeChecked(1));

        // While another tree is the active one, the main tree is left alone.
        TChannelTreeModel other;
        SetActiveTreeView(TChannelTree{&other, nullptr});
        commands.UncheckAll();
        QCOMPARE(f.Tree().CheckedCount(), 7);
        SetActiveTreeView(f.Doc.MainTree());
        commands.UncheckAll();
        QCOMPARE(f.Tree().CheckedCount(), 0);
        commands.CheckAll();
        QCOMPARE(f.Tree().CheckedCount(), 10);
        QVERIFY(!f.Doc.IsModified());
    }
};

QTEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"

#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "help/UTextInfo.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UCheckedTreeViewHelper.h"
#include "main/UInformation.h"
#include "main/UMain.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "views/UChannelTreeView.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <memory>

namespace {

const QString CaptionTail = QStringLiteral(" - Orvane (x32) 0.3.0.0 (Ctrl+F12)");

TChannelRecBuilder Main(const char* name) {
    return TChannelRecBuilder()
        .Name(QLatin1String(name))
        .Category(QStringLiteral("Cat"))
        .Root(QStringLiteral("Root"))
        .Video();
}

TChannelRecBuilder Sub(const char* name) {
    return Main(name).SubChannel();
}

// Every command the main window has, by its object name.
const QStringList AllCommands = {
    QStringLiteral("actOpenDVBViewerFile"),
    QStringLiteral("actSaveDVBViewerFile"),
    QStringLiteral("actFileOpen"),
    QStringLiteral("actFileSaveAs"),
    QStringLiteral("actFileSave"),
    QStringLiteral("actAppendChecked"),
    QStringLiteral("actAppendUnchecked"),
    QStringLiteral("actApplyOrder"),
    QStringLiteral("actExport"),
    QStringLiteral("actChanges"),
    QStringLiteral("actCheckDuplicates"),
    QStringLiteral("actInformation"),
    QStringLiteral("actExit"),
    QStringLiteral("actSearch"),
    QStringLiteral("actGoTo"),
    QStringLiteral("actToggleBookmark"),
    QStringLiteral("actDeleteAllBookmarks"),
    QStringLiteral("actRestoreDeleted"),
    QStringLiteral("actMakeManHappy"),
    QStringLiteral("actMakeIPTVXepgReady"),
    QStringLiteral("actNoPath"),
    QStringLiteral("actSmallPath"),
    QStringLiteral("actFullPath"),
    QStringLiteral("actViewStructure"),
    QStringLiteral("actViewChannelInfo"),
    QStringLiteral("actShowChannelNumbers"),
    QStringLiteral("actViewChecking"),
    QStringLiteral("actViewGoTo"),
    QStringLiteral("actChecking"),
    QStringLiteral("actCheckingByCategoryAndRoot"),
    QStringLiteral("actUncheckAll"),
    QStringLiteral("actCheckAll"),
    QStringLiteral("actInvertChecking"),
    QStringLiteral("actKeepMovedChannelsChecked"),
    QStringLiteral("actRenameCategories"),
    QStringLiteral("actRenameRoots"),
    QStringLiteral("actMoveCheckedToTop"),
    QStringLiteral("actMoveCheckedToBottom"),
    QStringLiteral("actDeleteChecked"),
    QStringLiteral("actSaveCheckedAs"),
    QStringLiteral("actSetGroup"),
    QStringLiteral("actSetAutoUpdate"),
    QStringLiteral("actSetEPGFlags"),
    QStringLiteral("actSetSpeakers"),
    QStringLiteral("actSetRDS"),
    QStringLiteral("actFolders"),
    QStringLiteral("actSettings"),
    QStringLiteral("actCodepage"),
    QStringLiteral("actHelp"),
    QStringLiteral("actAbout"),
    QStringLiteral("actInsertCheckedBefore"),
    QStringLiteral("actInsertCheckedAfter"),
    QStringLiteral("actTune"),
    QStringLiteral("actEditChannelName"),
    QStringLiteral("actDefaultAudioTrack"),
    QStringLiteral("actExpandTreeView"),
    QStringLiteral("actCollapseTreeView"),
    QStringLiteral("actFocusMainForm"),
};

QStringList Words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    TMainWindowFixture F;

    QString ViewerFile() const { return Settings().DVBViewerDataFolder + u"channels.dat"_qs; }
    QString WorkFile(const QString& name = QStringLiteral("work.dat")) const {
        return F.Path(name);
    }

    QAction* Action(const QString& name) const { return F.Action(name); }
    bool Trigger(const QString& name) { return F.Trigger(name); }

    void Load(const QString& path, const QList<TChannelRec>& records) {
        QVERIFY(F.Load(path, records));
    }

    TChannelTreeModel& Tree() const { return F->Tree(); }
    TChannelTreeView* View() const { return F.Child<TChannelTreeView>("tvChannels"); }
    QString CheckedPanel() const { return F.Child<QLabel>("StatusPanel1")->text(); }
    int SelectedRow() const {
        const QModelIndex node = MainTreeView().SelectedNode();
        return node.isValid() && TChannelTreeModel::IsTopLevel(node) ? node.row() : -1;
    }
    void Select(const QModelIndex& node) { MainTreeView().Select(node); }

    void PressInTree(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(View(), static_cast<Qt::Key>(key), modifiers);
    }

    QPoint TickBoxCentre(const QModelIndex& node) const {
        TChannelTreeView* view = View();
        QStyleOptionViewItem option;
        option.initFrom(view);
        option.rect = view->visualRect(node);
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        return view->style()
            ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view)
            .center();
    }

    // A list of five main channels; B has one audio track.
    void LoadFive() {
        Load(WorkFile(), {Main("A"), Main("B"), Sub("b"), Main("C"), Main("D"), Main("E")});
    }

private Q_SLOTS:
    void init() { QVERIFY(F.Init()); }
    void cleanup() { F.Cleanup(); }

    void captionNamesTheFileAndTheViewersList_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("caption");
        QTest::newRow("nothing loaded") << QString() << CaptionTail;
        QTest::newRow("work list") << QStringLiteral("work.dat") << u"work.dat"_qs + CaptionTail;
        QTest::newRow("viewer's list")
            << QStringLiteral("viewer") << u"DVBViewer_channels.dat"_qs + CaptionTail;
    }
    void captionNamesTheFileAndTheViewersList() {
        QFETCH(QString, file);
        QFETCH(QString, caption);
        if (file == u"viewer"_qs)
            Load(ViewerFile(), {Main("A")});
        else if (!file.isEmpty())
            Load(WorkFile(file), {Main("A")});
        QCOMPARE(F->windowTitle(), caption);
    }

    void informationWithoutChannelsShowsOnlyTheHeader() {
        const std::vector<TInfoRun> runs = InformationRuns(F->Channels(), Tree(), QString());
        const std::vector<TInfoRun> expected = {
            {u"Orvane 0.3.0.0\r\n"_qs, Qt::black, true},
            {u"\r\nFile: <no channels>\r\n\r\n"_qs, Qt::black, false},
        };
        QVERIFY(runs == expected);
    }

    void informationCountsTheTreeNotTheDeletedChannels() {
        const QString path = WorkFile(QStringLiteral("info.dat"));
        // A deleted channel beside the list: it has no node, so it is not counted.
        QVERIFY(
            WriteChannelFile(WorkFile(QStringLiteral("info.Odel")), {Main("Gone").TunerType(4)}));
        Load(path,
             {Main("S2").TunerType(1).SecondGeneration().Encrypted(), Sub("s2 audio"),
              Sub("s2 audio 2"), Main("S").TunerType(1), Main("C radio").TunerType(0).Video(false),
              Main("T2 radio").TunerType(2).SecondGeneration().Video(false),
              Main("IP").TunerType(4).Encrypted(), Main("Odd").TunerType(7)});

        const std::vector<TInfoRun> runs = InformationRuns(F->Channels(), Tree(), path);
        const QColor black(Qt::black), red(Qt::red), blue(Qt::blue);
        const std::vector<TInfoRun> expected = {
            {u"Orvane 0.3.0.0\r\n"_qs, black, true},
            {u"\r\nFile: "_qs + path + u"\r\n\r\n"_qs, black, false},
            {u"File ID: "_qs, black, false},
            {u"B2C2\t"_qs, red, true},
            {u"File Version: "_qs, black, false},
            {u"1.0\r\n\r\n"_qs, blue, true},
            {u"Main channels = 6\r\nEncrypted Main channels = 2\r\nSub channels = 2\r\n\r\n"
             u"TV channels = 4\r\nRadio channels = 2\r\n\r\n"_qs,
             black, false},
            {u"DVB-C (total):   "_qs, blue, true},
            {u"1\t"_qs, black, false},
            {u"DVB-C2:   "_qs, red, true},
            {u"0\r\n"_qs, black, false},
            {u"DVB-S (total):   "_qs, blue, true},
            {u"2\t"_qs, black, false},
            {u"DVB-S2:   "_qs, red, true},
            {u"1\r\n"_qs, black, false},
            {u"DVB-T (total):   "_qs, blue, true},
            {u"1\t"_qs, black, false},
            {u"DVB-T2:   "_qs, red, true},
            {u"1\r\n"_qs, black, false},
            {u"ATSC:   "_qs, blue, true},
            {u"0\r\n"_qs, black, false},
            {u"IPTV:   "_qs, blue, true},
            {u"1\r\n"_qs, black, false},
            {u"Stream:   "_qs, blue, true},
            {u"0\r\n"_qs, black, false},
        };
        QCOMPARE(runs.size(), expected.size());
        for (size_t i = 0; i < runs.size(); ++i) {
            QCOMPARE(runs[i].Text, expected[i].Text);
            QCOMPARE(runs[i].Color, expected[i].Color);
            QCOMPARE(runs[i].Bold, expected[i].Bold);
        }
    }

    void informationCommandShowsTheSummaryModally() {
        Load(WorkFile(), {Main("A").Video(false)});
        QString shown;
        QString caption;
        const auto modal = WhenModal([&](QWidget* w) {
            auto* info = qobject_cast<TfrmInfo*>(w);
            QVERIFY(info);
            caption = info->windowTitle();
            shown = info->PlainText();
            info->reject();
        });
        QVERIFY(Trigger(QStringLiteral("actInformation")));
        QCOMPARE(caption, QStringLiteral("Channel Info"));
        QVERIFY2(shown.contains(u"File: "_qs + WorkFile()), qPrintable(shown));
        QVERIFY2(shown.contains(u"TV channels = 0\nRadio channels = 1"_qs), qPrintable(shown));
    }

    void pathModesChangeOnlyTheTexts_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("pathMode");
        QTest::addColumn<QString>("firstText");
        QTest::newRow("no path") << u"actNoPath"_qs << 0 << u"[0] A"_qs;
        QTest::newRow("small path") << u"actSmallPath"_qs << 1 << u"[0] A   \u2022   Cat"_qs;
        QTest::newRow("full path")
            << u"actFullPath"_qs << 2 << u"[0] A   \u2022   Cat   >>>>>>Root"_qs;
    }
    void pathModesChangeOnlyTheTexts() {
        QFETCH(QString, command);
        QFETCH(int, pathMode);
        QFETCH(QString, firstText);
        LoadFive();
        Settings().PathMode = pathMode == 0 ? 2 : 0; // start from another mode
        CheckNode(Tree().NodeIndex(3));
        View()->expand(Tree().NodeIndex(1));
        Select(Tree().SubIndex(1, 0));

        QVERIFY(Trigger(command));
        QCOMPARE(int(Settings().PathMode), pathMode);
        QCOMPARE(Tree().data(Tree().NodeIndex(0)).toString(), firstText);
        QCOMPARE(Tree().data(Tree().SubIndex(1, 0)).toString(), u"b"_qs);
        QCOMPARE(MainTreeView().SelectedNode(), Tree().SubIndex(1, 0));
        QVERIFY(View()->isExpanded(Tree().NodeIndex(1)));
        QVERIFY(Tree().IsNodeChecked(3));
        QCOMPARE(CheckedCount(), 1);
        QCOMPARE(CheckedPanel(), u"Checked: 1"_qs);
        QVERIFY(!F->Document().IsModified());

        QVERIFY(Trigger(u"actShowChannelNumbers"_qs));
        QVERIFY(!Tree().data(Tree().NodeIndex(0)).toString().startsWith(u'['));
    }

    void commandsAreEnabledByTheTreeAndTheList_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("enabled");
        const QStringList always = Words(
            "actOpenDVBViewerFile actFileOpen actInformation actExit actKeepMovedChannelsChecked "
            "actFolders actSettings actCodepage actHelp actAbout actFocusMainForm "
            "actGoTo actViewGoTo actChecking actViewChecking actDefaultAudioTrack");
        const QStringList activeNodes =
            Words("actToggleBookmark actDeleteAllBookmarks actNoPath actSmallPath actFullPath "
                  "actViewChannelInfo actShowChannelNumbers actCheckAll actInvertChecking "
                  "actExpandTreeView actCollapseTreeView actSearch actCheckingByCategoryAndRoot "
                  "actEditChannelName actMakeManHappy actCheckDuplicates");
        const QStringList mainNodes = Words("actFileSaveAs actAppendChecked actAppendUnchecked "
                                            "actViewStructure actMakeIPTVXepgReady "
                                            "actRestoreDeleted actApplyOrder actExport actChanges");
        const QStringList ticked = Words(
            "actUncheckAll actSaveCheckedAs actDeleteChecked actRenameCategories actRenameRoots "
            "actMoveCheckedToTop actMoveCheckedToBottom actInsertCheckedBefore "
            "actInsertCheckedAfter actSetGroup actSetAutoUpdate actSetEPGFlags actSetSpeakers "
            "actSetRDS");
        // Save DVBViewer: the main tree has nodes and neither the viewer nor its recorder runs.
        const QStringList saveViewer = {u"actSaveDVBViewerFile"_qs};

        QTest::newRow("empty tree") << u"empty"_qs << always;
        QTest::newRow("nodes") << u"nodes"_qs << always + activeNodes + mainNodes + saveViewer;
        QTest::newRow("ticked") << u"ticked"_qs
                                << always + activeNodes + mainNodes + saveViewer + ticked;
        QTest::newRow("modified work list")
            << u"modified"_qs
            << always + activeNodes + mainNodes + saveViewer + QStringList{u"actFileSave"_qs};
        QTest::newRow("modified viewer list")
            << u"viewer"_qs << always + activeNodes + mainNodes + saveViewer;
        QTest::newRow("restore tree active, main tree empty")
            << u"restore"_qs << always + activeNodes;
    }
    void commandsAreEnabledByTheTreeAndTheList() {
        QFETCH(QString, state);
        QFETCH(QStringList, enabled);
        TChannels restoreList;
        TChannelTreeModel restoreTree;
        QItemSelectionModel restoreSelection(&restoreTree);
        if (state == u"nodes" || state == u"ticked" || state == u"modified")
            LoadFive();
        if (state == u"ticked")
            CheckNode(Tree().NodeIndex(2));
        if (state == u"modified")
            F->Document().SetModified(true);
        if (state == u"viewer") {
            Load(ViewerFile(), {Main("A")});
            F->Document().SetModified(true);
        }
        if (state == u"restore") {
            restoreList.Add(Main("R").Channel());
            restoreTree.DisplayTreeView(restoreList);
            restoreTree.CheckNode(0); // the restore tree's ticks are not the main tree's
            SetRestoreTreeView({&restoreTree, &restoreSelection});
            SetActiveTreeView({&restoreTree, &restoreSelection});
        }

        F->tiEnabledTimer();
        QStringList wrong;
        for (const QString& name : AllCommands) {
            QAction* action = Action(name);
            QVERIFY(action);
            if (action->isEnabled() != enabled.contains(name))
                wrong << name + (action->isEnabled() ? u" enabled"_qs : u" disabled"_qs);
        }
        SetActiveTreeView(MainTreeView());
        SetRestoreTreeView({});
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u", "_qs)));
    }

    void ticksFollowKeysAndClicksAndTheCountShows() {
        LoadFive();
        View()->setFocus();
        Select(Tree().NodeIndex(0));

        // Shift+Down ticks the node being left, then moves on.
        PressInTree(Qt::Key_Down, Qt::ShiftModifier);
        QVERIFY(Tree().IsNodeChecked(0));
        QCOMPARE(SelectedRow(), 1);
        QCOMPARE(CheckedPanel(), u"Checked: 1"_qs);

        PressInTree(Qt::Key_Space);
        QVERIFY(Tree().IsNodeChecked(1));
        QCOMPARE(SelectedRow(), 1);
        QCOMPARE(CheckedPanel(), u"Checked: 2"_qs);

        PressInTree(Qt::Key_F12);
        QVERIFY(!Tree().IsNodeChecked(1));
        QCOMPARE(CheckedPanel(), u"Checked: 1"_qs);

        // Shift+Up unticks the ticked node it leaves... after moving onto it.
        PressInTree(Qt::Key_Up);
        QCOMPARE(SelectedRow(), 0);
        PressInTree(Qt::Key_Up, Qt::ShiftModifier);
        QVERIFY(!Tree().IsNodeChecked(0));
        QCOMPARE(CheckedPanel(), u"Checked: 0"_qs);

        const QModelIndex d = Tree().NodeIndex(3);
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, TickBoxCentre(d));
        QVERIFY(Tree().IsNodeChecked(3));
        QCOMPARE(CheckedPanel(), u"Checked: 1"_qs);
        QVERIFY(View()->IsOnTickBox(TickBoxCentre(d)));
        QVERIFY(!View()->IsOnTickBox(View()->visualRect(d).center()));
    }

    void subChannelNodesAreNeverTicked() {
        LoadFive();
        View()->setFocus();
        const QModelIndex sub = Tree().SubIndex(1, 0);
        View()->expand(Tree().NodeIndex(1));
        for (int key : {int(Qt::Key_Space), int(Qt::Key_F12)}) {
            Select(sub);
            PressInTree(key);
        }
        Select(sub);
        PressInTree(Qt::Key_Down, Qt::ShiftModifier);
        Select(sub);
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, TickBoxCentre(sub));
        QCOMPARE(CheckedCount(), 0);
        QCOMPARE(CheckedPanel(), u"Checked: 0"_qs);
        QCOMPARE(Tree().data(sub, Qt::CheckStateRole), QVariant());
        QVERIFY(!View()->IsOnTickBox(TickBoxCentre(sub)));
    }

    void bulkTickCommandsActOnTheActiveTree() {
        LoadFive();
        CheckNode(Tree().NodeIndex(0));
        QVERIFY(Trigger(u"actInvertChecking"_qs));
        QCOMPARE(CheckedPanel(), u"Checked: 4"_qs);
        QVERIFY(!Tree().IsNodeChecked(0));
        QVERIFY(Trigger(u"actCheckAll"_qs));
        QCOMPARE(CheckedPanel(), u"Checked: 5"_qs);
        QVERIFY(Trigger(u"actUncheckAll"_qs));
        QCOMPARE(CheckedPanel(), u"Checked: 0"_qs);

        Select(Tree().SubIndex(1, 0));
        QVERIFY(Trigger(u"actToggleBookmark"_qs));
        QVERIFY(Tree().ChannelAt(1)->IsBookMarked); // a sub-channel stands for its parent
        QVERIFY(Trigger(u"actDeleteAllBookmarks"_qs));
        QVERIFY(!Tree().ChannelAt(1)->IsBookMarked);
        QVERIFY(!F->Document().IsModified());
    }

    void functionKeysJumpToTheNextMatchingChannel_data() {
        QTest::addColumn<int>("start"); // -1: B's audio track
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<int>("expected"); // -1: the selection stays where it was
        // Rows: 0 A TV, 1 B encrypted radio (bookmarked), 2 C TV ticked, 3 D encrypted TV,
        // 4 E radio (bookmarked, ticked).
        QTest::newRow("F4 next bookmarked from a sub-channel")
            << -1 << int(Qt::Key_F4) << false << 4;
        QTest::newRow("F3 previous bookmarked") << 4 << int(Qt::Key_F3) << false << 1;
        QTest::newRow("F6 next ticked") << 0 << int(Qt::Key_F6) << false << 2;
        QTest::newRow("F5 previous ticked, start never matches")
            << 4 << int(Qt::Key_F5) << false << 2;
        QTest::newRow("F8 next encrypted") << 1 << int(Qt::Key_F8) << false << 3;
        QTest::newRow("F7 previous encrypted") << 3 << int(Qt::Key_F7) << false << 1;
        QTest::newRow("Ctrl+F4 next not encrypted from a sub-channel")
            << -1 << int(Qt::Key_F4) << true << 2;
        QTest::newRow("Ctrl+F3 previous not encrypted") << 3 << int(Qt::Key_F3) << true << 2;
        QTest::newRow("Ctrl+F6 next radio") << 0 << int(Qt::Key_F6) << true << 1;
        QTest::newRow("Ctrl+F5 previous radio") << 4 << int(Qt::Key_F5) << true << 1;
        QTest::newRow("Ctrl+F8 next TV") << 1 << int(Qt::Key_F8) << true << 2;
        QTest::newRow("Ctrl+F7 previous TV") << 2 << int(Qt::Key_F7) << true << 0;
        QTest::newRow("at the end nothing moves") << 4 << int(Qt::Key_F8) << false << -1;
        QTest::newRow("at the start nothing moves") << 0 << int(Qt::Key_F3) << true << -1;
        QTest::newRow("no wrap past the first") << 1 << int(Qt::Key_F3) << false << -1;
    }
    void functionKeysJumpToTheNextMatchingChannel() {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(bool, ctrl);
        QFETCH(int, expected);
        Load(WorkFile(), {Main("A"), Main("B").Video(false).Encrypted(), Sub("b"), Main("C"),
                          Main("D").Encrypted(), Main("E").Video(false)});
        Tree().ChannelAt(1)->IsBookMarked = true;
        Tree().ChannelAt(4)->IsBookMarked = true;
        CheckNode(Tree().NodeIndex(2));
        CheckNode(Tree().NodeIndex(4));
        View()->expand(Tree().NodeIndex(1));
        const QModelIndex startNode = start < 0 ? Tree().SubIndex(1, 0) : Tree().NodeIndex(start);
        Select(startNode);
        View()->setFocus();

        PressInTree(key, ctrl ? Qt::ControlModifier : Qt::NoModifier);
        const QModelIndex now = MainTreeView().SelectedNode();
        if (expected < 0)
            QCOMPARE(now, startNode);
        else
            QCOMPARE(now, Tree().NodeIndex(expected));
    }

    void functionKeysWithOtherModifiersDoNothing() {
        LoadFive();
        CheckNode(Tree().NodeIndex(4));
        Select(Tree().NodeIndex(0));
        PressInTree(Qt::Key_F6, Qt::ShiftModifier);
        PressInTree(Qt::Key_F6, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(SelectedRow(), 0);
        // The window sees the keys first, whichever of its controls has the focus.
        QTest::keyClick(F.Child<QTreeView>("tvStructure"), Qt::Key_F6);
        QCOMPARE(SelectedRow(), 4);
    }

    void channelInfoPaneShowsTheSelectedChannel() {
        LoadFive();
        QVERIFY(Trigger(u"actViewChannelInfo"_qs));
        QVERIFY(F.Child<QTextEdit>("reChannelInfo")->isVisible());
        QVERIFY(!F.Child<QTreeView>("tvStructure")->isVisible());
        Select(Tree().NodeIndex(2));
        View()->setFocus();
        PressInTree(Qt::Key_Down);
        QCOMPARE(SelectedRow(), 3);
        QVERIFY2(F.Child<QTextEdit>("reChannelInfo")->toPlainText().contains(u"|D\n"_qs),
                 qPrintable(F.Child<QTextEdit>("reChannelInfo")->toPlainText()));

        // Ctrl+R is "Structure", not "By Root and Category...".
        QApplication::setActiveWindow(&F.Main());
        QVERIFY(QTest::qWaitForWindowActive(&F.Main()));
        QTest::keyClick(View(), Qt::Key_R, Qt::ControlModifier);
        QVERIFY(Action(u"actViewStructure"_qs)->isChecked());
        QVERIFY(F.Child<QTreeView>("tvStructure")->isVisible());
        QVERIFY(!F.Child<QTextEdit>("reChannelInfo")->isVisible());
    }

    void iptvCommandNeedsIptvChannels() {
        LoadFive();
        QVERIFY(Trigger(u"actMakeIPTVXepgReady"_qs));
        QCOMPARE(TDialogSeam::ShownTexts(), QStringList{u"No IPTV channels found."_qs});
        QCOMPARE(TDialogSeam::Shown().front().Kind, TMessageKind::Error);
    }

    void closingWithUnsavedChangesAsksFirst_data() {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("no changes: no question") << false << false << true;
        QTest::newRow("changes, answered No") << true << false << false;
        QTest::newRow("changes, answered Yes") << true << true << true;
    }
    void closingWithUnsavedChangesAsksFirst() {
        QFETCH(bool, modified);
        QFETCH(bool, answer);
        QFETCH(bool, closes);
        LoadFive();
        F->Document().SetModified(modified);
        TDialogSeam::AddAnswer(answer);
        QCOMPARE(F->close(), closes);
        QCOMPARE(F->isVisible(), !closes);
        if (modified) {
            QCOMPARE(TDialogSeam::Shown().size(), size_t(1));
            QCOMPARE(TDialogSeam::Shown().front().Kind, TMessageKind::WarningQuestion);
            QCOMPARE(TDialogSeam::Shown().front().Text,
                     u"Changes are not saved!!! Exit anyway?"_qs);
        } else {
            QVERIFY(TDialogSeam::Shown().empty());
        }
    }

    void nodePopupsFitTheNodeUnderTheMouse() {
        LoadFive();
        View()->expand(Tree().NodeIndex(1));
        Select(Tree().NodeIndex(0));
        const auto popupAt = [this](const QModelIndex& node) {
            QWidget* viewport = View()->viewport();
            const QPoint pos = View()->visualRect(node).center();
            QContextMenuEvent event(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
            QCoreApplication::sendEvent(viewport, &event);
        };

        popupAt(Tree().NodeIndex(3));
        QCOMPARE(SelectedRow(), 3);
        QVERIFY(F.Child<QMenu>("pmChannels")->isVisible());
        QCOMPARE(Action(u"actInsertCheckedBefore"_qs)->text(),
                 u"Insert checked channels before: D"_qs);
        QCOMPARE(Action(u"actInsertCheckedAfter"_qs)->text(),
                 u"Insert checked channels after: D"_qs);
        F.Child<QMenu>("pmChannels")->hide();

        popupAt(Tree().SubIndex(1, 0));
        QCOMPARE(MainTreeView().SelectedNode(), Tree().SubIndex(1, 0));
        QVERIFY(F.Child<QMenu>("pmSubChannels")->isVisible());
        QVERIFY(!F.Child<QMenu>("pmChannels")->isVisible());
        F.Child<QMenu>("pmSubChannels")->hide();

        // Below the last node: nothing changes.
        QWidget* viewport = View()->viewport();
        const QPoint below(5, viewport->height() - 2);
        QVERIFY(!View()->indexAt(below).isValid());
        QContextMenuEvent event(QContextMenuEvent::Mouse, below, viewport->mapToGlobal(below));
        QCoreApplication::sendEvent(viewport, &event);
        QCOMPARE(MainTreeView().SelectedNode(), Tree().SubIndex(1, 0));
        QVERIFY(!F.Child<QMenu>("pmChannels")->isVisible() &&
                !F.Child<QMenu>("pmSubChannels")->isVisible());
    }

    void acceptedSettingsShowTheNewSeparators() {
        LoadFive();
        const auto modal = WhenModal([](QWidget* dialog) {
            auto* edit = Child<QLineEdit>(dialog, "edtChannelSeparator");
            auto* ok = Child<QPushButton>(dialog, "btnOK");
            QVERIFY(edit);
            QVERIFY(ok);
            edit->setText(u" | "_qs);
            ok->click();
        });
        QVERIFY(Trigger(u"actSettings"_qs));
        QCOMPARE(Settings().ChannelSeparator, u" | "_qs);
        QCOMPARE(Tree().data(Tree().NodeIndex(0)).toString(), u"[0] A | Cat   >>>>>>Root"_qs);
    }

    void windowPlaceIsKeptInTheSettings() {
        F->hide();
        Settings().tvChannelsWidth = 250;
        Settings().frmMainClientWidth = 700;
        F->show();
        QVERIFY(QTest::qWaitForWindowExposed(&F.Main()));
        QCOMPARE(F.Child<QSplitter>("Splitter")->sizes().value(0), 250);
        QCOMPARE(F->width(), 700);
        F.Child<QSplitter>("Splitter")->setSizes({300, 300});
        F->hide();
        QCOMPARE(Settings().tvChannelsWidth, 300);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

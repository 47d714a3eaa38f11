#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/GuiTest.h"
#include "common/TestSupport.h"
#include "help/UHelp.h"
#include "help/UMyHelp.h"
#include "iptv/UIPTVManager.h"
#include "iptv/UMakeIPTVXepg.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UMain.h"
#include "platform/URuntimeFolder.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "viewer/ViewerFixtures.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 Address(quint8 a, quint8 b, quint8 c, quint8 d) {
    return (quint32(a) << 24) | (quint32(b) << 16) | (quint32(c) << 8) | d;
}

TChannelRecBuilder Iptv(const char* name, quint16 nid, quint16 tid, quint16 sid, quint32 ip,
                        quint32 port) {
    TChannelRecBuilder b;
    b.TunerType(ttIPTV)
        .Ids(sid, tid, nid)
        .Frequency(ip)
        .Symbolrate(port)
        .Video()
        .Root(u"IPTV"_s)
        .Category(u"Net"_s)
        .Name(QString::fromLatin1(name));
    return b;
}

TChannelRecBuilder Satellite(const char* name) {
    TChannelRecBuilder b;
    b.TunerType(ttSatellite).Ids(10, 20, 1).Video().Name(QString::fromLatin1(name));
    return b;
}

int State(const QTreeWidgetItem* item) {
    return item->data(0, TfrmMakeIPTVXepg::StateImageRole).toInt();
}

QStringList Lines(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).split(u"\r\n"_s, Qt::SkipEmptyParts);
}

} // namespace

class TestIptvWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FDir;
    TDialogPrompt FPrompt;
    std::unique_ptr<TChannelDocument> FDocument;
    std::unique_ptr<TfrmMakeIPTVXepg> FWindow;

    QString ViewerFile() const { return Settings().DVBViewerDataFolder + u"channels.dat"_s; }
    QString DataFile(const QString& name) const { return GetProgramDataFolder() + name; }
    // The save question after a calculation that gave one channel (Alpha) a new NID.
    QString OverwriteQuestion() const {
        return u"Overwrite DVBViewer channel list?\r\n\r\nChanges compared with %1:\r\n"
               "Moved: 0\r\nRenamed: 0\r\nChanged in other fields: 1\r\nDeleted: 0\r\n"
               "Restored: 0\r\nAdded: 0\r\nChannels: 5 in the file, 5 in the list."_s.arg(
                   QDir::toNativeSeparators(ViewerFile()));
    }

    void LoadViewerList(const QList<TChannelRec>& records) {
        QVERIFY(WriteChannelFile(ViewerFile(), records));
        FDocument->LoadChannelList(ViewerFile());
    }

    // The list most tests use: two groups of one identity at different addresses (the first
    // with an audio track), a unique group of two duplicates, and a satellite channel.
    void LoadClashingList() {
        LoadViewerList({
            Iptv("Alpha", 1, 2, 3, Address(1, 2, 3, 4), 1234),
            Iptv("Alpha audio", 1, 2, 3, Address(1, 2, 3, 4), 1234).SubChannel(),
            Satellite("Sat"),
            Iptv("Beta", 1, 2, 3, Address(1, 2, 3, 5), 1234),
            Iptv("Gamma", 7, 8, 9, Address(9, 9, 9, 9), 5000),
            Iptv("Gamma copy", 7, 8, 9, Address(9, 9, 9, 9), 5000),
        });
    }

    // A control of the open window by its object name.
    template <typename T> T* Control(const char* name) const {
        return Child<T>(FWindow.get(), name);
    }

    void OpenWindow() {
        FWindow = std::make_unique<TfrmMakeIPTVXepg>(*FDocument);
        FWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(FWindow.get()));
    }

    // The groups sort by identity: [1-2-3] Alpha, [1-2-3] Beta, then [7-8-9] Gamma.
    QTreeWidgetItem* Node(int i) const { return Control<QTreeWidget>("tvIPTV")->topLevelItem(i); }

    bool Calculate(const QString& start = u"65535"_s) {
        Control<QLineEdit>("edtStart")->setText(start);
        if (!Control<QPushButton>("btnCalculate")->isEnabled())
            return false;
        QTest::mouseClick(Control<QPushButton>("btnCalculate"), Qt::LeftButton);
        return true;
    }

    std::vector<quint16> NIDsInViewerFile() const {
        TChannels list;
        list.LoadFromFile(ViewerFile());
        std::vector<quint16> nids;
        for (int i = 0; i < list.Count(); ++i)
            nids.push_back(list.Channel(i)->NID());
        return nids;
    }

private Q_SLOTS:
    void initTestCase() { Q_INIT_RESOURCE(orvane_help); }

    void init() {
        ResetSettings();
        TDialogSeam::Install();
        QDir(GetProgramDataFolder()).removeRecursively();
        QVERIFY(EnsureProgramDataFolder());
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        Settings().DVBViewerDataFolder = FDir->filePath(u"viewer"_s) + u'/';
        FDocument = std::make_unique<TChannelDocument>(FPrompt);
    }

    void cleanup() {
        FWindow.reset();
        HelpWindowsManager().CloseAll();
        FDocument.reset();
        TDialogSeam::Uninstall();
        QFile::remove(RuntimeSubFolder(u"services"_s) + u"DVBVRecorder"_s);
        FDir.reset();
    }

    void treeShowsTheGroupsWithTheirStates() {
        LoadClashingList();
        OpenWindow();
        QTreeWidget* tree = Control<QTreeWidget>("tvIPTV");
        // The satellite channel and the audio track are no groups.
        QCOMPARE(tree->topLevelItemCount(), 3);
        QVERIFY(Node(0)->text(0).startsWith(u"[-1] [1-2-3-4] {1.2.3.4} | 1234 | Alpha"_s));
        QVERIFY(Node(1)->text(0).startsWith(u"[-1] [1-2-3-4] {1.2.3.5} | 1234 | Beta"_s));
        QVERIFY(Node(2)->text(0).startsWith(u"[-1] [7-8-9-4] {9.9.9.9} | 5000 | Gamma"_s));
        QCOMPARE(State(Node(0)), 1);
        QCOMPARE(State(Node(1)), 1);
        QCOMPARE(State(Node(2)), 2);
        QCOMPARE(Node(0)->childCount(), 0);
        // The duplicate is the unique group's child, with the group's state.
        QCOMPARE(Node(2)->childCount(), 1);
        QVERIFY(Node(2)->child(0)->text(0).contains(u"Gamma copy"_s));
        QCOMPARE(State(Node(2)->child(0)), 2);
        QCOMPARE(Node(0)->data(0, TfrmMakeIPTVXepg::NodeImageRole).toInt(), 1);
        QVERIFY(!Node(0)->icon(0).isNull());

        QCOMPARE(Control<QLineEdit>("edtStart")->text(), u"65535"_s);
        QVERIFY(Control<QPushButton>("btnCalculate")->isEnabled());
        QVERIFY(!Control<QPushButton>("btnSaveDVBViewer")->isEnabled());
        QVERIFY(!Control<QTimer>("tiSaveEnabled")->isActive());
        QCOMPARE(FWindow->windowTitle(), u"Make IPTV channels External EPG Ready"_s);
    }

    void channelPicturesFollowTheMainTree() {
        LoadViewerList({
            Iptv("Radio", 1, 1, 1, Address(1, 1, 1, 1), 1).Video(false),
            Iptv("Pay", 1, 1, 2, Address(1, 1, 1, 2), 1).Encrypted(),
        });
        FDocument->Channels().Channel(1)->IsBookMarked = true;
        OpenWindow();
        QCOMPARE(Node(0)->data(0, TfrmMakeIPTVXepg::NodeImageRole).toInt(), 2);
        QCOMPARE(Node(1)->data(0, TfrmMakeIPTVXepg::NodeImageRole).toInt(), 1 + 2 + 4);
    }

    void uniqueGroupsLeaveNothingToCalculate() {
        LoadViewerList({Iptv("One", 1, 2, 3, Address(1, 2, 3, 4), 1234),
                        Iptv("Two", 1, 2, 4, Address(1, 2, 3, 4), 1234)});
        OpenWindow();
        QCOMPARE(State(Node(0)), 2);
        QCOMPARE(State(Node(1)), 2);
        QVERIFY(!Control<QPushButton>("btnCalculate")->isEnabled());
        QVERIFY(!Control<QTimer>("tiSaveEnabled")->isActive());
        FWindow->btnSaveDVBViewerClick(); // even when forced, nothing is saved
        QVERIFY(!QFile::exists(DataFile(u"iptv.txt"_s)));
        QVERIFY(!FWindow->IsSaved());
        QVERIFY(TDialogSeam::Shown().empty());
    }

    void calculationRenamesAndRestatesTheGroupsOnce() {
        LoadClashingList();
        OpenWindow();
        QVERIFY(Calculate());
        QVERIFY(FWindow->IsCalculated());
        QVERIFY(TDialogSeam::Shown().empty());
        QCOMPARE(State(Node(0)), 5);
        QCOMPARE(State(Node(1)), 6);
        QCOMPARE(State(Node(2)), 2);
        QCOMPARE(State(Node(2)->child(0)), 2);
        QVERIFY2(Node(0)->text(0).startsWith(u"[65535] [1-2-3-4] {1.2.3.4} | 1234 | Alpha"_s),
                 qPrintable(Node(0)->text(0)));
        QVERIFY(Node(1)->text(0).startsWith(u"[-1] [1-2-3-4] {1.2.3.5}"_s));
        QVERIFY(!Control<QPushButton>("btnCalculate")->isEnabled());
        QVERIFY(Control<QTimer>("tiSaveEnabled")->isActive());
        QCOMPARE(Control<QTimer>("tiSaveEnabled")->interval(), 400);

        // A second pass would search from NIDs already handed out; the window refuses it
        // even when the handler is reached some other way.
        Control<QLineEdit>("edtStart")->setText(u"100"_s);
        FWindow->btnCalculateClick();
        QCOMPARE(FWindow->IPTVManager().AllChannels()[0]->NewNID, 65535);
        QVERIFY(Node(0)->text(0).startsWith(u"[65535]"_s));
        // Nothing reached the list before the save.
        QCOMPARE(FDocument->Channels().Channel(0)->NID(), quint16(1));
        QVERIFY(!FDocument->IsModified());
    }

    void subNodesOfAClashingGroupTakeItsState() {
        LoadViewerList({
            Iptv("A", 1, 2, 3, Address(1, 2, 3, 4), 1234),
            Iptv("A copy", 1, 2, 3, Address(1, 2, 3, 4), 1234),
            Iptv("B", 1, 2, 3, Address(1, 2, 3, 5), 1234),
        });
        OpenWindow();
        QCOMPARE(State(Node(0)->child(0)), 1);
        const QString childText = Node(0)->child(0)->text(0);
        QVERIFY(Calculate());
        QCOMPARE(State(Node(0)), 5);
        QCOMPARE(State(Node(0)->child(0)), 5);
        QCOMPARE(Node(0)->child(0)->text(0), childText);
    }

    void startNetworkIDIsChecked_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("calculated");
        QTest::addColumn<QString>("message");
        QTest::newRow("65535 is the largest") << u"65535"_s << true << QString();
        QTest::newRow("0 wraps to the top") << u"0"_s << true << QString();
        QTest::newRow("65536 is too large")
            << u"65536"_s << false << u"Max Start Network ID: 65535"_s;
        QTest::newRow("far too large")
            << u"99999999999"_s << false << u"Max Start Network ID: 65535"_s;
        QTest::newRow("empty is no number")
            << QString() << false << u"'' is not a valid integer value"_s;
    }

    void startNetworkIDIsChecked() {
        QFETCH(QString, start);
        QFETCH(bool, calculated);
        QFETCH(QString, message);
        LoadClashingList();
        OpenWindow();
        const QString before = Node(0)->text(0);
        QVERIFY(Calculate(start));
        QCOMPARE(FWindow->IsCalculated(), calculated);
        QCOMPARE(Control<QPushButton>("btnCalculate")->isEnabled(), !calculated);
        QCOMPARE(Control<QTimer>("tiSaveEnabled")->isActive(), calculated);
        if (calculated) {
            QVERIFY(TDialogSeam::Shown().empty());
            QCOMPARE(State(Node(0)), 5);
            QVERIFY(Node(0)->text(0).startsWith(u'[' + start + u']'));
        } else {
            QCOMPARE(TDialogSeam::ShownTexts(), QStringList{message});
            QCOMPARE(TDialogSeam::Shown().front().Kind, TMessageKind::Error);
            QCOMPARE(Node(0)->text(0), before);
            QCOMPARE(State(Node(0)), 1);
        }
    }

    void startNetworkIDTakesDigitsOnly() {
        LoadClashingList();
        OpenWindow();
        Control<QLineEdit>("edtStart")->clear();
        QTest::keyClicks(Control<QLineEdit>("edtStart"), u"-12a3"_s);
        QCOMPARE(Control<QLineEdit>("edtStart")->text(), u"123"_s);
    }

    void saveIsEnabledOnlyWhileViewerAndRecorderAreStopped() {
        LoadClashingList();
        OpenWindow();
        QVERIFY(Calculate());
        QPushButton* save = Control<QPushButton>("btnSaveDVBViewer");

        {
            TStandinProcess viewer;
            QVERIFY2(viewer.Start(Settings().DVBViewerDataFolder), qPrintable(viewer.Error()));
            FWindow->tiSaveEnabledTimer();
            QVERIFY(!save->isEnabled());
            // The window's own timer keeps it so while the viewer runs: two of its ticks
            // (the window hears each tick before this spy does) leave it disabled.
            QVERIFY(Control<QTimer>("tiSaveEnabled")->isActive());
            QSignalSpy ticks(Control<QTimer>("tiSaveEnabled"), &QTimer::timeout);
            QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 2, 10000);
            QVERIFY(!save->isEnabled());
            QVERIFY(viewer.Terminate());
        }
        // One tick after the viewer has gone.
        FWindow->tiSaveEnabledTimer();
        QVERIFY(save->isEnabled());

        // The recording service alone holds the save back too.
        WriteRuntimeEntry(
            RuntimeSubFolder(u"services"_s), u"DVBVRecorder"_s,
            QJsonObject{{u"pid"_s, QCoreApplication::applicationPid()}, {u"state"_s, 4}});
        FWindow->tiSaveEnabledTimer();
        QVERIFY(!save->isEnabled());
        QVERIFY(QFile::remove(RuntimeSubFolder(u"services"_s) + u"DVBVRecorder"_s));
        // And the running timer, not only a hand-made tick, lets it go.
        QVERIFY(QTest::qWaitFor([save] { return save->isEnabled(); }, 5000));
        QVERIFY(TDialogSeam::Shown().empty());
    }

    void saveWritesTheNewNIDsIntoTheViewersList() {
        LoadClashingList();
        // Earlier saves left backups behind: the rotation must move them on.
        QVERIFY(WriteWholeFile(DataFile(u"channels.dat"_s), "first ever"));
        QVERIFY(WriteWholeFile(DataFile(u"channels1.dat"_s), "previous"));
        const QByteArray viewerBefore = ReadWholeFile(ViewerFile());
        OpenWindow();
        QVERIFY(Calculate());
        FWindow->tiSaveEnabledTimer();
        QVERIFY(Control<QPushButton>("btnSaveDVBViewer")->isEnabled());
        QSignalSpy saved(FWindow.get(), &TfrmMakeIPTVXepg::SavedToDVBViewer);

        TDialogSeam::AddAnswer(true);
        QTest::mouseClick(Control<QPushButton>("btnSaveDVBViewer"), Qt::LeftButton);

        // The question names the one change: Alpha's new NID.
        QCOMPARE(TDialogSeam::ShownTexts(),
                 (QStringList{OverwriteQuestion(), ViewerFile() + u"\r\nSaved."_s}));
        QCOMPARE(TDialogSeam::UnansweredQuestions(), 0);
        // Alpha and its audio track got the new NID; Beta keeps its own; the rest is as it was.
        QCOMPARE(NIDsInViewerFile(), (std::vector<quint16>{65535, 65535, 1, 1, 7, 7}));
        QVERIFY(!FDocument->IsModified());

        const QByteArray iptvBytes = ReadWholeFile(DataFile(u"iptv.txt"_s));
        QVERIFY(iptvBytes.startsWith("\xEF\xBB\xBF;Format"));
        QVERIFY(iptvBytes.endsWith("5000/-1\r\n"));
        const QStringList iptv = Lines(iptvBytes.mid(3));
        QCOMPARE(iptv, (QStringList{u";Format: OldNID/TID/SID/IP/Port/NewNID"_s,
                                    u";If NewNID = -1, NID has not been changed in this session"_s,
                                    u"1/2/3/16909060/1234/65535"_s, u"1/2/3/16909061/1234/-1"_s,
                                    u"7/8/9/151587081/5000/-1"_s}));

        QCOMPARE(ReadWholeFile(DataFile(u"channels.dat"_s)), QByteArray("first ever"));
        QCOMPARE(ReadWholeFile(DataFile(u"channels1.dat"_s)), viewerBefore);
        QCOMPARE(ReadWholeFile(DataFile(u"channels2.dat"_s)), QByteArray("previous"));

        // The tree shows the list as now saved: nothing clashes any more.
        QCOMPARE(Control<QTreeWidget>("tvIPTV")->topLevelItemCount(), 3);
        QVERIFY(Node(0)->text(0).startsWith(u"[-1] [65535-2-3-4] {1.2.3.4}"_s));
        QVERIFY(Node(1)->text(0).startsWith(u"[-1] [1-2-3-4] {1.2.3.5}"_s));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(State(Node(i)), 2);
        QVERIFY(FWindow->IsSaved());
        QVERIFY(!Control<QPushButton>("btnSaveDVBViewer")->isEnabled());
        QVERIFY(!Control<QTimer>("tiSaveEnabled")->isActive());
        QCOMPARE(saved.count(), 1);

        // Saved: closing asks nothing.
        TDialogSeam::ClearShown();
        FWindow->reject();
        QVERIFY(!FWindow->isVisible());
        QVERIFY(TDialogSeam::Shown().empty());
    }

    void saveThatDidNotReachTheViewerLeavesTheUnsavedMark_data() {
        QTest::addColumn<bool>("backupFails");
        QTest::newRow("overwrite declined") << false;
        QTest::newRow("backup refused") << true;
    }

    void saveThatDidNotReachTheViewerLeavesTheUnsavedMark() {
        QFETCH(bool, backupFails);
        LoadClashingList();
        const QByteArray viewerBefore = ReadWholeFile(ViewerFile());
        if (backupFails) {
            // A folder where the oldest backup is cannot be deleted: the rotation stops.
            QVERIFY(WriteWholeFile(DataFile(u"channels.dat"_s), "first ever"));
            QVERIFY(QDir().mkpath(DataFile(u"channels2.dat/keep"_s)));
        }
        OpenWindow();
        QVERIFY(Calculate());
        FWindow->tiSaveEnabledTimer();
        TDialogSeam::AddAnswer(!backupFails ? false : true);
        QTest::mouseClick(Control<QPushButton>("btnSaveDVBViewer"), Qt::LeftButton);

        QCOMPARE(ReadWholeFile(ViewerFile()), viewerBefore);
        QVERIFY(FDocument->IsModified());
        // The list in memory holds the new NIDs that iptv.txt names.
        QCOMPARE(FDocument->Channels().Channel(0)->NID(), quint16(65535));
        QCOMPARE(FDocument->Channels().Channel(1)->NID(), quint16(65535));
        QVERIFY(
            Lines(ReadWholeFile(DataFile(u"iptv.txt"_s))).contains(u"1/2/3/16909060/1234/65535"_s));
        const QStringList shown = TDialogSeam::ShownTexts();
        if (backupFails) {
            QVERIFY2(shown.size() == 3 && shown[1].startsWith(u"Backup Process Failed:"_s),
                     qPrintable(shown.join(u'\n')));
        } else {
            QCOMPARE(shown, QStringList{OverwriteQuestion()});
        }
        // The window counts as saved all the same.
        QVERIFY(FWindow->IsSaved());
        QVERIFY(!Control<QPushButton>("btnSaveDVBViewer")->isEnabled());
    }

    void mappingFileThatCannotBeWrittenChangesNothing() {
        LoadClashingList();
        const QByteArray viewerBefore = ReadWholeFile(ViewerFile());
        // A folder in the mapping file's place: the write fails.
        QVERIFY(QDir().mkpath(DataFile(u"iptv.txt/keep"_s)));
        OpenWindow();
        QVERIFY(Calculate());
        FWindow->tiSaveEnabledTimer();
        QTest::mouseClick(Control<QPushButton>("btnSaveDVBViewer"), Qt::LeftButton);

        QCOMPARE(TDialogSeam::Shown().size(), size_t(1));
        QCOMPARE(TDialogSeam::Shown().front().Kind, TMessageKind::Error);
        QCOMPARE(TDialogSeam::UnansweredQuestions(), 0);
        QCOMPARE(ReadWholeFile(ViewerFile()), viewerBefore);
        QCOMPARE(FDocument->Channels().Channel(0)->NID(), quint16(1));
        QVERIFY(!FDocument->IsModified());
        // The calculation is still there to be saved once the cause is mended.
        QVERIFY(!FWindow->IsSaved());
        QVERIFY(Control<QPushButton>("btnSaveDVBViewer")->isEnabled());
        QCOMPARE(FWindow->IPTVManager().AllChannels()[0]->NewNID, 65535);
    }

    void closingAfterAnUnsavedCalculationAsks_data() {
        QTest::addColumn<bool>("calculate");
        QTest::addColumn<int>("way"); // 0 Exit, 1 Escape, 2 the close box
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("no calculation, Exit") << false << 0 << false << true;
        QTest::newRow("no calculation, Escape") << false << 1 << false << true;
        QTest::newRow("calculated, Exit, No") << true << 0 << false << false;
        QTest::newRow("calculated, Exit, Yes") << true << 0 << true << true;
        QTest::newRow("calculated, Escape, No") << true << 1 << false << false;
        QTest::newRow("calculated, close box, No") << true << 2 << false << false;
        QTest::newRow("calculated, close box, Yes") << true << 2 << true << true;
    }

    void closingAfterAnUnsavedCalculationAsks() {
        QFETCH(bool, calculate);
        QFETCH(int, way);
        QFETCH(bool, answer);
        QFETCH(bool, closes);
        LoadClashingList();
        OpenWindow();
        if (calculate)
            QVERIFY(Calculate());
        TDialogSeam::AddAnswer(answer);
        if (way == 0)
            QTest::mouseClick(Control<QPushButton>("btnExit"), Qt::LeftButton);
        else if (way == 1)
            QTest::keyClick(Control<QTreeWidget>("tvIPTV"), Qt::Key_Escape);
        else
            FWindow->close();
        QCoreApplication::processEvents();
        QCOMPARE(FWindow->isVisible(), !closes);
        if (calculate) {
            QCOMPARE(TDialogSeam::ShownTexts(),
                     QStringList{u"Calculations not saved! Exit anyway?"_s});
            QCOMPARE(TDialogSeam::Shown().front().Kind, TMessageKind::WarningQuestion);
        } else {
            QVERIFY(TDialogSeam::Shown().empty());
        }
    }

    void rightClickSelectsAndThePopupExpandsAndCollapses() {
        LoadViewerList({
            Iptv("A", 1, 2, 3, Address(1, 2, 3, 4), 1234),
            Iptv("A copy", 1, 2, 3, Address(1, 2, 3, 4), 1234),
            Iptv("B", 4, 5, 6, Address(1, 2, 3, 4), 1234),
            Iptv("B copy", 4, 5, 6, Address(1, 2, 3, 4), 1234),
        });
        OpenWindow();
        QTreeWidget* tree = Control<QTreeWidget>("tvIPTV");
        tree->setCurrentItem(Node(0));
        const QPoint pos = tree->visualItemRect(Node(1)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, tree->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(tree->viewport(), &event);
        QCOMPARE(tree->currentItem(), Node(1));
        QVERIFY(Control<QMenu>("pmProperties")->isVisible());
        Control<QMenu>("pmProperties")->close();

        QVERIFY(Trigger(FWindow.get(), u"miExpandTreeView"_s, {.ProcessEvents = false}));
        QVERIFY(Node(0)->isExpanded());
        QVERIFY(Node(1)->isExpanded());
        QVERIFY(Trigger(FWindow.get(), u"miCollapseTreeView"_s, {.ProcessEvents = false}));
        QVERIFY(!Node(0)->isExpanded());
        QVERIFY(!Node(1)->isExpanded());
        QCOMPARE(Control<QAction>("miExpandTreeView")->text(), u"Expand TreeView"_s);
        QCOMPARE(Control<QAction>("miCollapseTreeView")->text(), u"Collapse TreeView"_s);
    }

    void helpOpensTheIptvPage() {
        QVERIFY(InstallHelpPages(GetProgramDataFolder()));
        LoadClashingList();
        OpenWindow();
        QApplication::setActiveWindow(FWindow.get());
        QVERIFY(QTest::qWaitForWindowActive(FWindow.get()));
        QTest::keyClick(Control<QTreeWidget>("tvIPTV"), Qt::Key_F1);
        QVERIFY(HelpWindowsManager().Window(hpIPTV2Xepg));
        HelpWindowsManager().CloseAll();
        QVERIFY(QTest::qWaitFor([] { return !HelpWindowsManager().Window(hpIPTV2Xepg); }));
        QTest::mouseClick(Control<QPushButton>("btnHelp"), Qt::LeftButton);
        QVERIFY(HelpWindowsManager().Window(hpIPTV2Xepg));
        QCOMPARE(HelpPageName(hpIPTV2Xepg), u"IPTV2Xepg"_s);
        QVERIFY(TDialogSeam::Shown().empty());
    }

    void mainWindowOpensTheWindowModallyAndFreesIt() {
        FDocument.reset();
        TfrmMain main;
        Child<QTimer>(&main, "tiEnabled")->stop();
        QVERIFY(WriteChannelFile(ViewerFile(), {Iptv("A", 1, 2, 3, Address(1, 2, 3, 4), 1234),
                                                Iptv("B", 1, 2, 3, Address(1, 2, 3, 5), 1234)}));
        main.Document().LoadChannelList(ViewerFile());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.UpdateActions();

        int groups = -1;
        bool modal = false;
        QSize size;
        int offCentre = -1;
        const auto run = WhenModal([&](QWidget* w) {
            auto* window = qobject_cast<TfrmMakeIPTVXepg*>(w);
            QVERIFY(window);
            modal = window->isModal();
            groups = Child<QTreeWidget>(window, "tvIPTV")->topLevelItemCount();
            size = window->size();
            offCentre = (window->geometry().center() - main.geometry().center()).manhattanLength();
            Child<QPushButton>(window, "btnExit")->click();
        });
        QVERIFY(Trigger(&main, u"actMakeIPTVXepgReady"_s, {.ProcessEvents = false}));
        QVERIFY(modal);
        QCOMPARE(groups, 2);
        QCOMPARE(size, QSize(675, 637));
        QVERIFY2(offCentre >= 0 && offCentre < 40, qPrintable(QString::number(offCentre)));
        QCOMPARE(main.findChildren<TfrmMakeIPTVXepg*>().size(), 0);
        QVERIFY(TDialogSeam::Shown().empty());
    }

    void lookAtTheWindow() {
        const QString out = qEnvironmentVariable("ORVANE_IPTV_SHOTS");
        if (out.isEmpty())
            QSKIP("set ORVANE_IPTV_SHOTS to a folder to write a picture of the window");
        LoadClashingList();
        OpenWindow();
        QVERIFY(Calculate());
        QVERIFY(Trigger(FWindow.get(), u"miExpandTreeView"_s, {.ProcessEvents = false}));
        QVERIFY(FWindow->grab().save(out + u"/iptv-window.png"_s));
    }
};

QTEST_MAIN(TestIptvWindow)
#include "tst_iptvwindow.moc"

#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/TestSupport.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "platform/UAtomicFile.h"
#include "platform/UOrvaneError.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "viewer/UTuning.h"

#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>

namespace {

#ifdef Q_OS_WIN
constexpr bool IsWindows = true;
#else
constexpr bool IsWindows = false;
#endif

// Channel names as a test writes them: "A a1 B".
QStringList Names(const char* spaced) {
    return QString::fromLatin1(spaced).split(u' ', Qt::SkipEmptyParts);
}

const QByteArray ListHeader = MakeChannelHeader(QByteArrayLiteral("B2C2"), 1, 7);

// A main channel, or with sub = true an audio track of the channel before it; the service
// ID keeps the channels apart for the viewer's numbering.
TChannelRec Rec(const char* name, quint16 sid, bool sub = false) {
    return TChannelRecBuilder()
        .Name(QString::fromLatin1(name))
        .Category(QStringLiteral("Cat"))
        .Root(QStringLiteral("Root"))
        .Video()
        .SubChannel(sub)
        .Ids(sid, 10, 20)
        .Build();
}

TChannelRec Sub(const char* name, quint16 sid) {
    return Rec(name, sid, true);
}

QByteArray FileOf(const QList<TChannelRec>& records) {
    return MakeChannelFile(records, ListHeader);
}

// The names of the channels in a file image, in file order.
QStringList NamesIn(const QByteArray& image) {
    TChannels list;
    list.AddFromBytesAsDeleted(image, QStringLiteral("image"));
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names << list.Channel(i)->Name();
    return names;
}

QStringList TreeOrder(const TChannelTreeModel& tree) {
    QStringList names;
    for (int row = 0; row < tree.TopCount(); ++row) {
        names << tree.ChannelAt(row)->Name();
        for (const TChannel* sub : tree.SubChannelsAt(row))
            names << sub->Name();
    }
    return names;
}

int RowOf(const TChannelTreeModel& tree, const QString& name) {
    for (int row = 0; row < tree.TopCount(); ++row)
        if (tree.ChannelAt(row)->Name() == name)
            return row;
    return -1;
}

// Deletes the node as "Delete Checked" does: the node goes, the channel stays in the list.
void DeleteNode(TChannelDocument& doc, const QString& name) {
    const int row = RowOf(doc.Tree(), name);
    QVERIFY(row >= 0);
    for (TChannel* c : doc.Tree().RemoveNodes({row}))
        c->State = csRecentlyDeleted;
}

TChannel* ListChannel(TChannelDocument& doc, const QString& name) {
    for (int i = 0; i < doc.Channels().Count(); ++i)
        if (doc.Channels().Channel(i)->Name() == name)
            return doc.Channels().Channel(i);
    return nullptr;
}

} // namespace

class TestChannelDocument : public QObject {
    Q_OBJECT

private:
    TDialogPrompt FPrompt;
    std::unique_ptr<QTemporaryDir> FTemp;
    QString FViewer; // ends with a separator, as the setting does
    QString FWork;
    QString FBackup;

    QString Work(const QString& name) const { return FWork + u'/' + name; }
    QString Viewer(const char* name) const { return FViewer + QLatin1String(name); }
    QString Backup(const char* name) const { return FBackup + QLatin1String(name); }

    // The viewer's folder with a list of A (+ track a1), B, C and deleted D (+ track d1).
    void MakeViewerFiles() {
        QVERIFY(WriteWholeFile(Viewer("channels.dat"),
                               FileOf({Rec("A", 1), Sub("a1", 1), Rec("B", 2), Rec("C", 3)})));
        QVERIFY(WriteWholeFile(Viewer("channels.Odel"), FileOf({Rec("D", 4), Sub("d1", 4)})));
    }

private Q_SLOTS:
    void init() {
        ResetSettings();
        TDialogSeam::Install();
        FTemp = std::make_unique<QTemporaryDir>();
        QVERIFY(FTemp->isValid());
        FViewer = FTemp->path() + QStringLiteral("/viewer/");
        FWork = FTemp->path() + QStringLiteral("/work");
        QVERIFY(QDir().mkpath(FViewer));
        QVERIFY(QDir().mkpath(FWork));
        Settings().DVBViewerDataFolder = FViewer;
        Settings().DefaultWorkFolder = FWork;
        FBackup = GetProgramDataFolder();
        QVERIFY(!FBackup.isEmpty());
        // Every test starts as a first run: no program data folder at all.
        QDir(FBackup).removeRecursively();
        QFile::remove(QDir::cleanPath(FBackup));
    }

    void cleanup() {
        TDialogSeam::Uninstall();
        SetNextWriteFailureAfter(-1);
        FTemp.reset();
    }

    void companionAndViewerFileNames_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("companion");
        QTest::newRow("extension replaced") << "/w/L.dat"
                                            << "/w/L.Odel";
        QTest::newRow("only the last extension") << "/w/L.x.dat"
                                                 << "/w/L.x.Odel";
        QTest::newRow("no extension") << "/w/L"
                                      << "/w/L.Odel";
        QTest::newRow("dot in a folder name only") << "/w.b/L"
                                                   << "/w.b/L.Odel";
    }
    void companionAndViewerFileNames() {
        QFETCH(QString, path);
        QFETCH(QString, companion);
        QCOMPARE(TChannelDocument::DeletedFileName(path), companion);

        QVERIFY(TChannelDocument::IsDVBViewerFile(Viewer("channels.dat")));
        // File names are case-sensitive on Linux and not on Windows; so is the test.
#ifdef Q_OS_WIN
        QVERIFY(TChannelDocument::IsDVBViewerFile(Viewer("Channels.dat")));
#else
        QVERIFY(!TChannelDocument::IsDVBViewerFile(Viewer("Channels.dat")));
#endif
        QVERIFY(!TChannelDocument::IsDVBViewerFile(QString()));
    }

    void openAndSaveDVBViewerRoundTripsTheFilesAndRebuildsTheTuningTable() {
        MakeViewerFiles();
        const QByteArray list = ReadWholeFile(Viewer("channels.dat"));
        const QByteArray deleted = ReadWholeFile(Viewer("channels.Odel"));
        TChannelDocument doc(FPrompt);
        QItemSelectionModel selection(&doc.Tree());
        doc.SetTreeSelection(&selection);
        QSignalSpy names(&doc, &TChannelDocument::FileNameChanged);
        QSignalSpy loading(&doc, &TChannelDocument::LoadingFinished);

        doc.CommandOpenDVBViewer();
        QCOMPARE(TreeOrder(doc.Tree()), Names("A a1 B C"));
        QCOMPARE(doc.Channels().Count(), 6);
        QCOMPARE(ListChannel(doc, QStringLiteral("D"))->State, csDeleted);
        QCOMPARE(doc.FileName(), Viewer("channels.dat"));
        QCOMPARE(names.count(), 1);
        QCOMPARE(loading.count(), 1);
        QCOMPARE(doc.MainTree().SelectedChannel(), doc.Tree().ChannelAt(0));
        QVERIFY(!doc.IsModified());

        TDialogSeam::AddAnswer(true);
        doc.CommandSaveDVBViewer();
        QCOMPARE(ReadWholeFile(Viewer("channels.dat")), list);
        QCOMPARE(ReadWholeFile(Viewer("channels.Odel")), deleted);
        const std::vector<TShownMessage>& shown = TDialogSeam::Shown();
        QCOMPARE(shown.size(), size_t(2));
        QCOMPARE(shown[0].Kind, TMessageKind::Confirmation);
        // The question tells what the save changes: nothing, the list is the viewer's own.
        QCOMPARE(shown[0].Text,
                 QStringLiteral("Overwrite DVBViewer channel list?\r\n\r\nNo changes compared "
                                "with %1 (3 channels).")
                     .arg(QDir::toNativeSeparators(Viewer("channels.dat"))));
        // The "Saved." box shows here whatever the setting says.
        QCOMPARE(shown[1].Kind, TMessageKind::Information);
        QCOMPARE(shown[1].Text, Viewer("channels.dat") + QStringLiteral("\r\nSaved."));
        // The viewer will number the main channels of the tree: A, B and C.
        QCOMPARE(doc.TuningManager().TVChannels().size(), size_t(3));
        QCOMPARE(doc.TuningManager().FindChannelNumber(*doc.Tree().ChannelAt(2)), 2);

        // "Save" never writes the viewer's file: it asks for a work file instead.
        doc.SetModified(true);
        TDialogSeam::AddFileName(Work(QStringLiteral("mine")));
        doc.CommandFileSave();
        QCOMPARE(doc.FileName(), Work(QStringLiteral("mine.dat")));
        QCOMPARE(ReadWholeFile(Work(QStringLiteral("mine.dat"))), list);
        QCOMPARE(ReadWholeFile(Work(QStringLiteral("mine.Odel"))), deleted);
        QVERIFY(!doc.IsModified());
        QCOMPARE(TDialogSeam::UnansweredQuestions(), 0);
    }

    void threeSavesKeepTheFirstAndTheTwoLatestBackups() {
        Settings().ConfirmSaveDVBViewer = false;
        MakeViewerFiles();
        const QByteArray deleted = ReadWholeFile(Viewer("channels.Odel"));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(Viewer("channels.dat"));

        QList<QByteArray> versions{ReadWholeFile(Viewer("channels.dat"))};
        for (int save = 1; save <= 3; ++save) {
            doc.Tree().ChannelAt(0)->SetName(QStringLiteral("A%1").arg(save));
            QVERIFY(doc.SaveDVBViewer());
            versions << ReadWholeFile(Viewer("channels.dat"));
            QCOMPARE(NamesIn(versions.last()).constFirst(), QStringLiteral("A%1").arg(save));
        }
        QVERIFY(TDialogSeam::ShownTexts().filter(QStringLiteral("Overwrite")).isEmpty());

        // The first pair is the viewer's list before the program ever wrote it; "1" the list
        // before the last save, "2" the one before that.
        QCOMPARE(ReadWholeFile(Backup("channels.dat")), versions[0]);
        QCOMPARE(ReadWholeFile(Backup("channels1.dat")), versions[2]);
        QCOMPARE(ReadWholeFile(Backup("channels2.dat")), versions[1]);
        QCOMPARE(ReadWholeFile(Backup("channels.Odel")), deleted);
        QCOMPARE(ReadWholeFile(Backup("channels1.Odel")), deleted);
        QCOMPARE(ReadWholeFile(Backup("channels2.Odel")), deleted);
        QCOMPARE(QDir(FBackup).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 6);
    }

    void saveDVBViewerWithoutAViewerListMakesNoBackup() {
        Settings().ConfirmSaveDVBViewer = false;
        QVERIFY(WriteWholeFile(Work(QStringLiteral("L.dat")), FileOf({Rec("A", 1)})));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(Work(QStringLiteral("L.dat")));
        QVERIFY(doc.SaveDVBViewer());
        QCOMPARE(ReadWholeFile(Viewer("channels.dat")), FileOf({Rec("A", 1)}));
        QVERIFY(!QFile::exists(Backup("channels1.dat")));
    }

    void refusedBackupWritesNothingIntoTheViewerFolder_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("className");
        QTest::newRow("folder where the oldest backup is") << "channels2.dat"
                                                           << "EBackupException";
        QTest::newRow("file where the data folder is") << "data folder"
                                                       << "EBackupException";
        QTest::newRow("unreadable deleted file") << "viewer odel"
                                                 << "EFOpenError";
        QTest::newRow("backup copy failing part-way") << "write fault"
                                                      << "EWriteError";
    }
    void refusedBackupWritesNothingIntoTheViewerFolder() {
        QFETCH(QString, obstacle);
        QFETCH(QString, className);
        Settings().ConfirmSaveDVBViewer = false;
        MakeViewerFiles();
        QString expectedMessage;
        if (obstacle == QLatin1String("channels2.dat")) {
            QVERIFY(QDir().mkpath(Backup("channels2.dat/keep")));
            expectedMessage = QStringLiteral("Failed to delete: ") + Backup("channels2.dat") +
                              QStringLiteral("\r\nGetLastError=") +
                              // Windows refuses to delete a folder as a file: access denied.
                              QString::number(IsWindows ? 5 : EISDIR);
        } else if (obstacle == QLatin1String("data folder")) {
            QVERIFY(WriteWholeFile(QDir::cleanPath(FBackup), "not a folder"));
        } else if (obstacle == QLatin1String("viewer odel")) {
            QVERIFY(QFile::remove(Viewer("channels.Odel")));
            QVERIFY(QDir().mkpath(Viewer("channels.Odel")));
        }
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(Viewer("channels.dat"));
        doc.Tree().ChannelAt(0)->SetName(QStringLiteral("Changed"));
        const QByteArray before = ReadWholeFile(Viewer("channels.dat"));
        const QStringList viewerFolder =
            QDir(FViewer).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

        if (obstacle == QLatin1String("write fault"))
            SetNextWriteFailureAfter(20);
        QVERIFY(!doc.SaveDVBViewer());
        QCOMPARE(ReadWholeFile(Viewer("channels.dat")), before);
        if (obstacle == QLatin1String("write fault")) // no half-written backup either
            QCOMPARE(QDir(FBackup).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(QDir(FViewer).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 viewerFolder);
        const std::vector<TShownMessage>& shown = TDialogSeam::Shown();
        QCOMPARE(shown.size(), size_t(2));
        QCOMPARE(shown[0].Kind, TMessageKind::Error);
        const QString head = QStringLiteral("Backup Process Failed:\r\nClassName: ") + className +
                             QStringLiteral("\r\nMessage: ");
        QVERIFY2(shown[0].Text.startsWith(head), qPrintable(shown[0].Text));
        if (!expectedMessage.isEmpty())
            QCOMPARE(shown[0].Text, head + expectedMessage);
        QCOMPARE(shown[1].Kind, TMessageKind::Error);
        QCOMPARE(shown[1].Text, QStringLiteral("Backup of DVBViewer Channel list (channels.dat) "
                                               "failed.\r\nThe Channels are NOT saved.\r\nTry "
                                               "Save As instead."));
    }

    void saveDVBViewerReportsAFailedWrite() {
        Settings().ConfirmSaveDVBViewer = false;
        // Without a viewer list there is no backup, so the list is the first file written.
        QVERIFY(WriteWholeFile(Work(QStringLiteral("L.dat")), FileOf({Rec("A", 1)})));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(Work(QStringLiteral("L.dat")));
        doc.SetModified(true);

        SetNextWriteFailureAfter(50);
        QVERIFY(!doc.SaveDVBViewer());
        QCOMPARE(QDir(FViewer).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
        QVERIFY(doc.IsModified());
        QCOMPARE(doc.FileName(), Work(QStringLiteral("L.dat")));
        QVERIFY(doc.TuningManager().TVChannels().empty());
        const std::vector<TShownMessage>& shown = TDialogSeam::Shown();
        QCOMPARE(shown.size(), size_t(2));
        QCOMPARE(shown[0].Kind, TMessageKind::Error);
        QVERIFY2(shown[0].Text.startsWith(QStringLiteral(
                     "Failed to overwrite channels.dat:\r\nClassName: EWriteError Message: ")),
                 qPrintable(shown[0].Text));
        QVERIFY2(shown[0].Text.contains(QDir::toNativeSeparators(Viewer("channels.dat"))),
                 qPrintable(shown[0].Text));
        QCOMPARE(shown[1].Kind, TMessageKind::Warning);
        QCOMPARE(shown[1].Text,
                 QStringLiteral("channels.dat/channels.Odel might be corrupted.\r\n"
                                "---------------\r\n"
                                "Proberly OK if \"Access denied\" error.\r\n"
                                "In that case use Save As and Run Orvane as Administrator.\r\n"
                                "---------------\r\n"
                                "In other cases you have up 3 backups in Orvane Data Folder:\r\n"
                                "channels.dat, channels1.dat and channels2.dat."));
    }

    void appendAddsNumberedNodesAndItsDeletedChannels_data() {
        QTest::addColumn<bool>("asChecked");
        QTest::newRow("as checked") << true;
        QTest::newRow("as unchecked") << false;
    }
    void appendAddsNumberedNodesAndItsDeletedChannels() {
        QFETCH(bool, asChecked);
        QVERIFY(WriteWholeFile(Work(QStringLiteral("L.dat")), FileOf({Rec("A", 1), Rec("B", 2)})));
        // Another version in the appended header: the list keeps its own.
        QVERIFY(
            WriteWholeFile(Work(QStringLiteral("M.dat")),
                           MakeChannelFile({Rec("X", 5), Sub("x1", 5), Rec("Y", 6), Rec("Z", 7)},
                                           MakeChannelHeader(QByteArrayLiteral("B2C2"), 9, 9))));
        QVERIFY(WriteWholeFile(Work(QStringLiteral("M.Odel")), FileOf({Rec("W", 8)})));
        TChannelDocument doc(FPrompt);
        QItemSelectionModel selection(&doc.Tree());
        doc.SetTreeSelection(&selection);
        doc.LoadChannelList(Work(QStringLiteral("L.dat")));
        doc.Tree().CheckNode(1);
        QSignalSpy changed(&doc, &TChannelDocument::ChannelsChanged);
        QSignalSpy names(&doc, &TChannelDocument::FileNameChanged);

        TDialogSeam::AddFileName(Work(QStringLiteral("M.dat")));
        doc.CommandAppend(asChecked);

        QCOMPARE(TreeOrder(doc.Tree()), Names("A B X x1 Y Z"));
        QCOMPARE(doc.Tree().CheckedCount(), asChecked ? 4 : 1);
        for (int row = 2; row < 5; ++row) {
            QCOMPARE(doc.Tree().IsNodeChecked(row), asChecked);
            QCOMPARE(doc.Tree().ChannelAt(row)->IsChecked, asChecked);
            const QString text = doc.Tree().data(doc.Tree().NodeIndex(row)).toString();
            QVERIFY2(text.startsWith(QStringLiteral("[%1] ").arg(row)), qPrintable(text));
        }
        QCOMPARE(doc.Channels().Count(), 7);
        QCOMPARE(ListChannel(doc, QStringLiteral("W"))->State, csDeleted);
        QCOMPARE(RowOf(doc.Tree(), QStringLiteral("W")), -1);
        QCOMPARE(doc.Channels().Version(), QStringLiteral("1.7"));
        QCOMPARE(doc.MainTree().SelectedChannel()->Name(), QStringLiteral("Z"));
        QVERIFY(doc.IsModified());
        QCOMPARE(doc.FileName(), Work(QStringLiteral("L.dat")));
        QCOMPARE(names.count(), 0);
        QCOMPARE(changed.count(), 1);

        // The next save takes the appended deleted channel into the list's own deleted file.
        doc.SaveChannelList(Work(QStringLiteral("L.dat")), false);
        QCOMPARE(NamesIn(ReadWholeFile(Work(QStringLiteral("L.Odel")))), Names("W"));
    }

    void refusedAppendAddsNothing() {
        QVERIFY(WriteWholeFile(Work(QStringLiteral("L.dat")), FileOf({Rec("A", 1)})));
        // Two good records, then a cut one.
        QVERIFY(WriteWholeFile(Work(QStringLiteral("M.dat")),
                               FileOf({Rec("X", 5), Rec("Y", 6)}) + QByteArray(50, 'x')));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(Work(QStringLiteral("L.dat")));
        QSignalSpy finished(&doc, &TChannelDocument::LoadingFinished);
        QVERIFY_THROWS_EXCEPTION(EReadError, doc.AppendFile(Work(QStringLiteral("M.dat")), true));
        QCOMPARE(doc.Channels().Count(), 1);
        QCOMPARE(doc.Tree().TopCount(), 1);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!doc.IsModified());
    }

    void saveWritesOrRemovesTheDeletedFile_data() {
        QTest::addColumn<bool>("deleteB");
        QTest::addColumn<bool>("dropForGood");
        QTest::addColumn<QStringList>("expected"); // empty: no deleted file
        QTest::newRow("deleted channels with their tracks") << true << true << Names("B b1 D d1");
        QTest::newRow("deleted channels read with the list") << false << false << Names("D d1 E");
        QTest::newRow("only channels deleted for good") << false << true << QStringList();
    }
    void saveWritesOrRemovesTheDeletedFile() {
        QFETCH(bool, deleteB);
        QFETCH(bool, dropForGood);
        QFETCH(QStringList, expected);
        QVERIFY(WriteWholeFile(Work(QStringLiteral("L.dat")),
                               FileOf({Rec("A", 1), Rec("B", 2), Sub("b1", 2), Rec("C", 3)})));
        QVERIFY(WriteWholeFile(Work(QStringLiteral("L.Odel")),
                               FileOf({Rec("D", 4), Sub("d1", 4), Rec("E", 5)})));
        // A stale deleted file beside the target.
        QVERIFY(WriteWholeFile(Work(QStringLiteral("M.Odel")), FileOf({Rec("Old", 9)})));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(Work(QStringLiteral("L.dat")));
        if (deleteB)
            DeleteNode(doc, QStringLiteral("B"));
        if (dropForGood) {
            ListChannel(doc, QStringLiteral("E"))->State = csPermanentlyDeleted;
            if (!deleteB)
                ListChannel(doc, QStringLiteral("D"))->State = csPermanentlyDeleted;
        }
        doc.SetModified(true);

        doc.SaveChannelList(Work(QStringLiteral("M.dat")), false);
        const QByteArray list = ReadWholeFile(Work(QStringLiteral("M.dat")));
        QCOMPARE(list.left(7), ListHeader);
        QCOMPARE(NamesIn(list), deleteB ? Names("A C") : Names("A B b1 C"));
        if (expected.isEmpty()) {
            QVERIFY(!QFile::exists(Work(QStringLiteral("M.Odel"))));
        } else {
            const QByteArray deleted = ReadWholeFile(Work(QStringLiteral("M.Odel")));
            QCOMPARE(deleted.left(7), ListHeader);
            QCOMPARE(NamesIn(deleted), expected);
        }
        QVERIFY(!doc.IsModified());
        QCOMPARE(doc.FileName(), Work(QStringLiteral("M.dat")));
        QVERIFY(TDialogSeam::Shown().empty());
    }

    void aListIsNotSavedUnderItsOwnDeletedFileName() {
        QVERIFY(WriteWholeFile(Work(QStringLiteral("L.dat")), FileOf({Rec("A", 1)})));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(Work(QStringLiteral("L.dat")));
        QVERIFY_THROWS_EXCEPTION(EFCreateError,
                                 doc.SaveChannelList(Work(QStringLiteral("L.Odel")), false));
        QVERIFY(!QFile::exists(Work(QStringLiteral("L.Odel"))));
        QCOMPARE(doc.FileName(), Work(QStringLiteral("L.dat")));
    }

    void saveCheckedAsWritesTheTickedChannelsInTreeOrder() {
        QVERIFY(WriteWholeFile(Work(QStringLiteral("L.dat")),
                               FileOf({Rec("A", 1), Sub("a1", 1), Rec("B", 2), Rec("C", 3),
                                       Sub("c1", 3), Sub("c2", 3), Rec("D", 4)})));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(Work(QStringLiteral("L.dat")));
        doc.Tree().MoveNodeBefore(3, 0); // D, A, B, C
        doc.Tree().CheckNode(RowOf(doc.Tree(), QStringLiteral("C")));
        doc.Tree().CheckNode(RowOf(doc.Tree(), QStringLiteral("D")));
        doc.SetModified(true);
        QSignalSpy names(&doc, &TChannelDocument::FileNameChanged);

        TDialogSeam::AddFileName(Work(QStringLiteral("ticked")));
        doc.CommandSaveCheckedAs();
        const QByteArray image = ReadWholeFile(Work(QStringLiteral("ticked.dat")));
        QCOMPARE(image.left(7), ListHeader);
        QCOMPARE(NamesIn(image), Names("D C c1 c2"));
        QCOMPARE(TDialogSeam::ShownTexts(),
                 QStringList({Work(QStringLiteral("ticked.dat")) + QStringLiteral("\r\nSaved.")}));
        QCOMPARE(doc.FileName(), Work(QStringLiteral("L.dat")));
        QCOMPARE(names.count(), 0);
        QVERIFY(doc.IsModified());
        QVERIFY(!QFile::exists(Work(QStringLiteral("ticked.Odel"))));
    }

    // Ticked channels go out without deleted channels: the companion of the list that the
    // new file replaces must not come back with it at the next open.
    void saveCheckedAsRemovesTheDeletedFileOfTheListItReplaces_data() {
        QTest::addColumn<bool>("infoWanted");
        QTest::newRow("with the saved message") << true;
        QTest::newRow("without the saved message") << false;
    }
    void saveCheckedAsRemovesTheDeletedFileOfTheListItReplaces() {
        QFETCH(bool, infoWanted);
        Settings().DoInfoFileSaved = infoWanted;
        QVERIFY(WriteWholeFile(Work(QStringLiteral("L.dat")),
                               FileOf({Rec("A", 1), Rec("B", 2), Sub("b1", 2)})));
        QVERIFY(WriteWholeFile(Work(QStringLiteral("L.Odel")), FileOf({Rec("D", 4)})));
        QVERIFY(WriteWholeFile(Work(QStringLiteral("X.dat")), FileOf({Rec("Old", 8)})));
        QVERIFY(WriteWholeFile(Work(QStringLiteral("X.Odel")),
                               FileOf({Rec("Stale", 9), Sub("s1", 9)})));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(Work(QStringLiteral("L.dat")));
        doc.Tree().CheckNode(RowOf(doc.Tree(), QStringLiteral("B")));

        TDialogSeam::AddFileName(Work(QStringLiteral("X.dat")));
        TDialogSeam::AddAnswer(true); // overwrite X.dat
        doc.CommandSaveCheckedAs();

        QVERIFY(!QFile::exists(Work(QStringLiteral("X.Odel"))));
        QCOMPARE(NamesIn(ReadWholeFile(Work(QStringLiteral("X.dat")))), Names("B b1"));
        const QString note = QStringLiteral("The deleted channels file %1 of the list it replaced "
                                            "was removed: checked channels are saved without "
                                            "deleted channels.")
                                 .arg(QDir::toNativeSeparators(Work(QStringLiteral("X.Odel"))));
        const QStringList shown = TDialogSeam::ShownTexts();
        QCOMPARE(shown.size(), 2); // the overwrite question, then the message
        QCOMPARE(shown.last(), infoWanted ? Work(QStringLiteral("X.dat")) +
                                                QStringLiteral("\r\nSaved.\r\n") + note
                                          : note);
        // The list in memory keeps its own deleted file.
        QCOMPARE(ReadWholeFile(Work(QStringLiteral("L.Odel"))), FileOf({Rec("D", 4)}));

        TChannelDocument reopened(FPrompt);
        reopened.LoadChannelList(Work(QStringLiteral("X.dat")));
        QCOMPARE(reopened.Channels().Count(), 2);
        QCOMPARE(ListChannel(reopened, QStringLiteral("Stale")), nullptr);
    }

    // Only a companion file goes; a folder of that name is nobody's deleted channels.
    void saveCheckedAsLeavesAFolderNamedLikeTheCompanion() {
        QVERIFY(WriteWholeFile(Work(QStringLiteral("L.dat")), FileOf({Rec("A", 1)})));
        QVERIFY(QDir().mkpath(Work(QStringLiteral("X.Odel/inside"))));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(Work(QStringLiteral("L.dat")));
        doc.Tree().CheckNode(0);
        doc.SaveCheckedToFile(Work(QStringLiteral("X.dat")), true);
        QVERIFY(QFileInfo(Work(QStringLiteral("X.Odel/inside"))).isDir());
        QCOMPARE(TDialogSeam::ShownTexts(),
                 QStringList({Work(QStringLiteral("X.dat")) + QStringLiteral("\r\nSaved.")}));
    }

    void refusedLoadKeepsEverything_data() {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QByteArray>("deleted"); // empty: no deleted file
        QTest::addColumn<QString>("message");    // empty: any message
        QTest::newRow("wrong ID") << MakeChannelFile({Rec("X", 5)},
                                                     MakeChannelHeader(QByteArrayLiteral("B2C3")))
                                  << QByteArray() << "Wrong File ID: B2C3, correct is: B2C2";
        QTest::newRow("no channels") << FileOf({}) << QByteArray() << "No Channels in file";
        QTest::newRow("cut record")
            << FileOf({Rec("X", 5)}) + QByteArray(60, 'x') << QByteArray() << QString();
        QTest::newRow("cut deleted file")
            << FileOf({Rec("X", 5)}) << FileOf({Rec("Y", 6)}).left(70) << QString();
        QTest::newRow("missing file") << QByteArray() << QByteArray() << QString();
    }
    void refusedLoadKeepsEverything() {
        QFETCH(QByteArray, list);
        QFETCH(QByteArray, deleted);
        QFETCH(QString, message);
        QVERIFY(WriteWholeFile(Work(QStringLiteral("L.dat")),
                               FileOf({Rec("A", 1), Sub("a1", 1), Rec("B", 2)})));
        const QString bad = Work(QStringLiteral("bad.dat"));
        if (!list.isEmpty())
            QVERIFY(WriteWholeFile(bad, list));
        if (!deleted.isEmpty())
            QVERIFY(WriteWholeFile(Work(QStringLiteral("bad.Odel")), deleted));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(Work(QStringLiteral("L.dat")));
        doc.Tree().CheckNode(1);
        doc.SetModified(true);
        TChannel* const first = doc.Channels().Channel(0);
        QSignalSpy names(&doc, &TChannelDocument::FileNameChanged);
        QSignalSpy started(&doc, &TChannelDocument::LoadingStarted);
        QSignalSpy finished(&doc, &TChannelDocument::LoadingFinished);

        TDialogSeam::AddAnswer(true);
        TDialogSeam::AddFileName(bad);
        try {
            doc.CommandFileOpen();
            QFAIL("the file was accepted");
        } catch (const EOrvaneError& e) {
            if (!message.isEmpty())
                QCOMPARE(e.Message(), message);
        }
        QCOMPARE(TDialogSeam::ShownTexts(),
                 QStringList({QStringLiteral("Changes are not saved!!! Load anyway?")}));
        QCOMPARE(doc.Channels().Count(), 3);
        QCOMPARE(doc.Channels().Channel(0), first);
        QCOMPARE(doc.Channels().Version(), QStringLiteral("1.7"));
        QCOMPARE(TreeOrder(doc.Tree()), Names("A a1 B"));
        QCOMPARE(doc.Tree().CheckedCount(), 1);
        QCOMPARE(doc.FileName(), Work(QStringLiteral("L.dat")));
        QCOMPARE(names.count(), 0);
        QVERIFY(doc.IsModified());
        QCOMPARE(started.count(), 1);
        QCOMPARE(finished.count(), 1);
    }

    void failedWriteKeepsTheOldFileAndNamesIt() {
        const QString path = Work(QStringLiteral("L.dat"));
        QVERIFY(WriteWholeFile(path, FileOf({Rec("A", 1), Rec("B", 2)})));
        const QByteArray before = ReadWholeFile(path);
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(path);
        doc.Tree().ChannelAt(0)->SetName(QStringLiteral("Changed"));
        doc.SetModified(true);

        SetNextWriteFailureAfter(140);
        try {
            doc.CommandFileSave();
            QFAIL("the failed write was reported as success");
        } catch (const EWriteError& e) {
            QVERIFY2(e.Message().contains(QDir::toNativeSeparators(path)), qPrintable(e.Message()));
        }
        QCOMPARE(ReadWholeFile(path), before);
        QVERIFY(doc.IsModified());
        QVERIFY(TDialogSeam::Shown().empty());
        // No temporary file is left beside the list.
        QCOMPARE(QDir(FWork).entryList(QDir::Files | QDir::Hidden), Names("L.dat"));
    }

    // The list is written but its deleted channels are not: the save is not done, so the
    // unsaved mark stays (the question at exit still comes), and the next save finishes it.
    void failedDeletedFileKeepsTheUnsavedMark() {
        const QString path = Work(QStringLiteral("L.dat"));
        QVERIFY(WriteWholeFile(path, FileOf({Rec("A", 1), Rec("B", 2), Rec("C", 3)})));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(path);
        DeleteNode(doc, QStringLiteral("B"));
        doc.SetModified(true);

        SetWriteFailureAfter(20, 1); // the list goes through, its deleted file fails
        QVERIFY_THROWS_EXCEPTION(EWriteError, doc.CommandFileSave());
        QCOMPARE(NamesIn(ReadWholeFile(path)), Names("A C"));
        QVERIFY(!QFile::exists(Work(QStringLiteral("L.Odel"))));
        QVERIFY(doc.IsModified());
        QVERIFY(TDialogSeam::Shown().empty());

        doc.CommandFileSave();
        QCOMPARE(NamesIn(ReadWholeFile(Work(QStringLiteral("L.Odel")))), Names("B"));
        QVERIFY(!doc.IsModified());
    }

    void saveAfterEveryChannelWasDeletedWritesNothing() {
        const QString path = Work(QStringLiteral("L.dat"));
        QVERIFY(WriteWholeFile(path, FileOf({Rec("A", 1), Rec("B", 2)})));
        QVERIFY(WriteWholeFile(Work(QStringLiteral("L.Odel")), FileOf({Rec("D", 4)})));
        const QByteArray list = ReadWholeFile(path);
        const QByteArray deleted = ReadWholeFile(Work(QStringLiteral("L.Odel")));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(path);
        DeleteNode(doc, QStringLiteral("A"));
        DeleteNode(doc, QStringLiteral("B"));
        doc.SetModified(true);

        doc.CommandFileSave();
        QCOMPARE(ReadWholeFile(path), list);
        QCOMPARE(ReadWholeFile(Work(QStringLiteral("L.Odel"))), deleted);
        QVERIFY(TDialogSeam::Shown().empty());
        QVERIFY(doc.IsModified());
    }

    void answeringNoChangesNothing_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("question");
        QTest::newRow("Save As onto an existing file") << "SaveAs"
                                                       << "File %1 exists! Overwrite?";
        QTest::newRow("Save Checked As onto an existing file") << "SaveCheckedAs"
                                                               << "File %1 exists! Overwrite?";
        // The viewer's A has an audio track that the list's A lacks, and C is not in the list.
        QTest::newRow("Save DVBViewer")
            << "SaveDVBViewer"
            << "Overwrite DVBViewer channel list?\r\n\r\nChanges compared with %1:\r\nMoved: "
               "0\r\nRenamed: 0\r\nChanged in other fields: 1\r\nDeleted: 1\r\nRestored: "
               "0\r\nAdded: 0\r\nChannels: 3 in the file, 2 in the list.";
        QTest::newRow("Open with unsaved changes") << "Open"
                                                   << "Changes are not saved!!! Load anyway?";
        QTest::newRow("Open DVBViewer with unsaved changes")
            << "OpenDVBViewer"
            << "Changes are not saved!!! Load anyway?";
    }
    void answeringNoChangesNothing() {
        QFETCH(QString, command);
        QFETCH(QString, question);
        MakeViewerFiles();
        const QString list = Work(QStringLiteral("L.dat"));
        const QString target = Work(QStringLiteral("T.dat"));
        QVERIFY(WriteWholeFile(list, FileOf({Rec("A", 1), Rec("B", 2)})));
        QVERIFY(WriteWholeFile(target, FileOf({Rec("Old", 9)})));
        const QByteArray targetBytes = ReadWholeFile(target);
        const QByteArray viewerBytes = ReadWholeFile(Viewer("channels.dat"));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(list);
        doc.Tree().CheckNode(0);
        doc.SetModified(true);

        TDialogSeam::AddFileName(target);
        TDialogSeam::AddAnswer(false);
        if (command == QLatin1String("SaveAs"))
            doc.CommandFileSaveAs();
        else if (command == QLatin1String("SaveCheckedAs"))
            doc.CommandSaveCheckedAs();
        else if (command == QLatin1String("SaveDVBViewer"))
            doc.CommandSaveDVBViewer();
        else if (command == QLatin1String("Open"))
            doc.CommandFileOpen();
        else
            doc.CommandOpenDVBViewer();

        const std::vector<TShownMessage>& shown = TDialogSeam::Shown();
        QCOMPARE(shown.size(), size_t(1));
        const QString named = command == QLatin1String("SaveDVBViewer")
                                  ? QDir::toNativeSeparators(Viewer("channels.dat"))
                                  : target;
        QCOMPARE(shown[0].Text, question.contains(u'%') ? question.arg(named) : question);
        QCOMPARE(shown[0].Kind, command == QLatin1String("SaveDVBViewer")
                                    ? TMessageKind::Confirmation
                                    : TMessageKind::WarningQuestion);
        QCOMPARE(ReadWholeFile(target), targetBytes);
        QCOMPARE(ReadWholeFile(Viewer("channels.dat")), viewerBytes);
        QVERIFY(!QFile::exists(Backup("channels1.dat")));
        QCOMPARE(doc.FileName(), list);
        QCOMPARE(TreeOrder(doc.Tree()), Names("A B"));
        QVERIFY(doc.IsModified());
    }
};

QTEST_MAIN(TestChannelDocument)
#include "tst_channeldocument.moc"

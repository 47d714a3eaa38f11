// Every writer of the program, made to fail part-way or kept from creating its file: the old
// file keeps its bytes, the error names the file, no temporary file is left behind, and
// "Save DVBViewer" leaves the viewer's files and the backups as its failure rules promise.

#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/TestSupport.h"
#include "iptv/UIPTVManager.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "platform/UAtomicFile.h"
#include "platform/UOrvaneError.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"
#include "viewer/UTuning.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

namespace {

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

TChannelRec IPTVRec(const char* name, quint16 sid, quint8 last) {
    return TChannelRecBuilder()
        .Name(QString::fromLatin1(name))
        .Category(QStringLiteral("Net"))
        .Root(QStringLiteral("IPTV"))
        .Video()
        .Ids(sid, 1, 1)
        .IPTV(239, 0, 0, last, 1234)
        .Build();
}

QStringList EntriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

// How a write is kept from finishing.
enum class TFault {
    SeamAtStart,   // the disk takes no byte
    SeamInHeader,  // the disk fills inside the first bytes
    SeamInRecords, // the disk fills well inside the image
    FullAtFlush,   // the disk takes every byte into its cache and is full when they go out
    ParentIsFile,  // the folder of the target is a regular file
    TargetIsFolder // a folder stands where the file should be
};

} // namespace

class TestFailingWrites : public QObject {
    Q_OBJECT

private:
    TDialogPrompt FPrompt;
    std::unique_ptr<QTemporaryDir> FTemp;
    QString FViewer; // ends with a separator, as the setting does
    QString FWork;
    QString FBackup;

    QString Work(const char* name) const { return FWork + u'/' + QLatin1String(name); }
    QString Viewer(const char* name) const { return FViewer + QLatin1String(name); }
    QString Backup(const char* name) const { return FBackup + QLatin1String(name); }
    QString Source() const { return FTemp->path() + QStringLiteral("/source/src.dat"); }

    const QByteArray OldList = MakeChannelFile({Rec("Old", 1), Rec("Older", 2)});
    const QByteArray OldDeleted = MakeChannelFile({Rec("Gone", 9)});

    // The viewer's list A (+ track a1), B and a deleted C, loaded into doc.
    void LoadViewerList(TChannelDocument& doc) {
        QVERIFY(WriteChannelFile(Viewer("channels.dat"),
                                 {Rec("A", 1), Rec("a1", 1, true), Rec("B", 2)}));
        QVERIFY(WriteChannelFile(Viewer("channels.Odel"), {Rec("C", 3)}));
        doc.LoadChannelList(Viewer("channels.dat"));
        doc.Tree().ChannelAt(0)->SetName(QStringLiteral("Changed"));
        doc.SetModified(true);
    }

private Q_SLOTS:
    void init() {
        ResetSettings();
        SetNextWriteFailureAfter(-1);
        TDialogSeam::Install();
        FTemp = std::make_unique<QTemporaryDir>();
        QVERIFY(FTemp->isValid());
        FViewer = FTemp->path() + QStringLiteral("/viewer/");
        FWork = FTemp->path() + QStringLiteral("/work");
        QVERIFY(QDir().mkpath(FViewer));
        QVERIFY(QDir().mkpath(FWork));
        Settings().DVBViewerDataFolder = FViewer;
        Settings().DefaultWorkFolder = FWork;
        Settings().ConfirmSaveDVBViewer = false;
        FBackup = GetProgramDataFolder();
        QVERIFY(!FBackup.isEmpty());
        QDir(FBackup).removeRecursively();
        QFile::remove(QDir::cleanPath(FBackup));
        QVERIFY(EnsureProgramDataFolder());
    }

    void cleanup() {
        TDialogSeam::Uninstall();
        SetNextWriteFailureAfter(-1);
        FTemp.reset();
    }

    void failedWriteKeepsTheOldFileAndNamesIt_data() {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<int>("fault");
        const char* writers[] = {"TChannels::SaveToFile", "TChannels::SaveToFile(indices)",
                                 "SaveChannelList",       "SaveCheckedToFile",
                                 "SaveSettings",          "IPTV DoExport"};
        const std::pair<const char*, TFault> faults[] = {
            {"disk takes no byte", TFault::SeamAtStart},
            {"disk full in the first bytes", TFault::SeamInHeader},
            {"disk full further on", TFault::SeamInRecords},
            {"disk full when the bytes are flushed", TFault::FullAtFlush},
            {"folder is a regular file", TFault::ParentIsFile},
            {"a folder stands in the way", TFault::TargetIsFolder},
        };
        for (const char* writer : writers)
            for (const auto& [faultName, fault] : faults)
                QTest::addRow("%s, %s", writer, faultName)
                    << QString::fromLatin1(writer) << int(fault);
    }
    void failedWriteKeepsTheOldFileAndNamesIt() {
        QFETCH(QString, writer);
        QFETCH(int, fault);
        const TFault f = TFault(fault);
        const bool settings = writer == QLatin1String("SaveSettings");
        const bool iptv = writer == QLatin1String("IPTV DoExport");

        QString target = settings ? SettingsFileName() : iptv ? Backup("iptv.txt") : Work("L.dat");
        QByteArray oldBytes = settings ? QByteArrayLiteral("[Settings]\r\nPathMode=1\r\n")
                              : iptv   ? QByteArrayLiteral("old mapping\r\n")
                                       : OldList;
        // The file (or folder) that must come through unchanged, and the folder in which no
        // temporary file may be left.
        QString kept = target;
        if (f == TFault::ParentIsFile) {
            if (settings) {
                // No program data folder, but a file of its name.
                QVERIFY(QDir(FBackup).removeRecursively());
                kept = QDir::cleanPath(FBackup);
            } else {
                kept = Work("blocker");
                target = kept + (iptv ? QStringLiteral("/iptv.txt") : QStringLiteral("/L.dat"));
            }
            oldBytes = QByteArrayLiteral("a file, not a folder");
            QVERIFY(WriteWholeFile(kept, oldBytes));
        } else if (f == TFault::TargetIsFolder) {
            QVERIFY(QDir().mkpath(target + QStringLiteral("/keep")));
        } else {
            QVERIFY(WriteWholeFile(target, oldBytes));
        }
        const QString folder = QFileInfo(kept).absolutePath();

        // Each writer with the state it writes from.
        TChannels list;
        TChannelDocument doc(FPrompt);
        TChannels iptvList;
        TChannelTreeModel iptvTree;
        TIPTVManager manager;
        std::function<void()> write;
        qsizetype imageSize = 0;
        if (writer.startsWith(QLatin1String("TChannels::"))) {
            list.LoadFromBytes(MakeChannelFile({Rec("A", 1), Rec("B", 2), Rec("C", 3)}),
                               QStringLiteral("image"));
            imageSize = list.ToBytes().size();
            if (writer.endsWith(QLatin1String("(indices)")))
                write = [&] { list.SaveToFile(target, {2, 0}); };
            else
                write = [&] { list.SaveToFile(target); };
        } else if (writer == QLatin1String("SaveChannelList") ||
                   writer == QLatin1String("SaveCheckedToFile")) {
            QVERIFY(WriteChannelFile(Source(), {Rec("A", 1), Rec("a1", 1, true), Rec("B", 2)}));
            doc.LoadChannelList(Source());
            doc.Tree().CheckNode(0);
            doc.SetModified(true);
            imageSize = 7 + 2 * 132;
            if (writer == QLatin1String("SaveChannelList"))
                write = [&] { doc.SaveChannelList(target, true); };
            else
                write = [&] { doc.SaveCheckedToFile(target, true); };
        } else if (settings) {
            Settings().DVBViewerDataFolder = QStringLiteral("/somewhere/else/");
            Settings().frmMainLeft = 321;
            imageSize = 1000; // some forty keys
            write = [] { SaveSettings(); };
        } else {
            for (quint8 i = 1; i <= 4; ++i)
                iptvList.Add(std::make_unique<TChannel>(IPTVRec("Stream", 7, i)));
            iptvTree.DisplayTreeView(iptvList);
            manager.LoadAllIPTVChannels(iptvTree);
            manager.DisplayTreeViewFirst();
            manager.MakeAllChannelsUnique(65535);
            imageSize = manager.ExportText().size();
            write = [&] { manager.DoExport(target); };
        }
        QVERIFY2(imageSize > 100, "the image must be long enough to fail inside it");

        switch (f) {
        case TFault::SeamAtStart:
            SetNextWriteFailureAfter(0);
            break;
        case TFault::SeamInHeader:
            SetNextWriteFailureAfter(3);
            break;
        case TFault::SeamInRecords:
            SetNextWriteFailureAfter(100);
            break;
        case TFault::FullAtFlush:
            SetWriteFailureAtSync(ENOSPC);
            break;
        default:
            break;
        }
        const QString deletedFile = TChannelDocument::DeletedFileName(target);
        if (writer == QLatin1String("SaveChannelList") && f != TFault::ParentIsFile)
            QVERIFY(WriteWholeFile(deletedFile, OldDeleted));
        const QStringList entriesBefore = EntriesOf(folder);

        try {
            write();
            QFAIL("the failed write was reported as success");
        } catch (const EOrvaneError& e) {
            QVERIFY2(e.Message().contains(QDir::toNativeSeparators(target)),
                     qPrintable(e.Message()));
            const QString cls = e.ClassName();
            QVERIFY2(cls == QLatin1String("EFCreateError") || cls == QLatin1String("EWriteError") ||
                         cls == QLatin1String("EFOpenError"),
                     qPrintable(cls));
            if (f == TFault::SeamInHeader || f == TFault::SeamInRecords ||
                f == TFault::SeamAtStart || f == TFault::FullAtFlush)
                QCOMPARE(cls, QStringLiteral("EWriteError"));
            // What the system said reaches the user.
            if (f == TFault::FullAtFlush)
                QVERIFY2(e.Message().endsWith(QString::fromLocal8Bit(std::strerror(ENOSPC))),
                         qPrintable(e.Message()));
        }

        if (f == TFault::TargetIsFolder) {
            QVERIFY(QFileInfo(target).isDir());
            QCOMPARE(EntriesOf(target), QStringList{QStringLiteral("keep")});
        } else {
            QCOMPARE(ReadWholeFile(kept), oldBytes);
        }
        QCOMPARE(EntriesOf(folder), entriesBefore);
        QVERIFY(TDialogSeam::Shown().empty()); // "Saved." only after a write that worked

        if (writer == QLatin1String("SaveChannelList")) {
            QVERIFY(doc.IsModified());
            QCOMPARE(doc.FileName(), Source());
            if (f != TFault::ParentIsFile)
                QCOMPARE(ReadWholeFile(deletedFile), OldDeleted);
        }
        if (writer == QLatin1String("SaveCheckedToFile"))
            QVERIFY(doc.IsModified());
        if (settings) // the record is what the program had, not what the failed file says
            QCOMPARE(Settings().frmMainLeft, 321);
    }

    // The list is written, its deleted file is not: the list is the new current file, the
    // old deleted file stays as it was, and the save is not done, so the unsaved mark stays.
    void failedDeletedFileAfterTheListWasWritten_data() {
        QTest::addColumn<bool>("folderInTheWay");
        QTest::newRow("disk full in the deleted file") << false;
        QTest::newRow("a folder where the deleted file goes") << true;
    }
    void failedDeletedFileAfterTheListWasWritten() {
        QFETCH(bool, folderInTheWay);
        QVERIFY(WriteChannelFile(Work("src.dat"), {Rec("A", 1), Rec("B", 2)}));
        QVERIFY(WriteChannelFile(Work("src.Odel"), {Rec("D", 4)}));
        TChannelDocument doc(FPrompt);
        doc.LoadChannelList(Work("src.dat"));
        doc.SetModified(true);
        const QString target = Work("L.dat");
        const QString deleted = Work("L.Odel");
        QVERIFY(WriteWholeFile(target, OldList));
        if (folderInTheWay)
            QVERIFY(QDir().mkpath(deleted));
        else
            QVERIFY(WriteWholeFile(deleted, OldDeleted));

        SetWriteFailureAfter(50, 1);
        try {
            doc.SaveChannelList(target, false);
            QFAIL("the failed write was reported as success");
        } catch (const EOrvaneError& e) {
            QVERIFY2(e.Message().contains(QDir::toNativeSeparators(deleted)),
                     qPrintable(e.Message()));
        }
        QCOMPARE(ReadWholeFile(target), MakeChannelFile({Rec("A", 1), Rec("B", 2)}));
        if (folderInTheWay)
            QVERIFY(QFileInfo(deleted).isDir());
        else
            QCOMPARE(ReadWholeFile(deleted), OldDeleted);
        QVERIFY(doc.IsModified());
        QCOMPARE(doc.FileName(), target);
        QCOMPARE(EntriesOf(FWork),
                 QStringList({QStringLiteral("L.Odel"), QStringLiteral("L.dat"),
                              QStringLiteral("src.Odel"), QStringLiteral("src.dat")}));
    }

    // On a first save the writes are: backups channels.dat, channels.Odel, channels1.dat,
    // channels1.Odel, then the viewer's channels.dat and channels.Odel. Each fails in turn.
    void saveDVBViewerFailingAtEachWrite_data() {
        QTest::addColumn<int>("failingWrite");
        const char* names[] = {"backup channels.dat",   "backup channels.Odel",
                               "backup channels1.dat",  "backup channels1.Odel",
                               "viewer's channels.dat", "viewer's channels.Odel"};
        for (int i = 0; i < 6; ++i)
            QTest::newRow(names[i]) << i;
    }
    void saveDVBViewerFailingAtEachWrite() {
        QFETCH(int, failingWrite);
        TChannelDocument doc(FPrompt);
        LoadViewerList(doc);
        const QByteArray viewerList = ReadWholeFile(Viewer("channels.dat"));
        const QByteArray viewerDeleted = ReadWholeFile(Viewer("channels.Odel"));
        const QString writes[] = {Backup("channels.dat"),  Backup("channels.Odel"),
                                  Backup("channels1.dat"), Backup("channels1.Odel"),
                                  Viewer("channels.dat"),  Viewer("channels.Odel")};
        const QByteArray goodBytes[] = {viewerList, viewerDeleted, viewerList, viewerDeleted};

        SetWriteFailureAfter(60, failingWrite);
        QVERIFY(!doc.SaveDVBViewer());

        const std::vector<TShownMessage>& shown = TDialogSeam::Shown();
        QCOMPARE(shown.size(), size_t(2));
        QCOMPARE(shown[0].Kind, TMessageKind::Error);
        QVERIFY2(shown[0].Text.contains(QDir::toNativeSeparators(writes[failingWrite])),
                 qPrintable(shown[0].Text));
        if (failingWrite < 4) {
            QVERIFY2(shown[0].Text.startsWith(QStringLiteral(
                         "Backup Process Failed:\r\nClassName: EWriteError\r\nMessage: ")),
                     qPrintable(shown[0].Text));
            QVERIFY(shown[1].Text.startsWith(
                QStringLiteral("Backup of DVBViewer Channel list (channels.dat) failed.")));
            // Backups made before the failure stay; the failing one is not half there.
            for (int i = 0; i < 4; ++i) {
                if (i < failingWrite)
                    QCOMPARE(ReadWholeFile(writes[i]), goodBytes[i]);
                else
                    QVERIFY2(!QFileInfo::exists(writes[i]), qPrintable(writes[i]));
            }
        } else {
            QVERIFY2(shown[0].Text.startsWith(QStringLiteral(
                         "Failed to overwrite channels.dat:\r\nClassName: EWriteError Message: ")),
                     qPrintable(shown[0].Text));
            QCOMPARE(shown[1].Kind, TMessageKind::Warning);
            QVERIFY(shown[1].Text.startsWith(
                QStringLiteral("channels.dat/channels.Odel might be corrupted.")));
            for (int i = 0; i < 4; ++i)
                QCOMPARE(ReadWholeFile(writes[i]), goodBytes[i]);
        }

        // The viewer's list is either untouched or whole and new; its deleted file untouched.
        // Either way the save is not done: the unsaved mark stays.
        if (failingWrite < 5) {
            QCOMPARE(ReadWholeFile(Viewer("channels.dat")), viewerList);
        } else {
            TChannels written;
            written.LoadFromFile(Viewer("channels.dat"));
            QCOMPARE(written.Count(), 3);
            QCOMPARE(written.Channel(0)->Name(), QStringLiteral("Changed"));
        }
        QVERIFY(doc.IsModified());
        QCOMPARE(ReadWholeFile(Viewer("channels.Odel")), viewerDeleted);
        QCOMPARE(EntriesOf(FViewer),
                 QStringList({QStringLiteral("channels.Odel"), QStringLiteral("channels.dat")}));
        // The tuning table follows only a save that went through.
        QVERIFY(doc.TuningManager().TVChannels().empty());
    }

    // A failing copy after the rotation: the renamed backups stay renamed, the viewer's
    // files are not written.
    void rotatedBackupsStayWhenTheNewCopyFails() {
        const QByteArray first = MakeChannelFile({Rec("First", 1)});
        const QByteArray previous = MakeChannelFile({Rec("Previous", 1)});
        const QByteArray oldest = MakeChannelFile({Rec("Oldest", 1)});
        QVERIFY(WriteWholeFile(Backup("channels.dat"), first));
        QVERIFY(WriteWholeFile(Backup("channels1.dat"), previous));
        QVERIFY(WriteWholeFile(Backup("channels2.dat"), oldest));
        TChannelDocument doc(FPrompt);
        LoadViewerList(doc);
        const QByteArray viewerList = ReadWholeFile(Viewer("channels.dat"));

        SetNextWriteFailureAfter(10); // the copy to channels1.dat
        QVERIFY(!doc.SaveDVBViewer());
        QCOMPARE(ReadWholeFile(Backup("channels.dat")), first);
        QCOMPARE(ReadWholeFile(Backup("channels2.dat")), previous);
        QVERIFY(!QFileInfo::exists(Backup("channels1.dat")));
        QCOMPARE(ReadWholeFile(Viewer("channels.dat")), viewerList);
        QCOMPARE(TDialogSeam::Shown().size(), size_t(2));
        QVERIFY(TDialogSeam::Shown()[0].Text.contains(
            QDir::toNativeSeparators(Backup("channels1.dat"))));
    }

    // The viewer's list where a folder stands: the backups cannot read it, nothing is written.
    void saveDVBViewerOverAFolderWritesNothing() {
        TChannelDocument doc(FPrompt);
        LoadViewerList(doc);
        QVERIFY(QFile::remove(Viewer("channels.Odel")));
        QVERIFY(QDir().mkpath(Viewer("channels.Odel/keep")));
        QVERIFY(!doc.SaveDVBViewer());
        QCOMPARE(TDialogSeam::Shown().size(), size_t(2));
        QVERIFY(TDialogSeam::Shown()[0].Text.startsWith(QStringLiteral("Backup Process Failed:")));
        QCOMPARE(EntriesOf(Viewer("channels.Odel")), QStringList{QStringLiteral("keep")});
        QVERIFY(doc.IsModified());
    }
};

QTEST_MAIN(TestFailingWrites)
#include "tst_failingwrites.moc"

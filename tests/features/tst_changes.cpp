#include "channels/UChannel.h"
#include "channels/UChannelRec.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "main/UChangeSummary.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UEditCommands.h"
#include "main/UMain.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

// A main channel with IDs of its own (sid), named by one letter.
TChannelRecBuilder Chan(const QString& name, quint16 sid) {
    return TChannelRecBuilder()
        .Name(name)
        .Category(u"Cat"_s)
        .Root(u"Root"_s)
        .TunerType(ttSatellite)
        .Ids(sid, 1, 1)
        .AudioPID(sid * 10)
        .Video();
}

// A (with one audio track, same name, other PID), then B to H.
QList<TChannelRec> ListRecords() {
    QList<TChannelRec> records{Chan(u"A"_s, 1), Chan(u"A"_s, 1).SubChannel().AudioPID(11)};
    const QString names = u"BCDEFGH"_s;
    for (int i = 0; i < names.size(); ++i)
        records << Chan(names.mid(i, 1), quint16(i + 2));
    return records;
}

QString Counts(const TChangeCounts& n) {
    return u"%1 %2 %3 %4 %5 %6"_s.arg(n.Moved)
        .arg(n.Renamed)
        .arg(n.OtherFields)
        .arg(n.Deleted)
        .arg(n.Restored)
        .arg(n.Added);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestChanges : public QObject {
    Q_OBJECT

private:
    TMainWindowFixture F;

    TChannelTreeModel& Tree() { return F.Tree(); }
    TEditCommands& Edit() { return F->EditCommands(); }

    int Row(const QString& name) {
        for (int row = 0; row < Tree().TopCount(); ++row)
            if (Tree().ChannelAt(row)->Name() == name)
                return row;
        return -1;
    }
    void Tick(const QString& names) {
        Tree().UncheckAll();
        for (const QString& name : names.split(u' ', Qt::SkipEmptyParts))
            Tree().CheckNode(Row(name));
    }
    TChannel* Deleted(const QString& name) {
        for (const auto& c : F->Channels().Channels())
            if (c->IsMainChannel() && c->State != csNormal && c->Name() == name)
                return c.get();
        return nullptr;
    }

    // One edit of the table, as the commands make it.
    void Apply(const QString& edit) {
        if (edit == u"move E to top") {
            Tick(u"E"_s);
            Edit().MoveCheckedToTop();
        } else if (edit == u"move A to bottom") {
            Tick(u"A"_s);
            Edit().MoveCheckedToBottom();
        } else if (edit == u"move E F G to top") {
            Tick(u"E F G"_s);
            Edit().MoveCheckedToTop();
        } else if (edit == u"reverse") {
            std::vector<int> order(size_t(Tree().TopCount()));
            std::iota(order.rbegin(), order.rend(), 0);
            Tree().ApplyOrder(order);
        } else if (edit == u"rename B") {
            Edit().EditChannelName(Tree().NodeIndex(Row(u"B"_s)), u"Bee"_s);
        } else if (edit == u"rename the audio track of A") {
            Edit().EditChannelName(Tree().SubIndex(Row(u"A"_s), 0), u"A2"_s);
        } else if (edit == u"new category for B C") {
            Tick(u"B C"_s);
            QVERIFY(Edit().RenameCategoryOrRoot(emCategory, u"News"_s));
        } else if (edit == u"group of C D") {
            Tick(u"C D"_s);
            Edit().SetGroup(3);
        } else if (edit == u"default audio track of A") {
            Edit().SetMainAudioTrack(Tree().SubIndex(Row(u"A"_s), 0),
                                     Tree().NodeIndex(Row(u"A"_s)));
        } else if (edit == u"delete C") {
            Tick(u"C"_s);
            Edit().DeleteChecked();
        } else if (edit == u"delete C, restore it") {
            Apply(u"delete C"_s);
            Edit().RestoreChannels({Deleted(u"C"_s)});
        } else if (edit == u"restore Z") {
            Edit().RestoreChannels({Deleted(u"Z"_s)});
        } else if (edit == u"append X Y") {
            QVERIFY(WriteChannelFile(F.Path(u"more.dat"_s), {Chan(u"X"_s, 30), Chan(u"Y"_s, 31)}));
            F->Document().AppendFile(F.Path(u"more.dat"_s), false);
        } else if (edit == u"append a copy of B") {
            QVERIFY(WriteChannelFile(F.Path(u"more.dat"_s), {Chan(u"B"_s, 2)}));
            F->Document().AppendFile(F.Path(u"more.dat"_s), false);
        } else if (edit == u"rename B, move it to top") {
            Apply(u"rename B"_s);
            Tick(u"Bee"_s);
            Edit().MoveCheckedToTop();
        } else if (edit == u"new IDs for D, rename it") {
            // Neither the identity nor the name finds it: gone and new.
            Tree().ChannelAt(Row(u"D"_s))->Rec.TunerData.Service_ID = 99;
            Edit().EditChannelName(Tree().NodeIndex(Row(u"D"_s)), u"Dee"_s);
        } else if (edit == u"new IDs for D") {
            Tree().ChannelAt(Row(u"D"_s))->Rec.TunerData.Service_ID = 99;
        } else if (edit != u"none") {
            QFAIL(qPrintable(u"unknown edit: "_s + edit));
        }
    }

private Q_SLOTS:
    void init() {
        QVERIFY(F.Prepare());
        Settings().ConfirmDeleteChecked = false;
        QVERIFY(F.Open({.Show = false}));
    }
    void cleanup() { F.Cleanup(); }

    void countsFollowTheEdits_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("counts"); // moved renamed other deleted restored added
        QTest::newRow("none") << u"none"_s << u"0 0 0 0 0 0"_s;
        QTest::newRow("one to the top") << u"move E to top"_s << u"1 0 0 0 0 0"_s;
        QTest::newRow("the first to the bottom") << u"move A to bottom"_s << u"1 0 0 0 0 0"_s;
        QTest::newRow("three to the top") << u"move E F G to top"_s << u"3 0 0 0 0 0"_s;
        QTest::newRow("whole list reversed") << u"reverse"_s << u"7 0 0 0 0 0"_s;
        QTest::newRow("rename") << u"rename B"_s << u"0 1 0 0 0 0"_s;
        QTest::newRow("rename an audio track")
            << u"rename the audio track of A"_s << u"0 1 0 0 0 0"_s;
        QTest::newRow("category of two") << u"new category for B C"_s << u"0 2 0 0 0 0"_s;
        QTest::newRow("group of two") << u"group of C D"_s << u"0 0 2 0 0 0"_s;
        QTest::newRow("other main audio track")
            << u"default audio track of A"_s << u"0 0 1 0 0 0"_s;
        QTest::newRow("delete") << u"delete C"_s << u"0 0 0 1 0 0"_s;
        // Back at the end: in the file it was elsewhere.
        QTest::newRow("delete and restore") << u"delete C, restore it"_s << u"1 0 0 0 0 0"_s;
        QTest::newRow("restore from the deleted file") << u"restore Z"_s << u"0 0 0 0 1 0"_s;
        QTest::newRow("append") << u"append X Y"_s << u"0 0 0 0 0 2"_s;
        QTest::newRow("append a copy") << u"append a copy of B"_s << u"0 0 0 0 0 1"_s;
        QTest::newRow("rename and move") << u"rename B, move it to top"_s << u"1 1 0 0 0 0"_s;
        // Found by name and root when the identity no longer matches.
        QTest::newRow("other IDs") << u"new IDs for D"_s << u"0 0 1 0 0 0"_s;
        QTest::newRow("other IDs and name") << u"new IDs for D, rename it"_s << u"0 0 0 1 0 1"_s;
    }

    // The list is loaded with its deleted file (holding Z), edited by the commands, and
    // compared with the file on disk, which the edits never touch.
    void countsFollowTheEdits() {
        QFETCH(QString, edit);
        QFETCH(QString, counts);
        QVERIFY(WriteChannelFile(F.Path(u"work.Odel"_s), {Chan(u"Z"_s, 26)}));
        QVERIFY(F.Load(F.Path(), ListRecords()));
        const QByteArray onDisk = ReadAll(F.Path());

        Apply(edit);
        const TChangeReport report = F->Document().ChangesAgainstFile(F.Path());
        QCOMPARE(Counts(report.Counts), counts);
        QVERIFY(report.FileExists);
        QVERIFY(report.ReadError.isEmpty());
        QVERIFY(!report.ChangedOnDisk);
        QCOMPARE(report.Counts.InFile, 8);
        QCOMPARE(report.Counts.InTree, Tree().TopCount());
        QCOMPARE(ReadAll(F.Path()), onDisk);
    }

    // Of three equal channels the later two are deleted (as after "By Duplicates"): nothing
    // moved.
    void deletingLaterRepeatsMovesNothing() {
        QVERIFY(F.Load(F.Path(), {Chan(u"A"_s, 1), Chan(u"B"_s, 2), Chan(u"A"_s, 1),
                                  Chan(u"C"_s, 3), Chan(u"A"_s, 1)}));
        Tree().CheckNode(2);
        Tree().CheckNode(4);
        Edit().DeleteChecked();
        QCOMPARE(Counts(F->Document().ChangesAgainstFile(F.Path()).Counts), u"0 0 0 2 0 0"_s);
    }

    // The command tells what the file would get, and plainly when another program has
    // written the file since it was loaded; this program's own saves are no such news.
    void theCommandTellsWhatChangedAndWhoWroteTheFile() {
        QVERIFY(F.Load(F.Path(), ListRecords()));
        const QString path = QDir::toNativeSeparators(F.Path());
        QVERIFY(F.Trigger(u"actChanges"_s, {.UpdateActionsFirst = true}));
        QCOMPARE(TDialogSeam::ShownTexts(),
                 QStringList{u"No changes compared with %1 (8 channels)."_s.arg(path)});

        Apply(u"move E to top"_s);
        Apply(u"delete C"_s);
        TDialogSeam::ClearShown();
        QVERIFY(F.Trigger(u"actChanges"_s, {.UpdateActionsFirst = true}));
        QCOMPARE(TDialogSeam::ShownTexts(),
                 QStringList{u"Changes compared with %1:\r\nMoved: 1\r\nRenamed: 0\r\n"
                             "Changed in other fields: 0\r\nDeleted: 1\r\nRestored: 0\r\n"
                             "Added: 0\r\nChannels: 8 in the file, 7 in the list."_s.arg(path)});

        // Another program writes the file: the list now differs from it in other ways.
        QList<TChannelRec> other = ListRecords();
        other.removeLast(); // H
        QVERIFY(WriteChannelFile(F.Path(), other));
        TDialogSeam::ClearShown();
        QVERIFY(F.Trigger(u"actChanges"_s, {.UpdateActionsFirst = true}));
        QCOMPARE(
            TDialogSeam::ShownTexts(),
            QStringList{
                u"The file %1 has changed since Orvane loaded or saved it: another "
                "program has written it.\r\nChanges compared with %1:\r\nMoved: 1\r\n"
                "Renamed: 0\r\nChanged in other fields: 0\r\nDeleted: 1\r\n"
                "Restored: 0\r\nAdded: 1\r\nChannels: 7 in the file, 7 in the list."_s.arg(path)});

        Settings().DoInfoFileSaved = false;
        QVERIFY(F.Trigger(u"actFileSave"_s, {.UpdateActionsFirst = true}));
        TDialogSeam::ClearShown();
        QVERIFY(F.Trigger(u"actChanges"_s, {.UpdateActionsFirst = true}));
        QCOMPARE(TDialogSeam::ShownTexts(),
                 QStringList{u"No changes compared with %1 (7 channels)."_s.arg(path)});
        QVERIFY(!F->Document().IsModified());
    }

    void aMissingOrBrokenFileIsSaidSo() {
        QVERIFY(F.Load(F.Path(), ListRecords()));
        QVERIFY(QFile::remove(F.Path()));
        TChangeReport report = F->Document().ChangesAgainstFile(F.Path());
        QCOMPARE(DescribeChanges(report), u"There is no file %1 yet: all 8 channels are new."_s.arg(
                                              QDir::toNativeSeparators(F.Path())));
        QFile file(F.Path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("XXXXXXX");
        file.close();
        report = F->Document().ChangesAgainstFile(F.Path());
        QVERIFY(report.FileExists);
        QVERIFY(!report.ReadError.isEmpty());
        QVERIFY(DescribeChanges(report).startsWith(
            u"The file %1 cannot be read"_s.arg(QDir::toNativeSeparators(F.Path()))));
    }

    void theSaveQuestionCarriesTheSummaryAndKeepsItsAnswers_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes writes") << true;
        QTest::newRow("No writes nothing") << false;
    }

    // "Save DVBViewer": the question names the changes against the viewer's file; Yes writes
    // exactly the tree, No leaves the viewer's folder and the backups alone.
    void theSaveQuestionCarriesTheSummaryAndKeepsItsAnswers() {
        QFETCH(bool, yes);
        const QString viewer = TChannelDocument::DVBViewerFileName();
        QVERIFY(F.Load(viewer, ListRecords()));
        const QByteArray before = ReadAll(viewer);
        Apply(u"rename B"_s);

        TDialogSeam::AddAnswer(yes);
        F->Document().CommandSaveDVBViewer();
        const QStringList shown = TDialogSeam::ShownTexts();
        QVERIFY(!shown.isEmpty());
        QCOMPARE(shown.front(),
                 u"Overwrite DVBViewer channel list?\r\n\r\nChanges compared with %1:\r\n"
                 "Moved: 0\r\nRenamed: 1\r\nChanged in other fields: 0\r\nDeleted: 0\r\n"
                 "Restored: 0\r\nAdded: 0\r\nChannels: 8 in the file, 8 in the list."_s.arg(
                     QDir::toNativeSeparators(viewer)));
        QCOMPARE(TDialogSeam::Shown().front().Kind, TMessageKind::Confirmation);
        QCOMPARE(TDialogSeam::UnansweredQuestions(), 0);
        if (yes) {
            QList<TChannelRec> expected = ListRecords();
            TChannel renamed;
            renamed.Rec = expected[2];
            renamed.SetName(u"Bee"_s);
            expected[2] = renamed.Rec;
            QCOMPARE(ReadAll(viewer), MakeChannelFile(expected));
            QCOMPARE(shown.size(), 2);
            QVERIFY(!F->Document().IsModified());
        } else {
            QCOMPARE(ReadAll(viewer), before);
            QCOMPARE(shown.size(), 1);
            QVERIFY(F->Document().IsModified());
        }
    }

    // Without channels or a list file there is nothing to compare; with a list whose every
    // channel was deleted, what a save would remove is just what the user wants to see.
    void theCommandNeedsChannelsOrAListFile() {
        QAction* action = F.Action(u"actChanges"_s);
        QVERIFY(action);
        QVERIFY(F.Child<QMenu>("mnFile")->actions().contains(action));
        F->UpdateActions();
        QVERIFY(!action->isEnabled());
        QVERIFY(F.Load(F.Path(), ListRecords()));
        F->UpdateActions();
        QVERIFY(action->isEnabled());

        Tree().CheckAll();
        QVERIFY(F.Trigger(u"actDeleteChecked"_s, {.UpdateActionsFirst = true}));
        QCOMPARE(Tree().TopCount(), 0);
        TDialogSeam::ClearShown();
        QVERIFY(F.Trigger(u"actChanges"_s, {.UpdateActionsFirst = true}));
        const QStringList shown = TDialogSeam::ShownTexts();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].contains(u"\r\nDeleted: 8\r\n"_s), qPrintable(shown[0]));
    }
};

QTEST_MAIN(TestChanges)
#include "tst_changes.moc"

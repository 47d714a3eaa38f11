// The document's commands with a prompt of the test's own: no message box, no file dialog and
// no Qt Widgets behind them (this executable links the core libraries only).

#include "channels/UChannel.h"
#include "common/ChannelFixture.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "settings/USettings.h"
#include "ui/UUserPrompt.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <deque>

namespace {

// Answers from a script and writes down every question and message as "kind: text".
class TScriptedPrompt final : public TUserPrompt {
public:
    QStringList Asked;
    std::deque<bool> Answers;
    std::deque<QString> FileNames;

    void ShowInfoMessage(const QString& text) override { Asked << u"info: "_qs + text; }
    void ShowWarningMessage(const QString& text) override { Asked << u"warning: "_qs + text; }
    void ShowErrorMessage(const QString& text) override { Asked << u"error: "_qs + text; }
    bool AskConfirmation(const QString& text) override {
        Asked << u"confirm: "_qs + text;
        return NextAnswer();
    }
    bool AskWarningQuestion(const QString& text) override {
        Asked << u"question: "_qs + text;
        return NextAnswer();
    }
    QString AskOpenFileName(const QString& title, const QString&, const QString&) override {
        Asked << u"open: "_qs + title;
        return NextFileName();
    }
    QString AskSaveFileName(const QString& title, const QString&, const QString&) override {
        Asked << u"save: "_qs + title;
        return NextFileName();
    }

private:
    bool NextAnswer() {
        if (Answers.empty())
            return false;
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    QString NextFileName() {
        if (FileNames.empty())
            return QString();
        QString name = FileNames.front();
        FileNames.pop_front();
        return name;
    }
};

TChannelRec Rec(const char* name) {
    return TChannelRecBuilder().Name(QString::fromLatin1(name)).Build();
}

QStringList MainNames(TChannelDocument& doc) {
    QStringList names;
    for (int row = 0; row < doc.Tree().TopCount(); ++row)
        names << doc.Tree().ChannelAt(row)->Name();
    return names;
}

} // namespace

class TestDocumentPrompt : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FTemp;

    QString Path(const char* name) const { return FTemp->filePath(QLatin1String(name)); }

private Q_SLOTS:
    void init() {
        ResetSettings();
        FTemp = std::make_unique<QTemporaryDir>();
        QVERIFY(FTemp->isValid());
        QVERIFY(WriteChannelFile(Path("first.dat"), {Rec("A"), Rec("B")}));
        QVERIFY(WriteChannelFile(Path("second.dat"), {Rec("X")}));
    }
    void cleanup() { FTemp.reset(); }

    void openingOverUnsavedChangesAsksThePromptFirst_data() {
        QTest::addColumn<bool>("loadAnyway");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QStringList>("mains");
        QTest::newRow("declined")
            << false << QStringList{u"question: Changes are not saved!!! Load anyway?"_qs}
            << QStringList{u"A"_qs, u"B"_qs};
        QTest::newRow("accepted") << true
                                  << QStringList{u"question: Changes are not saved!!! Load "
                                                 u"anyway?"_qs,
                                                 u"open: Open DVBViewer channel list"_qs}
                                  << QStringList{u"X"_qs};
    }
    void openingOverUnsavedChangesAsksThePromptFirst() {
        QFETCH(bool, loadAnyway);
        QFETCH(QStringList, asked);
        QFETCH(QStringList, mains);
        TScriptedPrompt prompt;
        TChannelDocument doc(prompt);
        doc.LoadChannelList(Path("first.dat"));
        doc.SetModified(true);

        prompt.Answers = {loadAnyway};
        prompt.FileNames = {Path("second.dat")};
        doc.CommandFileOpen();
        QCOMPARE(prompt.Asked, asked);
        QCOMPARE(MainNames(doc), mains);
        QCOMPARE(doc.IsModified(), !loadAnyway);
        QCOMPARE(doc.FileName(), loadAnyway ? Path("second.dat") : Path("first.dat"));
    }

    void saveAsAsksForTheNameAndTheOverwriteAndTellsTheSave() {
        Settings().ConfirmOverwriteFile = true;
        Settings().DoInfoFileSaved = true;
        TScriptedPrompt prompt;
        TChannelDocument doc(prompt);
        doc.LoadChannelList(Path("first.dat"));
        doc.SetModified(true);
        QSignalSpy marks(&doc, &TChannelDocument::ModifiedChanged);

        // A name without extension becomes the .dat list, which exists: declined, no write.
        const QByteArray second = MakeChannelFile({Rec("X")});
        prompt.FileNames = {Path("second")};
        prompt.Answers = {false};
        doc.CommandFileSaveAs();
        QCOMPARE(prompt.Asked, (QStringList{u"save: Save DVBViewer channel list as"_qs,
                                            u"question: File "_qs + Path("second.dat") +
                                                u" exists! Overwrite?"_qs}));
        QFile kept(Path("second.dat"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), second);
        kept.close();
        QVERIFY(doc.IsModified());
        QCOMPARE(marks.count(), 0);

        prompt.Asked.clear();
        prompt.FileNames = {Path("second")};
        prompt.Answers = {true};
        doc.CommandFileSaveAs();
        QCOMPARE(prompt.Asked.size(), 3);
        QCOMPARE(prompt.Asked.last(), u"info: "_qs + Path("second.dat") + u"\r\nSaved."_qs);
        QCOMPARE(doc.FileName(), Path("second.dat"));
        QVERIFY(!doc.IsModified());
        QCOMPARE(marks.count(), 1);
        QCOMPARE(marks.at(0).at(0).toBool(), false);
    }

    void theMarkSignalsEachChangeOnce() {
        TScriptedPrompt prompt;
        TChannelDocument doc(prompt);
        QSignalSpy marks(&doc, &TChannelDocument::ModifiedChanged);
        QVERIFY(!doc.IsModified());
        doc.SetModified(false);
        QCOMPARE(marks.count(), 0);
        doc.SetModified(true);
        doc.SetModified(true);
        QCOMPARE(marks.count(), 1);
        QCOMPARE(marks.at(0).at(0).toBool(), true);

        // Appending marks the list (already marked: no signal), loading clears the mark.
        doc.AppendFile(Path("second.dat"), false);
        QCOMPARE(marks.count(), 1);
        doc.LoadChannelList(Path("first.dat"));
        QVERIFY(!doc.IsModified());
        QCOMPARE(marks.count(), 2);
        QCOMPARE(marks.at(1).at(0).toBool(), false);
        doc.AppendFile(Path("second.dat"), true);
        QVERIFY(doc.IsModified());
        QCOMPARE(marks.count(), 3);
        QCOMPARE(MainNames(doc), (QStringList{u"A"_qs, u"B"_qs, u"X"_qs}));
        // Nothing here asked the user anything.
        QVERIFY(prompt.Asked.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDocumentPrompt)
#include "tst_documentprompt.moc"

#include "channels/UChannel.h"
#include "channels/UChannelRec.h"
#include "channels/UChannelUtils.h"
#include "channels/UChannels.h"
#include "common/ChannelFixture.h"
#include "common/MainWindowFixture.h"
#include "main/UChannelDocument.h"
#include "main/UChannelTreeModel.h"
#include "main/UCsvExport.h"
#include "main/UMain.h"
#include "settings/USettings.h"
#include "ui/UMessages.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Names are stored in UTF-8 here, so that one list holds Cyrillic and Japanese names.
void UseUtf8Names() {
    Settings().CodepageIndex = 1;
    Settings().ForcedCodePage = 65001;
}

// A satellite channel with two further audio tracks, an IPTV radio channel and a cable
// channel, with names that need quoting, an apostrophe, or both.
QList<TChannelRec> SampleRecords() {
    const TChannelRecBuilder sat = TChannelRecBuilder()
                                       .Name(u"Sport, \"Live\""_s)
                                       .Category(u"Спорт"_s)
                                       .Root(u"Astra"_s)
                                       .TunerType(ttSatellite)
                                       .SecondGeneration()
                                       .Frequency(11494)
                                       .Symbolrate(22000)
                                       .Polarity(0)
                                       .OrbitalPos(192)
                                       .Ids(100, 1057, 1)
                                       .AudioPID(101)
                                       .VideoPID(102)
                                       .Encrypted()
                                       .Video()
                                       .Group(2)
                                       .Language("deu");
    return {
        sat,
        TChannelRecBuilder(sat).SubChannel().AudioPID(103).Language("eng"),
        TChannelRecBuilder(sat).SubChannel().AudioPID(104),
        TChannelRecBuilder()
            .Name(u"東京 FM"_s)
            .Root(u"IP"_s)
            .IPTV(239, 1, 1, 5, 1234)
            .Ids(7, 8, 9)
            .AudioPID(200)
            .OrbitalPos(0),
        TChannelRecBuilder()
            .NameBytes("Line1\r\nLine2")
            .Category(u"=cmd"_s)
            .Root(u"Kabel"_s)
            .TunerType(ttCable)
            .Polarity(3)
            .Frequency(346000)
            .Symbolrate(6900)
            .Ids(3, 2, 1)
            .AudioPID(5)
            .VideoPID(6)
            .Video()
            .Group(9)
            .Language("eng"),
    };
}

const QByteArray Bom = QByteArrayLiteral("\xEF\xBB\xBF");
const QByteArray Header =
    "No,Name,Category,Root,Tuner Type,Frequency,Symbol Rate,Polarisation/Modulation,"
    "Orbital Position,NID,TID,SID,Audio PIDs,Video PID,Encrypted,Radio/TV,Group,Language\r\n";
const QByteArray Row0 = u"0,\"Sport, \"\"Live\"\"\",Спорт,Astra,DVB-S2,11494,22000,horizontal,"
                        "19.2,1,1057,100,101 103 104,102,Yes,TV,C,deu\r\n"_s.toUtf8();
const QByteArray Row1 =
    u"1,東京 FM,,IP,IPTV,239.1.1.5,1234,,0,9,8,7,200,0,No,Radio,A,\r\n"_s.toUtf8();
const QByteArray Row2 = "2,\"Line1\r\nLine2\",'=cmd,Kabel,DVB-C,346000,6900,64QAM,0,1,2,3,5,6,No,"
                        "TV,X,eng\r\n";

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT

private:
    TMainWindowFixture F;

private Q_SLOTS:
    void fieldsAreQuotedWhereTheyMustBe_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isText");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << u"ARD"_s << true << u"ARD"_s;
        QTest::newRow("empty") << QString() << true << QString();
        QTest::newRow("blanks kept") << u" a b "_s << true << u" a b "_s;
        QTest::newRow("comma") << u"a,b"_s << true << u"\"a,b\""_s;
        QTest::newRow("quotes doubled") << u"say \"hi\""_s << true << u"\"say \"\"hi\"\"\""_s;
        QTest::newRow("line feed") << u"a\nb"_s << true << u"\"a\nb\""_s;
        QTest::newRow("carriage return") << u"a\rb"_s << true << u"\"a\rb\""_s;
        QTest::newRow("formula") << u"=1+2"_s << true << u"'=1+2"_s;
        QTest::newRow("plus") << u"+49"_s << true << u"'+49"_s;
        QTest::newRow("minus") << u"-x"_s << true << u"'-x"_s;
        QTest::newRow("at") << u"@cmd"_s << true << u"'@cmd"_s;
        QTest::newRow("tab first") << u"\tx"_s << true << u"'\tx"_s;
        QTest::newRow("formula with comma") << u"=A1,B1"_s << true << u"\"'=A1,B1\""_s;
        QTest::newRow("sign inside") << u"a=b"_s << true << u"a=b"_s;
        QTest::newRow("number left alone") << u"-5"_s << false << u"-5"_s;
    }

    void fieldsAreQuotedWhereTheyMustBe() {
        QFETCH(QString, text);
        QFETCH(bool, isText);
        QFETCH(QString, field);
        QCOMPARE(CsvExport::Field(text, isText), field);
    }

    void init() {
        QVERIFY(F.Prepare());
        UseUtf8Names();
        QVERIFY(F.Open({.Show = false}));
    }
    void cleanup() { F.Cleanup(); }

    // The bytes of a whole export: byte order mark, header, one row per main channel with the
    // audio PIDs of its tracks; only the ticked rows when asked, numbered as in the tree.
    void theTableHoldsEveryMainChannelByteForByte() {
        QVERIFY(F.Load(F.Path(), SampleRecords()));
        QCOMPARE(F.Tree().TopCount(), 3);
        QCOMPARE(CsvExport::ChannelsAsCsv(F.Tree(), false), Bom + Header + Row0 + Row1 + Row2);
        F.Tree().CheckNode(0);
        F.Tree().CheckNode(2);
        QCOMPARE(CsvExport::ChannelsAsCsv(F.Tree(), true), Bom + Header + Row0 + Row2);
    }

    void theCommandAsksWhichChannelsWhenSomeAreTicked_data() {
        QTest::addColumn<bool>("tick");
        QTest::addColumn<bool>("onlyTicked");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("nothing ticked: the whole list, no question")
            << false << false << QByteArray(Bom + Header + Row0 + Row1 + Row2);
        QTest::newRow("ticked, Yes: the ticked channels")
            << true << true << QByteArray(Bom + Header + Row1 + Row2);
        QTest::newRow("ticked, No: the whole list")
            << true << false << QByteArray(Bom + Header + Row0 + Row1 + Row2);
    }

    // Through the File menu's command with the file dialog answered: the file gets its
    // extension, the list and its file stay as they were.
    void theCommandAsksWhichChannelsWhenSomeAreTicked() {
        QFETCH(bool, tick);
        QFETCH(bool, onlyTicked);
        QFETCH(QByteArray, expected);

        QVERIFY(F.Load(F.Path(), SampleRecords()));
        const QByteArray list = ReadAll(F.Path());
        if (tick) {
            F.Tree().CheckNode(1);
            F.Tree().CheckNode(2);
            TDialogSeam::AddAnswer(onlyTicked);
        }
        const QString target = F.Path(u"table"_s);
        TDialogSeam::AddFileName(target);
        QVERIFY(F.Child<QMenu>("mnFile")->actions().contains(F.Action(u"actExport"_s)));
        QVERIFY(F.Trigger(u"actExport"_s, {.UpdateActionsFirst = true}));

        QCOMPARE(ReadAll(target + u".csv"_s), expected);
        QStringList shown = TDialogSeam::ShownTexts();
        QStringList expectedShown;
        if (tick)
            expectedShown
                << u"Export only the 2 checked channels?\r\n(No exports all 3 channels.)"_s;
        expectedShown << target + u".csv\r\nExported: %1 channels."_s.arg(onlyTicked ? 2 : 3);
        QCOMPARE(shown, expectedShown);
        QCOMPARE(TDialogSeam::UnansweredQuestions(), 0);
        QVERIFY(!F->Document().IsModified());
        QCOMPARE(ReadAll(F.Path()), list);
    }

    // A cancelled dialog writes nothing; an existing file is replaced only after Yes.
    void nothingIsWrittenUnlessTheUserAgrees() {
        QVERIFY(F.Load(F.Path(), SampleRecords()));
        const QString target = F.Path(u"table.csv"_s);

        TDialogSeam::AddFileName(QString());
        QVERIFY(F.Trigger(u"actExport"_s, {.UpdateActionsFirst = true}));
        QVERIFY(!QFile::exists(target));
        QVERIFY(TDialogSeam::ShownTexts().isEmpty());

        {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old");
        }
        Settings().ConfirmOverwriteFile = true;
        TDialogSeam::AddFileName(target);
        TDialogSeam::AddAnswer(false);
        QVERIFY(F.Trigger(u"actExport"_s, {.UpdateActionsFirst = true}));
        QCOMPARE(ReadAll(target), QByteArray("old"));
        QCOMPARE(TDialogSeam::ShownTexts(),
                 QStringList{u"File %1 exists! Overwrite?"_s.arg(target)});

        TDialogSeam::ClearShown();
        TDialogSeam::AddFileName(target);
        TDialogSeam::AddAnswer(true);
        QVERIFY(F.Trigger(u"actExport"_s, {.UpdateActionsFirst = true}));
        QCOMPARE(ReadAll(target), Bom + Header + Row0 + Row1 + Row2);
    }

    void theCommandNeedsChannels() {
        QAction* action = F.Action(u"actExport"_s);
        QVERIFY(action);
        F->UpdateActions();
        QVERIFY(!action->isEnabled());
        QVERIFY(F.Load(F.Path(), SampleRecords()));
        F->UpdateActions();
        QVERIFY(action->isEnabled());
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"

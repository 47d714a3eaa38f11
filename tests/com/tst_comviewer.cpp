// The program and the stand-in viewer in two processes, through COM and its marshaling: the
// running object table, the three calls, a viewer that ends, hangs or answers nonsense; and
// the reading of the channel table out of a variant array, in this process.

#include "com/ComStandin.h"
#include "common/ChannelFixture.h"
#include "platform/UOrvaneError.h"
#include "platform/UViewerAutomation.h"
#include "platform/UViewerCom_win.h"
#include "viewer/UViewerEnvironment.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <windows.h>

#include <memory>

namespace {

const QString ClassId = QString::fromUtf16(ViewerClassID);
// Far above the limit, for a loaded machine; only a call that never ends reaches it.
constexpr int HangMs = AutomationTimeoutMs + 8000;

struct TOutcome {
    bool Replied = false;
    QByteArray Line;
    QString Message;
    qint64 ElapsedMs = 0;
    // Ticks of a 20 ms timer while the call was under way: the event loop went on.
    int Ticks = 0;
};

TOutcome CallAndWait(const QJsonObject& request) {
    TOutcome outcome;
    TActiveObjectCall call(ClassId, request);
    QSignalSpy replied(&call, &TActiveObjectCall::Replied);
    QSignalSpy failed(&call, &TActiveObjectCall::Failed);
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&outcome] { ++outcome.Ticks; });
    ticker.start(20);
    QElapsedTimer timer;
    timer.start();
    call.Start();
    // Never from within Start.
    if (!replied.isEmpty() || !failed.isEmpty())
        outcome.Message = QStringLiteral("reported from within Start");
    if (!QTest::qWaitFor([&] { return replied.size() + failed.size() > 0; }, HangMs)) {
        outcome.Message += QStringLiteral("no outcome at all");
        return outcome;
    }
    outcome.ElapsedMs = timer.elapsed();
    ticker.stop();
    if (!replied.isEmpty()) {
        outcome.Replied = true;
        outcome.Line = replied.at(0).at(0).toByteArray();
    } else {
        outcome.Message += failed.at(0).at(0).toString();
    }
    // Exactly one outcome.
    QCoreApplication::processEvents();
    if (replied.size() + failed.size() != 1)
        outcome.Message += QStringLiteral(" (and more)");
    return outcome;
}

QList<TChannelRec> SeveralHundredChannels() {
    QList<TChannelRec> records;
    for (int i = 0; i < 450; ++i) {
        TChannelRecBuilder b;
        b.Name(QStringLiteral("Channel %1").arg(i))
            .Ids(quint16(1000 + i), quint16(200 + i % 7), quint16(1 + i % 3))
            .TunerType(quint8(i % 3));
        if (i % 50 == 0)
            b.IPTV(10, 0, quint8(i / 256), quint8(i % 256), quint32(5000 + i))
                .Encrypted(i % 100 == 0);
        records << b.Build();
        // Every tenth channel has a further audio track, which takes no number.
        if (i % 10 == 9)
            records << TChannelRecBuilder(b).SubChannel().Build();
    }
    return records;
}

bool InterfaceRegistered() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT,
                      L"Interface\\{CA8A3ACB-6635-4399-8967-C9BA40F719EA}\\TypeLib", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Building a SAFEARRAY for the in-process cases.
struct TArray {
    SAFEARRAY* Array = nullptr;
    VARTYPE Type = VT_VARIANT;
    ~TArray() {
        if (Array)
            SafeArrayDestroy(Array);
    }
};

} // namespace

class TestComViewer : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FTemp;
    QString FFolder;
    QList<TChannelRec> FRecords;

private Q_SLOTS:
    void init() {
        FTemp = std::make_unique<QTemporaryDir>();
        QVERIFY(FTemp->isValid());
        FFolder = FTemp->path() + QStringLiteral("/viewer");
        FRecords = SeveralHundredChannels();
        QVERIFY(WriteChannelFile(FFolder + QStringLiteral("/channels.dat"), FRecords));
    }

    void theStandinIsFoundReadAndTuned() {
        QVERIFY(!IsViewerRunning());
        TComStandin standin;
        QVERIFY(standin.Start(FFolder));
        QVERIFY(RunningObjectDisplayNames().contains(u'!' + ClassId));
        QVERIFY(IsViewerRunning());
        QVERIFY(InterfaceRegistered());

        // The data folder, as the viewer reports it: a Windows path ending with a backslash.
        QCOMPARE(GetViewerDataFolder(), QDir::toNativeSeparators(FFolder) + u'\\');

        const TOutcome table = CallAndWait(GetChannelsRequest());
        QVERIFY2(table.Replied, qPrintable(table.Message));
        const TViewerChannelTable rows = ParseGetChannelsReply(table.Line);
        QCOMPARE(rows.Rows.size(), size_t(FRecords.size()));
        for (qsizetype i = 0; i < FRecords.size(); ++i) {
            const TChannelRec& rec = FRecords[i];
            const TViewerTableRow& row = rows.Rows[size_t(i)];
            QCOMPARE(row[3], qint64(rec.TunerData.Flags));
            QCOMPARE(row[4], qint64(rec.TunerData.TunerType));
            QCOMPARE(row[5], qint64(rec.TunerData.Frequency));
            QCOMPARE(row[6], qint64(rec.TunerData.Symbolrate));
            QCOMPARE(row[23], qint64(rec.TunerData.TransportStream_ID));
            QCOMPARE(row[25], qint64(rec.TunerData.OriginalNetwork_ID));
            QCOMPARE(row[26], qint64(rec.TunerData.Service_ID));
        }

        // Channel 20 of the viewer is record 22: two audio tracks came before it.
        const TOutcome tune = CallAndWait(SetCurrentChannelNrRequest(20));
        QVERIFY2(tune.Replied, qPrintable(tune.Message));
        ParseSetCurrentChannelNrReply(tune.Line, 20);
        QCOMPARE(standin.WaitForLine(QStringLiteral("Tuned")),
                 QStringLiteral("Tuned 20 Channel 20"));

        // A number the viewer does not have: its refusal, in the system's words.
        const TOutcome refused = CallAndWait(SetCurrentChannelNrRequest(100000));
        QVERIFY(!refused.Replied);
        QVERIFY2(refused.Message.startsWith(
                     QStringLiteral("DVBViewer automation (SetCurrentChannelNr): setting "
                                    "CurrentChannelNr failed: ")),
                 qPrintable(refused.Message));
        QVERIFY2(refused.Message.contains(QStringLiteral("0x80070057")),
                 qPrintable(refused.Message));

        // Ending cleanly takes back everything it registered.
        QVERIFY(standin.End());
        QVERIFY(!IsViewerRunning());
        QVERIFY(!InterfaceRegistered());
        QVERIFY_THROWS_EXCEPTION(EAutomationError, ConnectToViewer());
    }

    void aKilledStandinGivesAClearErrorWithinTheLimit() {
        TComStandin standin;
        QVERIFY(standin.Start(FFolder));
        // Taken while the viewer runs, used after it has gone.
        const TAutomationClient client = ConnectToViewer();
        QCOMPARE(client.DataFolder(), QDir::toNativeSeparators(FFolder) + u'\\');
        QVERIFY(standin.Kill());

        QElapsedTimer timer;
        timer.start();
        try {
            (void)client.GetChannels();
            QFAIL("the call to a viewer that has gone succeeded");
        } catch (const EAutomationError& e) {
            QVERIFY2(e.Message().startsWith(u"DVBViewer automation (GetChannels): "),
                     qPrintable(e.Message()));
        }
        QVERIFY2(timer.elapsed() < HangMs, qPrintable(QString::number(timer.elapsed())));

        const TOutcome later = CallAndWait(SetCurrentChannelNrRequest(1));
        QVERIFY(!later.Replied);
        QVERIFY2(later.Message.startsWith(u"DVBViewer automation (SetCurrentChannelNr): "),
                 qPrintable(later.Message));
        QVERIFY(!later.Message.contains(u"(and more)"));
        QTRY_VERIFY_WITH_TIMEOUT(!IsViewerRunning(), 10000);
    }

    void aHungStandinTimesOutWhileTheLoopRuns() {
        TComStandin standin;
        QVERIFY(standin.Start(FFolder, {QStringLiteral("--hang")}));
        QCOMPARE(TActiveObjectCall::AbandonedCallsWaiting(), 0);

        const TOutcome outcome = CallAndWait(GetChannelsRequest());
        QVERIFY(!outcome.Replied);
        QCOMPARE(outcome.Message, QStringLiteral("DVBViewer automation (GetChannels): DVBViewer "
                                                 "did not reply within 2 seconds."));
        QVERIFY2(outcome.ElapsedMs >= AutomationTimeoutMs - 100,
                 qPrintable(QString::number(outcome.ElapsedMs)));
        // The event loop went on the whole time: a 20 ms timer ticked all along.
        QVERIFY2(outcome.Ticks >= AutomationTimeoutMs / 20 / 4,
                 qPrintable(QString::number(outcome.Ticks)));
        QVERIFY(!standin.WaitForLine(QStringLiteral("Hanging")).isEmpty());

        // The blocking client gives up at the limit too.
        try {
            (void)ConnectToViewer().DataFolder();
            QFAIL("the hung viewer answered");
        } catch (const EAutomationError& e) {
            QCOMPARE(e.Message(), QStringLiteral("DVBViewer automation (DataFolder): DVBViewer "
                                                 "did not reply within 2 seconds."));
        }

        // Both calls still wait in the viewer. While they do, no further call is started:
        // it fails at once instead of leaving one more thread waiting.
        QCOMPARE(TActiveObjectCall::AbandonedCallsWaiting(), 2);
        const TOutcome refused = CallAndWait(SetCurrentChannelNrRequest(1));
        QCOMPARE(refused.Message,
                 QStringLiteral("DVBViewer automation (SetCurrentChannelNr): DVBViewer has not "
                                "finished earlier calls that it did not answer in time."));
        QVERIFY2(refused.ElapsedMs < AutomationTimeoutMs,
                 qPrintable(QString::number(refused.ElapsedMs)));
        QCOMPARE(TActiveObjectCall::AbandonedCallsWaiting(), 2);

        // When the viewer goes, they end, and nothing of theirs is reported.
        QVERIFY(standin.Kill());
        QTRY_COMPARE_WITH_TIMEOUT(TActiveObjectCall::AbandonedCallsWaiting(), 0, HangMs);
    }

    void aWrongArrayShapeIsAnError() {
        TComStandin standin;
        QVERIFY(standin.Start(FFolder, {QStringLiteral("--wrong-shape")}));
        const TOutcome outcome = CallAndWait(GetChannelsRequest());
        QVERIFY(!outcome.Replied);
        QCOMPARE(outcome.Message, QStringLiteral("DVBViewer automation (GetChannels): the channel "
                                                 "table has 1 dimensions, not 2."));
        // The viewer is still there, and still answers.
        QCOMPARE(GetViewerDataFolder(), QDir::toNativeSeparators(FFolder) + u'\\');
    }

    // The data folder method is known by its place only: it is called only when the
    // object's own description of that place is what the program expects.
    void aMethodOfAnotherKindIsNeverCalled() {
        TComStandin standin;
        QVERIFY(standin.Start(FFolder, {QStringLiteral("--other-osd")}));
        try {
            (void)GetViewerDataFolder();
            QFAIL("the data folder was read through a method of another kind");
        } catch (const EAutomationError& e) {
            QCOMPARE(e.Message(), QStringLiteral("DVBViewer automation (DataFolder): method "
                                                 "number 16 of OSD is not the one this program "
                                                 "knows."));
        }
        // The rest of the viewer is still used as before.
        const TOutcome tune = CallAndWait(SetCurrentChannelNrRequest(3));
        QVERIFY2(tune.Replied, qPrintable(tune.Message));
        QVERIFY(standin.End());
    }

    void variantArraysAreReadDefensively_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("error");
        QTest::newRow("variants from 0") << 0 << QString();
        QTest::newRow("variants from 1") << 1 << QString();
        QTest::newRow("by reference") << 2 << QString();
        QTest::newRow("numbers as text") << 3 << QString();
        QTest::newRow("32-bit integers") << 4 << QString();
        QTest::newRow("text in a read column")
            << 5 << QStringLiteral("column 26 of row 1 is not a number");
        QTest::newRow("object in a read column")
            << 6 << QStringLiteral("column 4 of row 0 is not a number");
        QTest::newRow("not an array") << 7 << QStringLiteral("not an array");
        QTest::newRow("no array at all") << 8 << QStringLiteral("missing");
        QTest::newRow("three dimensions") << 9 << QStringLiteral("3 dimensions, not 2");
        QTest::newRow("count beyond the rows")
            << 10 << QStringLiteral("announces 4 channels but sends 3");
        QTest::newRow("interfaces as cells") << 11 << QStringLiteral("not numbers");
    }

    void variantArraysAreReadDefensively() {
        QFETCH(int, kind);
        QFETCH(QString, error);
        const LONG rows = 3;
        TArray array;
        TVariant value;
        qint64 count = rows;
        const LONG low = kind == 1 ? 1 : 0;
        const VARTYPE type = kind == 4 ? VT_I4 : kind == 11 ? VT_UNKNOWN : VT_VARIANT;
        if (kind == 9) {
            SAFEARRAYBOUND bounds[3] = {{ULONG(rows), 0}, {27, 0}, {2, 0}};
            array.Array = SafeArrayCreate(VT_VARIANT, 3, bounds);
        } else if (kind != 7 && kind != 8) {
            SAFEARRAYBOUND bounds[2] = {{ULONG(rows), low}, {27, low}};
            array.Array = SafeArrayCreate(type, 2, bounds);
            QVERIFY(array.Array);
            for (LONG r = 0; r < rows && type != VT_UNKNOWN; ++r) {
                for (LONG c = 0; c < 27; ++c) {
                    LONG at[2] = {low + r, low + c};
                    const LONG number = r * 100 + c;
                    if (type == VT_I4) {
                        QCOMPARE(SafeArrayPutElement(array.Array, at, const_cast<LONG*>(&number)),
                                 S_OK);
                        continue;
                    }
                    TVariant cell;
                    if (kind == 3 || (kind == 5 && r == 1 && c == 26)) {
                        cell.Value.vt = VT_BSTR;
                        cell.Value.bstrVal = SysAllocString(
                            (kind == 5 ? QStringLiteral("SID") : QString::number(number))
                                .toStdWString()
                                .c_str());
                    } else if (kind == 6 && r == 0 && c == 4) {
                        cell.Value.vt = VT_DISPATCH;
                        cell.Value.pdispVal = nullptr;
                    } else {
                        cell.Value.vt = VT_I4;
                        cell.Value.lVal = number;
                    }
                    QCOMPARE(SafeArrayPutElement(array.Array, at, &cell.Value), S_OK);
                }
            }
        }
        if (kind == 10)
            count = rows + 1;
        VARIANT inner;
        VariantInit(&inner);
        if (kind == 7) {
            value.Value.vt = VT_I4;
            value.Value.lVal = 3;
        } else if (kind == 8) {
            value.Value.vt = VT_ARRAY | VT_VARIANT;
            value.Value.parray = nullptr;
        } else if (kind == 2) {
            // A variant that refers to the variant holding the array; the array stays ours.
            inner.vt = VT_ARRAY | VT_VARIANT;
            inner.parray = array.Array;
            value.Value.vt = VT_BYREF | VT_VARIANT;
            value.Value.pvarVal = &inner;
        } else {
            value.Value.vt = VARTYPE(VT_ARRAY | type);
            value.Value.parray = std::exchange(array.Array, nullptr);
        }

        if (!error.isEmpty()) {
            try {
                (void)ReadVariantTable(value.Value, count);
                QFAIL("no error was raised");
            } catch (const EAutomationError& e) {
                QVERIFY2(e.Message().contains(error), qPrintable(e.Message()));
            }
            if (kind == 8)
                value.Value.vt = VT_EMPTY;
            return;
        }
        const TViewerChannelTable table = ReadVariantTable(value.Value, count);
        QCOMPARE(table.Rows.size(), size_t(rows));
        for (LONG r = 0; r < rows; ++r) {
            QCOMPARE(table.Rows[size_t(r)][3], qint64(r * 100 + 3));
            QCOMPARE(table.Rows[size_t(r)][26], qint64(r * 100 + 26));
            QCOMPARE(table.Rows[size_t(r)][1], qint64(0)); // not read
        }
    }
};

QTEST_GUILESS_MAIN(TestComViewer)
#include "tst_comviewer.moc"

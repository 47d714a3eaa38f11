// The reading of the viewer's channel table as an array of cells: whatever shape the answer
// has, the reader gives the rows it promised or an error, and never reads outside the array.

#include "platform/UOrvaneError.h"
#include "platform/UViewerTableReader.h"

#include <QTest>
#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace {

// An array of cells with the given bounds; every read is checked against them and counted.
struct TFakeArray {
    TTableArrayShape Shape;
    std::map<std::pair<qint64, qint64>, std::optional<qint64>> Overrides;
    mutable std::set<std::pair<qint64, qint64>> Outside;
    mutable int Reads = 0;

    // A cell's value tells where it is: row * 100 + column, counted from the lower bounds.
    std::optional<qint64> Cell(qint64 row, qint64 column) const {
        ++Reads;
        if (row < Shape.RowLow || row > Shape.RowHigh || column < Shape.ColumnLow ||
            column > Shape.ColumnHigh) {
            Outside.insert({row, column});
            return 0;
        }
        const auto found = Overrides.find({row, column});
        if (found != Overrides.end())
            return found->second;
        return (row - Shape.RowLow) * 100 + (column - Shape.ColumnLow);
    }
};

TTableArrayShape Shape(int dimensions, qint64 rowLow, qint64 rows, qint64 columnLow,
                       qint64 columns) {
    return TTableArrayShape{dimensions, rowLow, rowLow + rows - 1, columnLow,
                            columnLow + columns - 1};
}

} // namespace

class TestViewerTable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsTheRowsItWasPromised_data() {
        QTest::addColumn<int>("dimensions");
        QTest::addColumn<qint64>("rowLow");
        QTest::addColumn<qint64>("rows");
        QTest::addColumn<qint64>("columnLow");
        QTest::addColumn<qint64>("columns");
        QTest::addColumn<qint64>("count");
        // Empty: the table is read; otherwise a part of the error message.
        QTest::addColumn<QString>("error");

        QTest::newRow("rows from 0")
            << 2 << qint64(0) << qint64(300) << qint64(0) << qint64(27) << qint64(300) << QString();
        QTest::newRow("more columns than read")
            << 2 << qint64(0) << qint64(3) << qint64(0) << qint64(40) << qint64(3) << QString();
        QTest::newRow("bounds from 1")
            << 2 << qint64(1) << qint64(4) << qint64(1) << qint64(27) << qint64(4) << QString();
        QTest::newRow("negative bounds")
            << 2 << qint64(-5) << qint64(2) << qint64(-3) << qint64(27) << qint64(2) << QString();
        QTest::newRow("fewer rows asked than sent")
            << 2 << qint64(0) << qint64(5) << qint64(0) << qint64(27) << qint64(2) << QString();
        QTest::newRow("empty list")
            << 2 << qint64(0) << qint64(0) << qint64(0) << qint64(0) << qint64(0) << QString();
        QTest::newRow("one dimension") << 1 << qint64(0) << qint64(3) << qint64(0) << qint64(27)
                                       << qint64(3) << QStringLiteral("1 dimensions, not 2");
        QTest::newRow("three dimensions") << 3 << qint64(0) << qint64(3) << qint64(0) << qint64(27)
                                          << qint64(3) << QStringLiteral("3 dimensions, not 2");
        QTest::newRow("no array") << 0 << qint64(0) << qint64(0) << qint64(0) << qint64(0)
                                  << qint64(0) << QStringLiteral("0 dimensions, not 2");
        QTest::newRow("too few columns")
            << 2 << qint64(0) << qint64(3) << qint64(0) << qint64(26) << qint64(3)
            << QStringLiteral("26 columns, fewer than 27");
        QTest::newRow("count beyond the rows")
            << 2 << qint64(0) << qint64(3) << qint64(0) << qint64(27) << qint64(4)
            << QStringLiteral("announces 4 channels but sends 3");
        QTest::newRow("negative count") << 2 << qint64(0) << qint64(3) << qint64(0) << qint64(27)
                                        << qint64(-1) << QStringLiteral("announces -1 channels");
        QTest::newRow("absurd bounds")
            << 2 << qint64(0) << (qint64(1) << 50) << qint64(0) << qint64(27) << qint64(1)
            << QStringLiteral("bounds of the channel table");
    }

    void readsTheRowsItWasPromised() {
        QFETCH(int, dimensions);
        QFETCH(qint64, rowLow);
        QFETCH(qint64, rows);
        QFETCH(qint64, columnLow);
        QFETCH(qint64, columns);
        QFETCH(qint64, count);
        QFETCH(QString, error);
        TFakeArray array{Shape(dimensions, rowLow, rows, columnLow, columns), {}, {}, 0};
        const auto cell = [&array](qint64 r, qint64 c) { return array.Cell(r, c); };
        if (!error.isEmpty()) {
            try {
                (void)ReadViewerTable(array.Shape, count, cell);
                QFAIL("no error was raised");
            } catch (const EAutomationError& e) {
                QVERIFY2(e.Message().contains(error), qPrintable(e.Message()));
                QVERIFY2(e.Message().startsWith(u"DVBViewer automation (GetChannels)"),
                         qPrintable(e.Message()));
            }
            QCOMPARE(array.Reads, 0);
            return;
        }
        const TViewerChannelTable table = ReadViewerTable(array.Shape, count, cell);
        QVERIFY(array.Outside.empty());
        QCOMPARE(qint64(table.Rows.size()), count);
        for (qint64 r = 0; r < count; ++r) {
            const TViewerTableRow& row = table.Rows[size_t(r)];
            for (int c = 0; c < ViewerTableColumns; ++c) {
                const bool read =
                    std::find(std::begin(ViewerTableReadColumns), std::end(ViewerTableReadColumns),
                              c) != std::end(ViewerTableReadColumns);
                QCOMPARE(row[size_t(c)], read ? r * 100 + c : 0);
            }
        }
        // Only the columns the program uses are asked for.
        QCOMPARE(array.Reads, int(count) * int(std::size(ViewerTableReadColumns)));
    }

    void aCellThatIsNoNumberIsAnError_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("fails");
        QTest::newRow("flags") << 3 << true;
        QTest::newRow("tuner type") << 4 << true;
        QTest::newRow("service ID") << 26 << true;
        // The name and the columns the program does not read may hold anything.
        QTest::newRow("name") << 1 << false;
        QTest::newRow("unread") << 24 << false;
    }

    void aCellThatIsNoNumberIsAnError() {
        QFETCH(int, column);
        QFETCH(bool, fails);
        TFakeArray array{Shape(2, 0, 3, 0, 27), {{{2, column}, std::nullopt}}, {}, 0};
        const auto cell = [&array](qint64 r, qint64 c) { return array.Cell(r, c); };
        if (fails) {
            try {
                (void)ReadViewerTable(array.Shape, 3, cell);
                QFAIL("no error was raised");
            } catch (const EAutomationError& e) {
                QVERIFY2(e.Message().contains(
                             QStringLiteral("column %1 of row 2 is not a number").arg(column)),
                         qPrintable(e.Message()));
            }
        } else {
            QCOMPARE(ReadViewerTable(array.Shape, 3, cell).Rows.size(), size_t(3));
        }
    }
};

QTEST_GUILESS_MAIN(TestViewerTable)
#include "tst_viewertable.moc"

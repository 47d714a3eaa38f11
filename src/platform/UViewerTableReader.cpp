#include "platform/UViewerTableReader.h"

#include "platform/UOrvaneError.h"

namespace {

[[noreturn]] void Fail(const QString& why) {
    throw EAutomationError(AutomationFailureText(QStringLiteral("GetChannels"), why));
}

} // namespace

TViewerChannelTable ReadViewerTable(const TTableArrayShape& shape, qint64 count,
                                    const TTableCellReader& cell) {
    if (shape.Dimensions != 2)
        Fail(QStringLiteral("the channel table has %1 dimensions, not 2.").arg(shape.Dimensions));
    // Bounds of a real array never come near these; the limits keep the sums below exact.
    constexpr qint64 Limit = qint64(1) << 40;
    const auto sane = [](qint64 v) { return v > -Limit && v < Limit; };
    if (!sane(shape.RowLow) || !sane(shape.RowHigh) || !sane(shape.ColumnLow) ||
        !sane(shape.ColumnHigh))
        Fail(QStringLiteral("the bounds of the channel table cannot be right."));
    const qint64 rows = std::max<qint64>(0, shape.RowHigh - shape.RowLow + 1);
    const qint64 columns = std::max<qint64>(0, shape.ColumnHigh - shape.ColumnLow + 1);
    if (count < 0 || count > rows)
        Fail(QStringLiteral("DVBViewer announces %1 channels but sends %2.").arg(count).arg(rows));
    if (count > 0 && columns < ViewerTableColumns)
        Fail(QStringLiteral("the channel table has %1 columns, fewer than %2.")
                 .arg(columns)
                 .arg(ViewerTableColumns));

    TViewerChannelTable table;
    table.Rows.reserve(static_cast<size_t>(count));
    for (qint64 r = 0; r < count; ++r) {
        TViewerTableRow row{};
        for (const int c : ViewerTableReadColumns) {
            const std::optional<qint64> value = cell(shape.RowLow + r, shape.ColumnLow + c);
            if (!value)
                Fail(QStringLiteral("column %1 of row %2 is not a number.").arg(c).arg(r));
            row[static_cast<size_t>(c)] = *value;
        }
        table.Rows.push_back(row);
    }
    return table;
}

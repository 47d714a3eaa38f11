#pragma once

#include "platform/UAutomationClient.h"

#include <QtGlobal>
#include <functional>
#include <optional>

// The viewer hands its channel table over as a two-dimensional array of variants together with
// a row count. Nothing about that answer is taken on trust: the array may have another number
// of dimensions, bounds that do not start at 0, too few columns, cells that are no numbers, or
// a count that promises more rows than it holds. Whatever carries the array describes it here,
// and the reader either gives the table or raises EAutomationError; it never reads outside
// the bounds it was given.
struct TTableArrayShape {
    int Dimensions = 0;
    // Inclusive bounds of the first (row) and second (column) index; an empty dimension has
    // High = Low - 1.
    qint64 RowLow = 0;
    qint64 RowHigh = -1;
    qint64 ColumnLow = 0;
    qint64 ColumnHigh = -1;
};

// The value of the cell at these array indexes, converted to an integer; nothing when the cell
// holds something that is not a number.
using TTableCellReader = std::function<std::optional<qint64>(qint64 row, qint64 column)>;

// The columns the program reads; the others are left 0.
inline constexpr int ViewerTableReadColumns[] = {3, 4, 5, 6, 23, 25, 26};

// Rows 0 to count - 1 of the table, counted from the array's lower bounds. Raises
// EAutomationError (for the call named "GetChannels") when the answer does not hold them.
TViewerChannelTable ReadViewerTable(const TTableArrayShape& shape, qint64 count,
                                    const TTableCellReader& cell);

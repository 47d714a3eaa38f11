#pragma once

#include <QByteArray>
#include <QString>

class TChannelTreeModel;

// The channel list as a table for spreadsheet programs: comma-separated values after
// RFC 4180 (CR LF line ends, fields quoted where they hold a comma, a quote or a line
// break, quotes doubled), in UTF-8 with a byte order mark, which spreadsheet programs take as
// the sign of UTF-8. One header row, then one row per main channel in tree order; its audio
// tracks add their PIDs to its row.
namespace CsvExport {

// Every row, or only those of ticked main channels.
QByteArray ChannelsAsCsv(const TChannelTreeModel& tree, bool checkedOnly);

// One field as it stands in a row: quoted when it must be. A text that a spreadsheet would
// take for a formula (it starts with =, +, -, @, a tab or a carriage return) gets an
// apostrophe in front, so that opening a list never runs what a broadcaster put in a name.
QString Field(const QString& text, bool isText);

} // namespace CsvExport

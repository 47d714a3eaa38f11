#pragma once

// What the stand-in viewer serves: the channel table of a channels.dat, numbered the way the
// viewer numbers its channels.

#include <QString>
#include <QtGlobal>
#include <array>
#include <vector>

inline constexpr int StandinTableColumns = 27;

struct TViewerChannel {
    std::array<qint64, StandinTableColumns> Columns{};
    QString Name;
};

// One row per record in file order; an incomplete last record is left out. Empty when the
// file cannot be read.
std::vector<TViewerChannel> ReadChannelFile(const QString& fileName);

// The record of each channel number: an entry that repeats the identity of the last entry of
// its kind (TV or IPTV) is another audio track of it and takes no number.
std::vector<int> NumberChannels(const std::vector<TViewerChannel>& channels);

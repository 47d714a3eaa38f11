#include "StandinChannels.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>

namespace {

constexpr qsizetype HeaderSize = 7;
constexpr qsizetype RecordSize = 132;

quint16 U16(const char* p) {
    return static_cast<quint16>(static_cast<quint8>(p[0]) | (static_cast<quint8>(p[1]) << 8));
}

quint32 U32(const char* p) {
    return static_cast<quint32>(U16(p)) | (static_cast<quint32>(U16(p + 2)) << 16);
}

// The bytes of one 26-byte name field, never reaching outside it whatever its length says.
QByteArray FieldText(const char* field) {
    const int length = std::min<int>(static_cast<quint8>(field[0]), 25);
    return QByteArray(field + 1, length);
}

// The tail of a long channel name kept behind the text of a root or category field.
QByteArray FieldTail(const char* field) {
    const int length = static_cast<quint8>(field[0]);
    if (length > 23)
        return QByteArray();
    const int count = std::min<int>(static_cast<quint8>(field[1 + length]), 24 - length);
    return QByteArray(field + 2 + length, count);
}

} // namespace

std::vector<TViewerChannel> ReadChannelFile(const QString& fileName) {
    std::vector<TViewerChannel> channels;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return channels;
    const QByteArray bytes = file.readAll();
    // An incomplete last record is left out, as the viewer would not list it either.
    for (qsizetype at = HeaderSize; at + RecordSize <= bytes.size(); at += RecordSize) {
        const char* r = bytes.constData() + at;
        TViewerChannel c;
        c.Columns[3] = static_cast<quint8>(r[3]);
        c.Columns[4] = static_cast<quint8>(r[0]);
        c.Columns[5] = U32(r + 4);
        c.Columns[6] = U32(r + 8);
        c.Columns[23] = U16(r + 42);
        c.Columns[25] = U16(r + 46);
        c.Columns[26] = U16(r + 48);
        c.Name = QString::fromLatin1(FieldText(r + 78) + FieldTail(r + 52) + FieldTail(r + 104));
        channels.push_back(std::move(c));
    }
    return channels;
}

// The viewer counts its channels from 0; an entry that repeats the identity of the last
// entry of its kind (TV or IPTV) is another audio track of it and takes no number.
std::vector<int> NumberChannels(const std::vector<TViewerChannel>& channels) {
    std::vector<int> recordOfNumber;
    bool haveTV = false, haveIPTV = false;
    qint64 lastTV = 0;
    std::array<qint64, 4> lastIPTV{};
    for (size_t i = 0; i < channels.size(); ++i) {
        const auto& col = channels[i].Columns;
        const qint64 id = (col[26] & 0xFFFF) | ((col[23] & 0xFFFF) << 16) |
                          ((col[25] & 0xFFFF) << 32) | (((col[4] + 1) & 0xFF) << 48);
        if (((id >> 48) & 0xFF) == 5) {
            const std::array<qint64, 4> key{id, col[5] & 0xFFFFFFFF, col[6] & 0xFFFFFFFF,
                                            col[3] & 1};
            if (haveIPTV && key == lastIPTV)
                continue;
            haveIPTV = true;
            lastIPTV = key;
        } else {
            if (haveTV && id == lastTV)
                continue;
            haveTV = true;
            lastTV = id;
        }
        recordOfNumber.push_back(static_cast<int>(i));
    }
    return recordOfNumber;
}

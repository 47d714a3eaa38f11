#pragma once

// Builders for channel records and whole channel files, field by field, so that tests of
// every area make their own small inputs instead of carrying binary files.

#include "channels/UChannel.h"
#include "channels/UChannelRec.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <initializer_list>
#include <memory>

class TChannelRecBuilder {
public:
    TChannelRecBuilder();

    // Names as bytes, packed by the file's rules: the first 25 name bytes in ChannelName,
    // the rest in the root's tail and then the category's tail. The builder packs on its
    // own, so that tests of the channel's packing have an independent reference.
    TChannelRecBuilder& RootBytes(const QByteArray& bytes);
    TChannelRecBuilder& CategoryBytes(const QByteArray& bytes);
    TChannelRecBuilder& NameBytes(const QByteArray& bytes);
    // Names as text, encoded in the name code page in force.
    TChannelRecBuilder& Root(const QString& text);
    TChannelRecBuilder& Category(const QString& text);
    TChannelRecBuilder& Name(const QString& text);

    TChannelRecBuilder& TunerType(quint8 value);
    TChannelRecBuilder& Group(quint8 value);
    TChannelRecBuilder& Flags(quint8 value);
    TChannelRecBuilder& SubChannel(bool value = true);
    TChannelRecBuilder& Video(bool value = true);
    TChannelRecBuilder& Encrypted(bool value = true);
    TChannelRecBuilder& RDS(bool value = true);
    TChannelRecBuilder& AutoUpdate(bool value);
    TChannelRecBuilder& SecondGeneration(bool value = true);
    TChannelRecBuilder& SatModulation(quint8 value);
    TChannelRecBuilder& AudioFormat(quint8 value);
    TChannelRecBuilder& VideoFormat(quint8 value);
    TChannelRecBuilder& Speakers(quint8 value);
    TChannelRecBuilder& Language(const QByteArray& code);
    TChannelRecBuilder& EPGFlags(quint8 value);
    TChannelRecBuilder& SID(quint16 value);
    TChannelRecBuilder& TID(quint16 value);
    TChannelRecBuilder& NID(quint16 value);
    TChannelRecBuilder& Ids(quint16 sid, quint16 tid, quint16 nid);
    TChannelRecBuilder& Frequency(quint32 value);
    TChannelRecBuilder& Symbolrate(quint32 value);
    TChannelRecBuilder& OrbitalPos(quint16 value);
    TChannelRecBuilder& Polarity(quint8 value);
    TChannelRecBuilder& FEC(quint8 value);
    TChannelRecBuilder& AudioPID(quint16 value);
    TChannelRecBuilder& VideoPID(quint16 value);
    // An IPTV channel at a.b.c.d:port.
    TChannelRecBuilder& IPTV(quint8 a, quint8 b, quint8 c, quint8 d, quint32 port);
    // Any byte of the record, for fields without a setter or damaged records.
    TChannelRecBuilder& Byte(int offset, quint8 value);

    TChannelRec Build() const;
    QByteArray Bytes() const;
    std::unique_ptr<TChannel> Channel() const;
    operator TChannelRec() const { return Build(); }

private:
    void PackNames();

    TChannelRec FRec{};
    QByteArray FRoot;
    QByteArray FCategory;
    QByteArray FName;
};

// The 7 header bytes; id is written as its first 4 bytes, zero-padded.
QByteArray MakeChannelHeader(const QByteArray& id = QByteArrayLiteral("B2C2"), quint8 versionHi = 1,
                             quint8 versionLo = 0);
// Header followed by the records.
QByteArray MakeChannelFile(const QList<TChannelRec>& records,
                           const QByteArray& header = MakeChannelHeader());
// Writes MakeChannelFile to a file (creating its folder); false when writing failed.
bool WriteChannelFile(const QString& fileName, const QList<TChannelRec>& records,
                      const QByteArray& header = MakeChannelHeader());

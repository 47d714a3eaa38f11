#include "common/ChannelFixture.h"

#include "channels/UChannelUtils.h"
#include "common/TestSupport.h"

#include <algorithm>
#include <cstring>

TChannelRecBuilder::TChannelRecBuilder() = default;

void TChannelRecBuilder::PackNames() {
    std::memset(&FRec.Root, 0, sizeof FRec.Root);
    std::memset(&FRec.Category, 0, sizeof FRec.Category);
    std::memset(&FRec.ChannelName, 0, sizeof FRec.ChannelName);
    const auto put = [](ShortString25& field, const QByteArray& text) {
        const int len = std::min<int>(int(text.size()), 25);
        field.Len = quint8(len);
        std::memcpy(field.Chars, text.constData(), size_t(len));
    };
    put(FRec.Root, FRoot);
    put(FRec.Category, FCategory);
    put(FRec.ChannelName, FName);
    QByteArray rest = FName.mid(25);
    for (ShortString25* field : {&FRec.Root, &FRec.Category}) {
        const int len = field->Len;
        if (rest.isEmpty() || len > 23)
            continue;
        const int d = std::min<int>(24 - len, int(rest.size()));
        field->Chars[len] = quint8(d);
        std::memcpy(field->Chars + len + 1, rest.constData(), size_t(d));
        rest = rest.mid(d);
    }
}

TChannelRecBuilder& TChannelRecBuilder::RootBytes(const QByteArray& bytes) {
    FRoot = bytes;
    PackNames();
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::CategoryBytes(const QByteArray& bytes) {
    FCategory = bytes;
    PackNames();
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::NameBytes(const QByteArray& bytes) {
    FName = bytes;
    PackNames();
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::Root(const QString& text) {
    return RootBytes(EncodeName(text));
}

TChannelRecBuilder& TChannelRecBuilder::Category(const QString& text) {
    return CategoryBytes(EncodeName(text));
}

TChannelRecBuilder& TChannelRecBuilder::Name(const QString& text) {
    return NameBytes(EncodeName(text));
}

TChannelRecBuilder& TChannelRecBuilder::TunerType(quint8 value) {
    FRec.TunerData.TunerType = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::Group(quint8 value) {
    FRec.TunerData.ChannelGroup = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::Flags(quint8 value) {
    FRec.TunerData.Flags = value;
    return *this;
}

static void SetBit(quint8& byte, quint8 mask, bool value) {
    byte = value ? quint8(byte | mask) : quint8(byte & ~mask);
}

TChannelRecBuilder& TChannelRecBuilder::SubChannel(bool value) {
    SetBit(FRec.TunerData.Flags, flSubChannel, value);
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::Video(bool value) {
    SetBit(FRec.TunerData.Flags, flVideo, value);
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::Encrypted(bool value) {
    SetBit(FRec.TunerData.Flags, flEncrypted, value);
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::RDS(bool value) {
    SetBit(FRec.TunerData.Flags, flRDS, value);
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::AutoUpdate(bool value) {
    SetBit(FRec.TunerData.Flags, flNoAutoUpdate, !value);
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::SecondGeneration(bool value) {
    SetBit(FRec.TunerData.SatModulation, smSecondGeneration, value);
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::SatModulation(quint8 value) {
    FRec.TunerData.SatModulation = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::AudioFormat(quint8 value) {
    FRec.TunerData.AVFormat = quint8((FRec.TunerData.AVFormat & 0xF0) | (value & 0x0F));
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::VideoFormat(quint8 value) {
    FRec.TunerData.AVFormat = quint8((FRec.TunerData.AVFormat & 0x0F) | (value << 4));
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::Speakers(quint8 value) {
    FRec.TunerData.AudioChannel = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::Language(const QByteArray& code) {
    std::memset(FRec.TunerData.Language, 0, 3);
    std::memcpy(FRec.TunerData.Language, code.constData(),
                size_t(std::min<qsizetype>(code.size(), 3)));
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::EPGFlags(quint8 value) {
    FRec.TunerData.EPGFlags = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::SID(quint16 value) {
    FRec.TunerData.Service_ID = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::TID(quint16 value) {
    FRec.TunerData.TransportStream_ID = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::NID(quint16 value) {
    FRec.TunerData.OriginalNetwork_ID = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::Ids(quint16 sid, quint16 tid, quint16 nid) {
    return SID(sid).TID(tid).NID(nid);
}

TChannelRecBuilder& TChannelRecBuilder::Frequency(quint32 value) {
    FRec.TunerData.Frequency = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::Symbolrate(quint32 value) {
    FRec.TunerData.Symbolrate = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::OrbitalPos(quint16 value) {
    FRec.TunerData.OrbitalPos = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::Polarity(quint8 value) {
    FRec.TunerData.Polarity = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::FEC(quint8 value) {
    FRec.TunerData.FEC = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::AudioPID(quint16 value) {
    FRec.TunerData.Audio_PID = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::VideoPID(quint16 value) {
    FRec.TunerData.Video_PID = value;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::IPTV(quint8 a, quint8 b, quint8 c, quint8 d, quint32 port) {
    FRec.TunerData.TunerType = ttIPTV;
    FRec.TunerData.Frequency = (quint32(a) << 24) | (quint32(b) << 16) | (quint32(c) << 8) | d;
    FRec.TunerData.Symbolrate = port;
    return *this;
}

TChannelRecBuilder& TChannelRecBuilder::Byte(int offset, quint8 value) {
    Q_ASSERT(offset >= 0 && offset < int(sizeof FRec));
    reinterpret_cast<quint8*>(&FRec)[offset] = value;
    return *this;
}

TChannelRec TChannelRecBuilder::Build() const {
    return FRec;
}

QByteArray TChannelRecBuilder::Bytes() const {
    return QByteArray(reinterpret_cast<const char*>(&FRec), sizeof FRec);
}

std::unique_ptr<TChannel> TChannelRecBuilder::Channel() const {
    return std::make_unique<TChannel>(FRec);
}

QByteArray MakeChannelHeader(const QByteArray& id, quint8 versionHi, quint8 versionLo) {
    QByteArray header(7, '\0');
    header[0] = 4;
    for (int i = 0; i < 4 && i < id.size(); ++i)
        header[1 + i] = id[i];
    header[5] = char(versionHi);
    header[6] = char(versionLo);
    return header;
}

QByteArray MakeChannelFile(const QList<TChannelRec>& records, const QByteArray& header) {
    QByteArray image = header;
    for (const TChannelRec& rec : records)
        image.append(reinterpret_cast<const char*>(&rec), sizeof rec);
    return image;
}

bool WriteChannelFile(const QString& fileName, const QList<TChannelRec>& records,
                      const QByteArray& header) {
    return WriteWholeFile(fileName, MakeChannelFile(records, header));
}

#include "channels/UChannel.h"

#include "channels/UChannelUtils.h"
#include "platform/UCodePages.h"
#include "platform/UOrvaneError.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace {

// The text of a field: its length byte, clamped to the 25 bytes the field holds, so that a
// damaged length never makes the reader step outside the field.
int FieldLength(const ShortString25& field) {
    return std::min<int>(field.Len, ShortStringCapacity);
}

QByteArray FieldText(const ShortString25& field) {
    return QByteArray(reinterpret_cast<const char*>(field.Chars), FieldLength(field));
}

// The overflow of a long channel name kept behind the text of a root or category: a count
// byte right after the text and that many bytes after it, clamped to the field's room.
QByteArrayView FieldTailView(const ShortString25& field) {
    const int len = FieldLength(field);
    if (len > ShortStringCapacity - 2)
        return {};
    const int room = ShortStringCapacity - (len + 1);
    const int count = std::min<int>(field.Chars[len], room);
    return QByteArrayView(reinterpret_cast<const char*>(field.Chars + len + 1), count);
}

// A long channel name's bytes: the name field, then the tails behind the root and the
// category. Assembled on the stack, since names are read for every row painted and every
// line of a list-wide text.
struct TNameBytes {
    explicit TNameBytes(const TChannelRec& rec) {
        Append(QByteArrayView(reinterpret_cast<const char*>(rec.ChannelName.Chars),
                              FieldLength(rec.ChannelName)));
        Append(FieldTailView(rec.Root));
        Append(FieldTailView(rec.Category));
    }
    QByteArrayView View() const { return QByteArrayView(FBytes, FSize); }

private:
    void Append(QByteArrayView part) {
        if (part.isEmpty())
            return;
        std::memcpy(FBytes + FSize, part.data(), static_cast<size_t>(part.size()));
        FSize += part.size();
    }

    char FBytes[3 * ShortStringCapacity] = {};
    qsizetype FSize = 0;
};

// A copy of a field's text, kept while the fields are packed anew.
struct TFieldBytes {
    explicit TFieldBytes(const ShortString25& field) : FSize(FieldLength(field)) {
        std::memcpy(FBytes, field.Chars, static_cast<size_t>(FSize));
    }
    QByteArrayView View() const { return QByteArrayView(FBytes, FSize); }

private:
    char FBytes[ShortStringCapacity] = {};
    qsizetype FSize = 0;
};

void WriteField(ShortString25& field, QByteArrayView text) {
    field.Len = quint8(text.size());
    if (!text.isEmpty())
        std::memcpy(field.Chars, text.data(), size_t(text.size()));
}

// Writes a tail behind the text of a field; the caller has made sure it fits.
void WriteTail(ShortString25& field, const char* bytes, int count) {
    const int len = field.Len;
    field.Chars[len] = quint8(count);
    std::memcpy(field.Chars + len + 1, bytes, size_t(count));
}

} // namespace

TChannel::TChannel() = default;

TChannel::TChannel(const TChannelRec& rec) : Rec(rec) {
}

std::unique_ptr<TChannel> TChannel::CreateFromStream(QIODevice& aStream) {
    auto channel = std::make_unique<TChannel>();
    channel->ReadFromStream(aStream);
    return channel;
}

std::unique_ptr<TChannel> TChannel::CreateFromBytes(const char* data) {
    auto channel = std::make_unique<TChannel>();
    std::memcpy(&channel->Rec, data, sizeof(TChannelRec));
    return channel;
}

void TChannel::ReadFromStream(QIODevice& aStream) {
    TChannelRec rec;
    if (aStream.read(reinterpret_cast<char*>(&rec), sizeof rec) != qint64(sizeof rec))
        throw EReadError(QStringLiteral("Stream read error"));
    Rec = rec;
}

void TChannel::WriteToStream(QIODevice& aStream) const {
    if (aStream.write(reinterpret_cast<const char*>(&Rec), sizeof Rec) != qint64(sizeof Rec))
        throw EWriteError(QStringLiteral("Stream write error"));
}

QByteArray TChannel::ToBytes() const {
    return QByteArray(reinterpret_cast<const char*>(&Rec), sizeof Rec);
}

bool TChannel::IsDuplicate(const TChannel& aChannel) const {
    if (EPGChannelID() != aChannel.EPGChannelID())
        return false;
    if (Tuner() == ttIPTV && aChannel.Tuner() == ttIPTV)
        return IPInt() == aChannel.IPInt() && IPPort() == aChannel.IPPort();
    return true;
}

// --- Names ---------------------------------------------------------------------------------

QByteArray TChannel::RootBytes() const {
    return FieldText(Rec.Root);
}

QByteArray TChannel::CategoryBytes() const {
    return FieldText(Rec.Category);
}

QByteArray TChannel::NameBytes() const {
    return TNameBytes(Rec).View().toByteArray();
}

int TChannel::FreeBytes() const {
    return FreeNameByteCount(int(RootBytes().size()), int(CategoryBytes().size()),
                             int(NameBytes().size()));
}

QString TChannel::Root() const {
    return DecodeName(RootBytes());
}

QString TChannel::Category() const {
    return DecodeName(CategoryBytes());
}

QString TChannel::Name() const {
    return DecodeName(TNameBytes(Rec).View());
}

QString TChannel::SmallName() const {
    return Name() + ChannelSeparator() + Category();
}

QString TChannel::FullName() const {
    return SmallName() + RootSeparator() + Root();
}

void TChannel::SetRoot(const QString& value) {
    SetRootEncoded(EncodeName(value), value);
}

void TChannel::SetRootEncoded(QByteArrayView root, const QString& value) {
    SetRootOrCategory(true, root, value);
}

void TChannel::SetCategory(const QString& value) {
    SetCategoryEncoded(EncodeName(value), value);
}

void TChannel::SetCategoryEncoded(QByteArrayView category, const QString& value) {
    SetRootOrCategory(false, category, value);
}

void TChannel::SetRootOrCategory(bool root, QByteArrayView bytes, const QString& value) {
    if (bytes.size() > ShortStringCapacity)
        throw EChannelException((root ? QStringLiteral("Root name: %1 is too long")
                                      : QStringLiteral("Category name: %1 is too long"))
                                    .arg(value));
    // The other field and the name are copied: packing rewrites all three fields.
    const TFieldBytes other(root ? Rec.Category : Rec.Root);
    const TNameBytes name(Rec);
    const int own = int(bytes.size());
    const int kept = int(other.View().size());
    if (FreeNameByteCount(root ? own : kept, root ? kept : own, int(name.View().size())) < 0)
        throw EChannelException(
            QStringLiteral("Channel name: %1 is too long for %2").arg(Name(), value));
    if (root)
        Pack(bytes, other.View(), name.View());
    else
        Pack(other.View(), bytes, name.View());
}

int TChannel::RootByteCount() const {
    return FieldLength(Rec.Root);
}

int TChannel::CategoryByteCount() const {
    return FieldLength(Rec.Category);
}

int TChannel::NameByteCount() const {
    return int(TNameBytes(Rec).View().size());
}

void TChannel::SetName(const QString& value) {
    const QByteArray name = EncodeName(value);
    const QByteArray root = RootBytes();
    const QByteArray category = CategoryBytes();
    if (FreeNameByteCount(int(root.size()), int(category.size()), int(name.size())) < 0)
        throw EChannelException(QStringLiteral("Channel name: %1 is too long").arg(value));
    Pack(root, category, name);
}

void TChannel::Pack(QByteArrayView root, QByteArrayView category, QByteArrayView name) {
    // A name read from a file packed by someone else may not fit; it is cut at what the
    // fields can hold rather than written past them.
    const int r = int(root.size());
    const int c = int(category.size());
    const int n = std::min<int>(int(name.size()),
                                ShortStringCapacity + std::max(0, 24 - r) + std::max(0, 24 - c));
    std::memset(&Rec.Root, 0, sizeof Rec.Root);
    std::memset(&Rec.Category, 0, sizeof Rec.Category);
    std::memset(&Rec.ChannelName, 0, sizeof Rec.ChannelName);
    WriteField(Rec.Root, root);
    WriteField(Rec.Category, category);
    WriteField(Rec.ChannelName, name.first(std::min<qsizetype>(name.size(), ShortStringCapacity)));
    if (n <= ShortStringCapacity)
        return;
    const int rest = n - ShortStringCapacity;
    const int room = 24 - r;
    int d = 0;
    if (room > 0) {
        d = std::min(room, rest);
        WriteTail(Rec.Root, name.constData() + ShortStringCapacity, d);
    }
    if (rest > d)
        WriteTail(Rec.Category, name.constData() + ShortStringCapacity + d, rest - d);
}

// --- Flags ---------------------------------------------------------------------------------

bool TChannel::IsSubChannel() const {
    return (Rec.TunerData.Flags & flSubChannel) != 0;
}

void TChannel::SetIsSubChannel(bool value) {
    if (value)
        Rec.TunerData.Flags |= flSubChannel;
    else
        Rec.TunerData.Flags &= quint8(~flSubChannel);
}

bool TChannel::IsMainChannel() const {
    return !IsSubChannel();
}

void TChannel::SetIsMainChannel(bool value) {
    SetIsSubChannel(!value);
}

bool TChannel::IsAutoUpdate() const {
    return (Rec.TunerData.Flags & flNoAutoUpdate) == 0;
}

void TChannel::SetIsAutoUpdate(bool value) {
    if (value)
        Rec.TunerData.Flags &= quint8(~flNoAutoUpdate);
    else
        Rec.TunerData.Flags |= flNoAutoUpdate;
}

bool TChannel::HasRDS() const {
    return (Rec.TunerData.Flags & flRDS) != 0;
}

void TChannel::SetHasRDS(bool value) {
    if (value)
        Rec.TunerData.Flags |= flRDS;
    else
        Rec.TunerData.Flags &= quint8(~flRDS);
}

bool TChannel::IsVideo() const {
    return (Rec.TunerData.Flags & flVideo) != 0;
}

bool TChannel::IsEncrypted() const {
    return (Rec.TunerData.Flags & flEncrypted) != 0;
}

// --- Identifiers ---------------------------------------------------------------------------

qint64 TChannel::EPGChannelID() const {
    const quint64 tuner = quint8(Rec.TunerData.TunerType + 1);
    return qint64(quint64(SID()) | (quint64(TID()) << 16) | (quint64(NID()) << 32) | (tuner << 48));
}

bool TChannel::Modulation2() const {
    return (Rec.TunerData.SatModulation & smSecondGeneration) != 0 && Rec.TunerData.TunerType < 3;
}

QString TChannel::Language() const {
    const char* code = Rec.TunerData.Language;
    const auto len = qsizetype(std::find(code, code + 3, '\0') - code);
    return DecodeFromCodePage(QByteArrayView(code, len), SystemAnsiCodePage());
}

QString TChannel::NidTidSidTuner() const {
    return QStringLiteral("[%1-%2-%3-%4]").arg(NID()).arg(TID()).arg(SID()).arg(Tuner());
}

quint8 TChannel::Group() const {
    return Rec.TunerData.ChannelGroup;
}

void TChannel::SetGroup(quint8 value) {
    Rec.TunerData.ChannelGroup = value;
}

quint16 TChannel::NID() const {
    return Rec.TunerData.OriginalNetwork_ID;
}

void TChannel::SetNID(quint16 value) {
    Rec.TunerData.OriginalNetwork_ID = value;
}

quint8 TChannel::Speakers() const {
    return Rec.TunerData.AudioChannel;
}

void TChannel::SetSpeakers(quint8 value) {
    Rec.TunerData.AudioChannel = value;
}

quint8 TChannel::Tuner() const {
    return Rec.TunerData.TunerType;
}

quint16 TChannel::TID() const {
    return Rec.TunerData.TransportStream_ID;
}

quint16 TChannel::SID() const {
    return Rec.TunerData.Service_ID;
}

quint32 TChannel::IPPort() const {
    return Rec.TunerData.Symbolrate;
}

void TChannel::SetIPPort(quint32 value) {
    Rec.TunerData.Symbolrate = value;
}

quint32 TChannel::IPInt() const {
    return Rec.TunerData.Frequency;
}

void TChannel::SetIPInt(quint32 value) {
    Rec.TunerData.Frequency = value;
}

quint8 TChannel::EpgFlags() const {
    return Rec.TunerData.EPGFlags;
}

void TChannel::SetEpgFlags(quint8 value) {
    Rec.TunerData.EPGFlags = value;
}

QString TChannel::IPText() const {
    if (Tuner() != ttIPTV)
        return {};
    const quint32 ip = IPInt();
    return QStringLiteral("%1.%2.%3.%4")
        .arg(ip >> 24)
        .arg((ip >> 16) & 0xFF)
        .arg((ip >> 8) & 0xFF)
        .arg(ip & 0xFF);
}

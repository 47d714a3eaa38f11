#include "channels/UChannels.h"

#include "platform/UAtomicFile.h"
#include "platform/UOrvaneError.h"

#include <QDir>
#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype DefaultRecordsPerPiece = 4096;
qsizetype g_recordsPerPiece = DefaultRecordsPerPiece;

QString HeaderID(const THeader& header) {
    const char* id = header.ID;
    const auto len = qsizetype(std::find(id, id + 4, '\0') - id);
    return QString::fromLatin1(id, len);
}

[[noreturn]] void RaiseStreamReadError() {
    throw EReadError(QStringLiteral("Stream read error"));
}

} // namespace

TChannels::TChannels() = default;

TChannels::~TChannels() = default;

TChannel* TChannels::Channel(int Index) const {
    if (Index < 0 || Index >= Count())
        return nullptr;
    FHint = size_t(Index);
    return FChannels[size_t(Index)].get();
}

QString TChannels::ID() const {
    return HeaderID(FHeader);
}

QString TChannels::Version() const {
    return QStringLiteral("%1.%2").arg(FHeader.VersionHi).arg(FHeader.VersionLo);
}

// --- Reading -------------------------------------------------------------------------------

void SetChannelFileReadPiece(int records) {
    g_recordsPerPiece = records > 0 ? records : DefaultRecordsPerPiece;
}

void TChannels::LoadFromFile(const QString& FileName) {
    ReadFile(FileName, TReadMode::List, false);
}

void TChannels::AppendFromFile(const QString& FileName, bool AsChecked) {
    ReadFile(FileName, TReadMode::Append, AsChecked);
}

void TChannels::AddFromFileAsDeleted(const QString& FileName) {
    ReadFile(FileName, TReadMode::Deleted, false);
}

void TChannels::LoadFromBytes(const QByteArray& image, const QString& FileName) {
    ReadImage(image, FileName, TReadMode::List, false);
}

void TChannels::AppendFromBytes(const QByteArray& image, const QString& FileName, bool AsChecked) {
    ReadImage(image, FileName, TReadMode::Append, AsChecked);
}

void TChannels::AddFromBytesAsDeleted(const QByteArray& image, const QString& FileName) {
    ReadImage(image, FileName, TReadMode::Deleted, false);
}

void TChannels::CheckHeader(const THeader& header, TReadMode mode) {
    if (mode == TReadMode::List)
        FHeader = header;
    if (mode != TReadMode::Deleted && HeaderID(header) != QLatin1String(ChannelFileID))
        throw EChannelException(
            QStringLiteral("Wrong File ID: %1, correct is: B2C2").arg(HeaderID(header)));
}

void TChannels::AddRecords(const char* data, qsizetype count, TReadMode mode, bool AsChecked) {
    for (qsizetype i = 0; i < count; ++i) {
        std::unique_ptr<TChannel> channel = TChannel::CreateFromBytes(data + i * ChannelRecSize);
        if (mode == TReadMode::Append)
            channel->IsChecked = AsChecked;
        else if (mode == TReadMode::Deleted)
            channel->State = csDeleted;
        FChannels.push_back(std::move(channel));
    }
}

void TChannels::ReadImage(const QByteArray& image, const QString& FileName, TReadMode mode,
                          bool AsChecked) {
    Q_UNUSED(FileName);
    if (image.size() < HeaderSize)
        RaiseStreamReadError();
    THeader header;
    std::memcpy(&header, image.constData(), HeaderSize);
    CheckHeader(header, mode);

    const qsizetype complete = (image.size() - HeaderSize) / ChannelRecSize;
    if (complete == 0 && image.size() == HeaderSize && mode != TReadMode::Deleted)
        throw EChannelException(QStringLiteral("No Channels in file"));

    FChannels.reserve(FChannels.size() + size_t(complete));
    AddRecords(image.constData() + HeaderSize, complete, mode, AsChecked);
    if ((image.size() - HeaderSize) % ChannelRecSize != 0)
        RaiseStreamReadError();
}

void TChannels::ReadFile(const QString& FileName, TReadMode mode, bool AsChecked) {
    // As ReadImage on the whole file, read a piece at a time: a list of 100,000 channels
    // would otherwise sit in memory twice, as bytes and as channels.
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2")
                              .arg(QDir::toNativeSeparators(FileName), file.errorString()));
    const auto readError = [&] {
        return EReadError(QStringLiteral("Cannot read file \"%1\". %2")
                              .arg(QDir::toNativeSeparators(FileName), file.errorString()));
    };
    const size_t before = FChannels.size();
    QByteArray piece(g_recordsPerPiece * ChannelRecSize, Qt::Uninitialized);
    // Reads as much as fits or the file holds; a failing read raises, so that a file that
    // could not be read whole adds nothing.
    const auto fill = [&](qsizetype wanted) {
        qsizetype got = 0;
        while (got < wanted) {
            const qint64 n = file.read(piece.data() + got, wanted - got);
            if (n < 0)
                throw readError();
            if (n == 0)
                break;
            got += n;
        }
        return got;
    };
    try {
        const qsizetype headerBytes = fill(HeaderSize);
        if (headerBytes < HeaderSize)
            RaiseStreamReadError();
        THeader header;
        std::memcpy(&header, piece.constData(), HeaderSize);
        CheckHeader(header, mode);
        const qint64 expected = (file.size() - HeaderSize) / ChannelRecSize;
        FChannels.reserve(FChannels.size() + size_t(std::max<qint64>(expected, 0)));

        qsizetype records = 0;
        qsizetype rest = 0;
        for (;;) {
            const qsizetype got = fill(piece.size());
            const qsizetype complete = got / ChannelRecSize;
            if (got % ChannelRecSize != 0) {
                // Only the file's end leaves a piece short.
                AddRecords(piece.constData(), complete, mode, AsChecked);
                records += complete;
                rest = got % ChannelRecSize;
                break;
            }
            AddRecords(piece.constData(), complete, mode, AsChecked);
            records += complete;
            if (got < piece.size())
                break;
        }
        if (records == 0 && rest == 0 && mode != TReadMode::Deleted)
            throw EChannelException(QStringLiteral("No Channels in file"));
        if (rest != 0)
            RaiseStreamReadError();
    } catch (const EReadError&) {
        // A read that failed half-way keeps nothing of this file; a short last record, as
        // from the whole image, keeps the complete records before it.
        if (file.error() != QFileDevice::NoError)
            FChannels.resize(before);
        throw;
    } catch (...) {
        FChannels.resize(before);
        throw;
    }
}

// --- Writing -------------------------------------------------------------------------------

QByteArray TChannels::ToBytes() const {
    QByteArray image;
    image.reserve(HeaderSize + qsizetype(FChannels.size()) * ChannelRecSize);
    image.append(reinterpret_cast<const char*>(&FHeader), HeaderSize);
    for (const auto& channel : FChannels)
        image.append(reinterpret_cast<const char*>(&channel->Rec), ChannelRecSize);
    return image;
}

QByteArray TChannels::ToBytes(const QList<int>& Indices) const {
    QByteArray image;
    image.reserve(HeaderSize + Indices.size() * ChannelRecSize);
    image.append(reinterpret_cast<const char*>(&FHeader), HeaderSize);
    for (int index : Indices) {
        const TChannel* channel = Channel(index);
        if (!channel)
            throw EChannelException(QStringLiteral("List index out of bounds (%1)").arg(index));
        image.append(reinterpret_cast<const char*>(&channel->Rec), ChannelRecSize);
    }
    return image;
}

void TChannels::SaveToFile(const QString& FileName) const {
    WriteFileAtomically(FileName, ToBytes());
}

void TChannels::SaveToFile(const QString& FileName, const QList<int>& Indices) const {
    WriteFileAtomically(FileName, ToBytes(Indices));
}

void TChannels::WriteHeaderToStream(QIODevice& aStream) const {
    if (aStream.write(reinterpret_cast<const char*>(&FHeader), HeaderSize) != HeaderSize)
        throw EWriteError(QStringLiteral("Stream write error"));
}

// --- Ownership -----------------------------------------------------------------------------

void TChannels::ClearChannels() {
    FChannels.clear();
}

void TChannels::TakeContentsOf(TChannels& other) {
    if (&other == this)
        return;
    FHeader = other.FHeader;
    FChannels = std::move(other.FChannels);
    other.FChannels.clear();
    FHint = 0;
    other.FHint = 0;
}

TChannel* TChannels::Add(std::unique_ptr<TChannel> aChannel) {
    TChannel* channel = aChannel.get();
    FChannels.push_back(std::move(aChannel));
    return channel;
}

void TChannels::Delete(int Index) {
    if (Index < 0 || Index >= Count())
        throw EChannelException(QStringLiteral("List index out of bounds (%1)").arg(Index));
    FChannels.erase(FChannels.begin() + Index);
}

void TChannels::Remove(TChannel* aChannel) {
    const int index = IndexOf(aChannel);
    if (index >= 0)
        FChannels.erase(FChannels.begin() + index);
}

int TChannels::IndexOf(const TChannel* aChannel) const {
    if (!aChannel)
        return -1;
    if (FHint < FChannels.size() && FChannels[FHint].get() == aChannel)
        return int(FHint);
    for (size_t i = 0; i < FChannels.size(); ++i) {
        if (FChannels[i].get() == aChannel) {
            FHint = i;
            return int(i);
        }
    }
    return -1;
}

// --- Numbering and audio tracks ------------------------------------------------------------

TChannel* TChannels::GetChannelByNo(int No) const {
    if (No < 0)
        return nullptr;
    int number = -1;
    for (const auto& channel : FChannels) {
        if (channel->IsMainChannel() && ++number == No)
            return channel.get();
    }
    return nullptr;
}

int TChannels::GetChannelNo(const TChannel* aChannel) const {
    if (!aChannel)
        return -1;
    int number = -1;
    for (const auto& channel : FChannels) {
        if (channel->IsMainChannel())
            ++number;
        if (channel.get() == aChannel)
            return number;
    }
    // A channel that is not in the list has no number.
    return -1;
}

int TChannels::GetSubChannelCount(const TChannel* aMainChannel) const {
    if (!aMainChannel || aMainChannel->IsSubChannel())
        return 0;
    return GetSubChannelCountAt(IndexOf(aMainChannel));
}

int TChannels::GetSubChannelCountAt(int Index) const {
    const TChannel* main = Channel(Index);
    if (!main || main->IsSubChannel())
        return 0;
    int count = 0;
    for (size_t i = size_t(Index) + 1; i < FChannels.size() && FChannels[i]->IsSubChannel(); ++i)
        ++count;
    return count;
}

void TChannels::MakeMainAudioTrack(TChannel* sub, TChannel* main) {
    const int subIndex = IndexOf(sub);
    const int mainIndex = IndexOf(main);
    if (subIndex < 0 || mainIndex < 0 || sub == main)
        return;
    sub->IsBookMarked = main->IsBookMarked;
    sub->IsChecked = main->IsChecked;
    sub->State = main->State;
    main->IsBookMarked = false;
    main->IsChecked = false;
    main->State = csNormal;
    sub->SetIsMainChannel(true);
    main->SetIsSubChannel(true);
    std::swap(FChannels[size_t(subIndex)], FChannels[size_t(mainIndex)]);
}

void TChannels::SwapAudioTracks(TChannel* sub1, TChannel* sub2) {
    const int index1 = IndexOf(sub1);
    const int index2 = IndexOf(sub2);
    if (index1 < 0 || index2 < 0)
        return;
    std::swap(FChannels[size_t(index1)], FChannels[size_t(index2)]);
}

void TChannels::SetNID(TChannel* aMainChannel, quint16 aNID) {
    if (!aMainChannel)
        return;
    aMainChannel->SetNID(aNID);
    const int index = IndexOf(aMainChannel);
    if (index < 0 || aMainChannel->IsSubChannel())
        return;
    for (size_t i = size_t(index) + 1; i < FChannels.size() && FChannels[i]->IsSubChannel(); ++i)
        FChannels[i]->SetNID(aNID);
}

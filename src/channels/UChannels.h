#pragma once

// The channel list: the header of the file last loaded and the owned channels in list
// order (load order, then appended channels, then deleted channels). A main channel is
// followed directly by its sub-channels.

#include "channels/UChannel.h"
#include "channels/UChannelRec.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

class QIODevice;

// Test seam: how many records a file is read in at a time (0: the default of 4,096), so
// that small files meet the pieces' borders too.
void SetChannelFileReadPiece(int records);

class TChannels {
public:
    TChannels();
    ~TChannels();
    TChannels(const TChannels&) = delete;
    TChannels& operator=(const TChannels&) = delete;

    int Count() const { return int(FChannels.size()); }
    // nullptr when Index is out of range.
    TChannel* Channel(int Index) const;
    TChannel* GetChannel(int Index) const { return Channel(Index); }
    const std::vector<std::unique_ptr<TChannel>>& Channels() const { return FChannels; }

    const THeader& Header() const { return FHeader; }
    // The header's ID bytes up to the first zero byte.
    QString ID() const;
    // "VersionHi.VersionLo" in decimal.
    QString Version() const;

    // The three readers read the whole file first. They raise EFOpenError when the file
    // cannot be opened, EReadError for a file shorter than a header or ending in an
    // incomplete record (the complete records before it stay added) and EChannelException
    // for a wrong ID or a list without channels.
    void LoadFromFile(const QString& FileName);
    void AppendFromFile(const QString& FileName, bool AsChecked);
    void AddFromFileAsDeleted(const QString& FileName);
    // Parsing of an image already in memory; FileName only names it in messages.
    void LoadFromBytes(const QByteArray& image, const QString& FileName);
    void AppendFromBytes(const QByteArray& image, const QString& FileName, bool AsChecked);
    void AddFromBytesAsDeleted(const QByteArray& image, const QString& FileName);

    // Write the header and the channels (all in list order, or those at Indices in that
    // order) as one image, replacing the file atomically; raise EFCreateError or
    // EWriteError and leave the old file untouched on failure.
    void SaveToFile(const QString& FileName) const;
    void SaveToFile(const QString& FileName, const QList<int>& Indices) const;
    QByteArray ToBytes() const;
    QByteArray ToBytes(const QList<int>& Indices) const;
    void WriteHeaderToStream(QIODevice& aStream) const;

    void ClearChannels();
    // Empties this list and moves the header and every channel of other into it, leaving
    // other empty: a list read and checked aside takes its place without a second parse.
    void TakeContentsOf(TChannels& other);
    // Hands the channel over to the list; returns it.
    TChannel* Add(std::unique_ptr<TChannel> aChannel);
    void Delete(int Index);
    void Remove(TChannel* aChannel);
    int IndexOf(const TChannel* aChannel) const;

    // Main channels are numbered from 0 in list order, whatever their state.
    TChannel* GetChannelByNo(int No) const;
    int GetChannelNo(const TChannel* aChannel) const;
    int GetSubChannelCount(const TChannel* aMainChannel) const;
    // The same for the channel at Index, without searching for it.
    int GetSubChannelCountAt(int Index) const;

    void MakeMainAudioTrack(TChannel* sub, TChannel* main);
    void SwapAudioTracks(TChannel* sub1, TChannel* sub2);
    void SetNID(TChannel* aMainChannel, quint16 aNID);

private:
    enum class TReadMode { List, Append, Deleted };
    void ReadImage(const QByteArray& image, const QString& FileName, TReadMode mode,
                   bool AsChecked);
    void ReadFile(const QString& FileName, TReadMode mode, bool AsChecked);
    void CheckHeader(const THeader& header, TReadMode mode);
    void AddRecords(const char* data, qsizetype count, TReadMode mode, bool AsChecked);

    THeader FHeader{};
    std::vector<std::unique_ptr<TChannel>> FChannels;
    // Position of the channel last handed out or found. Callers walk the list by index and
    // ask about the channel at hand (sub-channel counts, audio tracks), so IndexOf checks
    // here first and such walks stay linear.
    mutable size_t FHint = 0;
};

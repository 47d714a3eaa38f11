#pragma once

// One channel of the list: its 132-byte record as read from the file, plus three flags that
// live only while the program runs. The class hides the byte layout of names: callers get
// and set text, and the class enforces the byte limits and packs long names into the spare
// room of root and category.

#include "channels/UChannelRec.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <memory>

class QIODevice;

enum TChannelState : quint8 {
    csNormal = 0,
    csDeleted = 1,
    csRecentlyDeleted = 2,
    csPermanentlyDeleted = 3,
};

class TChannel {
public:
    // A channel with an all-zero record.
    TChannel();
    explicit TChannel(const TChannelRec& rec);

    // Reads one record from the current position; fewer than 132 bytes left raise
    // EReadError and nothing is created.
    static std::unique_ptr<TChannel> CreateFromStream(QIODevice& aStream);
    // Takes the record from 132 bytes in memory (data must hold at least 132 bytes).
    static std::unique_ptr<TChannel> CreateFromBytes(const char* data);

    // Fills the record from the stream; on a short read raises EReadError and leaves the
    // record as it was.
    void ReadFromStream(QIODevice& aStream);
    // Writes the 132 bytes; raises EWriteError when the stream takes fewer.
    void WriteToStream(QIODevice& aStream) const;
    // The record's 132 bytes.
    QByteArray ToBytes() const;

    bool IsDuplicate(const TChannel& aChannel) const;

    // Multi-line description of every field (defined with the description unit).
    QString AllInfo() const;
    // True when the channel has at least one of the properties in Checks (defined with the
    // description unit).
    bool HasAProperty(quint64 Checks, const QString& Lang) const;

    // Names. The setters raise EChannelException and leave the record unchanged when the
    // text does not fit.
    QString Root() const;
    void SetRoot(const QString& value);
    QString Category() const;
    void SetCategory(const QString& value);
    QString Name() const;
    void SetName(const QString& value);
    QString SmallName() const;
    QString FullName() const;
    // SetRoot and SetCategory with the text already in the name code page (value is the
    // text as typed, for the messages), so that a rename of many channels encodes it once.
    // The bytes must not lie inside this record.
    void SetRootEncoded(QByteArrayView root, const QString& value);
    void SetCategoryEncoded(QByteArrayView category, const QString& value);

    // The stored bytes of the three names, as the packing reads them (clamped to their
    // fields whatever the length and count bytes say).
    QByteArray RootBytes() const;
    QByteArray CategoryBytes() const;
    QByteArray NameBytes() const;
    // Their lengths, without copying them.
    int RootByteCount() const;
    int CategoryByteCount() const;
    int NameByteCount() const;
    // Free-byte count of the current root, category and name; negative cannot come from
    // this program, only from a file packed by someone else.
    int FreeBytes() const;

    bool IsSubChannel() const;
    void SetIsSubChannel(bool value);
    bool IsMainChannel() const;
    void SetIsMainChannel(bool value);
    bool IsAutoUpdate() const;
    void SetIsAutoUpdate(bool value);
    bool HasRDS() const;
    void SetHasRDS(bool value);
    bool IsVideo() const;
    bool IsEncrypted() const;

    qint64 EPGChannelID() const;
    bool Modulation2() const;
    QString Language() const;
    QString NidTidSidTuner() const;

    quint8 Group() const;
    void SetGroup(quint8 value);
    quint16 NID() const;
    void SetNID(quint16 value);
    quint8 Speakers() const;
    void SetSpeakers(quint8 value);
    quint8 Tuner() const;
    quint16 TID() const;
    quint16 SID() const;
    quint32 IPPort() const;
    void SetIPPort(quint32 value);
    quint32 IPInt() const;
    void SetIPInt(quint32 value);
    quint8 EpgFlags() const;
    void SetEpgFlags(quint8 value);
    QString IPText() const;

    // The record, for the Parts that read or write fields no property names.
    TChannelRec Rec{};
    bool IsBookMarked = false;
    bool IsChecked = false;
    TChannelState State = csNormal;

private:
    void Pack(QByteArrayView root, QByteArrayView category, QByteArrayView name);
    void SetRootOrCategory(bool root, QByteArrayView bytes, const QString& value);
};

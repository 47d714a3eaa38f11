#pragma once

#include "platform/UAutomationClient.h"
#include "viewer/UViewerLink.h"

#include <QObject>
#include <QtGlobal>
#include <span>
#include <unordered_map>
#include <vector>

class TChannel;

// One channel that is not an IPTV channel, with the viewer's number for it.
struct TTVRec {
    qint64 ID = 0;
    qint32 ChNo = -1;
};

// One IPTV channel: IPTV channels often share an identity, so address, port and the
// encrypted flag tell them apart.
struct TIPTVRec {
    qint64 ID = 0;
    quint32 IP = 0;
    quint32 Port = 0;
    bool Encrypted = false;
    qint32 ChNo = -1;
};

// Maps channels to the numbers by which the running viewer selects them. The viewer counts
// the entries of its list from 0, except that an entry repeating the last entry of its kind
// (another audio track of that channel) takes no number.
//
// What reaches the viewer goes through a TViewerLink and never blocks: a read of the viewer's
// table fills the tables when its reply arrives (ChannelsRead), a tune is sent and confirmed
// later (Tuned), and a failure arrives as ViewerCallFailed, the tables keeping what they held.
class TTuningManager : public QObject {
    Q_OBJECT

public:
    explicit TTuningManager(QObject* parent = nullptr);
    ~TTuningManager() override;

    const std::vector<TTVRec>& TVChannels() const { return FTVChannels; }
    const std::vector<TIPTVRec>& IPTVChannels() const { return FIPTVChannels; }

    // The timer's read: asks for the viewer's table when both tables are empty and the viewer
    // runs, unless a read is already asked for or the viewer has just failed (see TViewerLink).
    void GetChannelsIfNone();
    // Asks for the viewer's table, to replace both tables when it arrives; nothing happens
    // when the viewer does not run.
    void GetChannelsFromCOM();
    // Rebuilds both tables from a viewer channel table (rows in the viewer's order).
    void GetChannelsFromTable(const TViewerChannelTable& table);
    // Rebuilds both tables from main channels in the order the viewer will list them
    // (a std::vector<TChannel*> or std::vector<const TChannel*> serves). A read of the
    // viewer's table under way is dropped: the list just written is what the viewer will show.
    void GetChannelsFromChannels(std::span<const TChannel* const> channels);

    // The viewer's number for the channel, or -1.
    int FindChannelNumber(const TChannel& aChannel) const;
    bool CanTune(const TChannel& aChannel) const;
    // Asks the running viewer to switch to the channel; nothing happens without a number or
    // viewer.
    void Tune(const TChannel& aChannel);

    TViewerLink& Link() { return *FLink; }

Q_SIGNALS:
    // A read of the viewer's table has replaced both tables.
    void ChannelsRead();
    // The viewer confirmed the switch to this number.
    void Tuned(int channelNumber);
    // A call to the viewer failed; automatic when it was the timer's read alone.
    void ViewerCallFailed(const QString& message, bool automatic);

private:
    struct TIPTVKey {
        qint64 ID;
        quint32 IP;
        quint32 Port;
        bool Encrypted;
        bool operator==(const TIPTVKey&) const = default;
    };
    struct TIPTVKeyHash {
        size_t operator()(const TIPTVKey& k) const noexcept;
    };

    void Clear();
    void AddChannel(qint64 id, quint32 ip, quint32 port, bool encrypted, int& counter);
    void AddTVChannel(const TTVRec& rec, int& counter);
    void AddIPTVChannel(const TIPTVRec& rec, int& counter);
    void SetViewerChannel(int number);

    TViewerLink* FLink;

    std::vector<TTVRec> FTVChannels;
    std::vector<TIPTVRec> FIPTVChannels;
    // First number per identity, so that a lookup from the 300 ms timer costs O(1) even for
    // 100,000 channels; the first entry in table order wins, as a walk of the table would.
    std::unordered_map<qint64, int> FTVFirst;
    std::unordered_map<TIPTVKey, int, TIPTVKeyHash> FIPTVFirst;
};

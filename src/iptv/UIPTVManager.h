#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>

class TChannel;
class TChannels;
class TChannelTreeModel;

// One group of IPTV channels that duplicate each other: same identity, address and port.
class TIPTVChannel {
public:
    explicit TIPTVChannel(TChannel* aChannel);

    // 1 clashes, 2 unique, 5 received a new network ID, 6 keeps its network ID.
    int IconIndex = 1;
    int NewNID = -1;
    quint16 OldNID = 0;
    std::vector<TChannel*> Duplicates;

    TChannel* First() const { return Duplicates.front(); }
    quint32 GetIP() const;
    quint16 GetPort() const;
    int GetNID() const { return NewNID != -1 ? NewNID : OldNID; }
    // The first channel's identity with the network ID replaced by GetNID().
    qint64 GetEPGChannelID() const;
};

// Finds IPTV channels that share an identity although they are different streams, and gives
// the clashing groups network IDs of their own.
class TIPTVManager {
public:
    TIPTVManager();
    ~TIPTVManager();

    const std::vector<std::unique_ptr<TIPTVChannel>>& AllChannels() const { return FAll; }
    int Count() const { return static_cast<int>(FAll.size()); }

    // Groups the IPTV channels of the tree's top-level nodes, then sorts the groups by the
    // identity of their first channel.
    void LoadAllIPTVChannels(const TChannelTreeModel& tree);
    // Sets every group's state to 2 (unique) or 1 (clashes); true when all are unique.
    bool DisplayTreeViewFirst();
    // New network IDs for the groups in state 1, searching downward from StartNID and
    // wrapping from 0 to 65535; later groups see the IDs given to earlier ones.
    void MakeAllChannelsUnique(int StartNID);

    int GetIconIndex(int No) const;
    static QString GetNodeText(const TChannel& channel, int nid);
    QString GetTreeViewNameByNo(int No, bool IsSubNode) const;

    // The mapping file's text (UTF-8 with BOM, CR LF), and writing it to fileName.
    QByteArray ExportText() const;
    void DoExport(const QString& fileName) const;
    // Writes the new network IDs into the list (main channels and their sub-channels) and
    // forgets them.
    void ApplyNewNIDs(TChannels& channels);

private:
    std::vector<std::unique_ptr<TIPTVChannel>> FAll;
};

#pragma once

#include <QHashFunctions>
#include <QtGlobal>

#include <vector>

class TChannel;
class TChannelTreeModel;

// What makes two channels the same channel to the viewer: the programme-guide identity
// (service, transport stream and network IDs with the tuner type) and, for IPTV, the
// address and port as well. Two channels with equal identities are duplicates
// (TChannel::IsDuplicate); as a value it lets a whole list be sorted into groups with one
// hash lookup per channel instead of comparing every pair.
struct TChannelIdentity {
    qint64 Id = 0;
    quint32 Address = 0;
    quint32 Port = 0;

    friend bool operator==(const TChannelIdentity&, const TChannelIdentity&) = default;
};

TChannelIdentity IdentityOf(const TChannel& channel);
size_t qHash(const TChannelIdentity& identity, size_t seed = 0);

// The rows of the top-level nodes whose channel duplicates the channel of an earlier node,
// in tree order: of three equal channels the second and the third.
std::vector<int> FindDuplicateRows(const TChannelTreeModel& tree);

// Ticks exactly those nodes and unticks every other, so that "Delete Checked" then removes
// the repeats and nothing else; returns how many nodes are ticked.
int CheckDuplicates(TChannelTreeModel& tree);

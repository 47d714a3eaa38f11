#include "viewer/UTuning.h"

#include "channels/UChannel.h"

namespace {

// Bits 48 to 55 of an identity hold the tuner type plus 1; 5 means IPTV.
bool IsIPTVIdentity(qint64 id) {
    return ((id >> 48) & 0xFF) == 5;
}

qint64 IdentityFromRow(const TViewerTableRow& row) {
    return (row[26] & 0xFFFF) | ((row[23] & 0xFFFF) << 16) | ((row[25] & 0xFFFF) << 32) |
           (((row[4] + 1) & 0xFF) << 48);
}

quint32 Low32(qint64 value) {
    return static_cast<quint32>(value & 0xFFFFFFFF);
}

} // namespace

size_t TTuningManager::TIPTVKeyHash::operator()(const TIPTVKey& k) const noexcept {
    const auto mix = [](size_t h, quint64 v) {
        return h ^ (std::hash<quint64>()(v) + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2));
    };
    size_t h = std::hash<qint64>()(k.ID);
    h = mix(h, (static_cast<quint64>(k.IP) << 32) | k.Port);
    return mix(h, k.Encrypted ? 1 : 0);
}

TTuningManager::TTuningManager(QObject* parent) : QObject(parent), FLink(new TViewerLink(this)) {
    connect(FLink, &TViewerLink::TableRead, this, [this](const TViewerChannelTable& table) {
        GetChannelsFromTable(table);
        Q_EMIT ChannelsRead();
    });
    connect(FLink, &TViewerLink::Tuned, this, &TTuningManager::Tuned);
    connect(FLink, &TViewerLink::Failed, this, &TTuningManager::ViewerCallFailed);
}

TTuningManager::~TTuningManager() = default;

void TTuningManager::Clear() {
    FTVChannels.clear();
    FIPTVChannels.clear();
    FTVFirst.clear();
    FIPTVFirst.clear();
}

void TTuningManager::AddTVChannel(const TTVRec& rec, int& counter) {
    if (!FTVChannels.empty() && FTVChannels.back().ID == rec.ID)
        return;
    ++counter;
    FTVChannels.push_back({rec.ID, counter});
    FTVFirst.try_emplace(rec.ID, counter);
}

void TTuningManager::AddIPTVChannel(const TIPTVRec& rec, int& counter) {
    if (!FIPTVChannels.empty()) {
        const TIPTVRec& last = FIPTVChannels.back();
        if (last.ID == rec.ID && last.IP == rec.IP && last.Port == rec.Port &&
            last.Encrypted == rec.Encrypted)
            return;
    }
    ++counter;
    FIPTVChannels.push_back({rec.ID, rec.IP, rec.Port, rec.Encrypted, counter});
    FIPTVFirst.try_emplace(TIPTVKey{rec.ID, rec.IP, rec.Port, rec.Encrypted}, counter);
}

void TTuningManager::AddChannel(qint64 id, quint32 ip, quint32 port, bool encrypted, int& counter) {
    if (IsIPTVIdentity(id))
        AddIPTVChannel({id, ip, port, encrypted, -1}, counter);
    else
        AddTVChannel({id, -1}, counter);
}

void TTuningManager::GetChannelsIfNone() {
    if (FTVChannels.empty() && FIPTVChannels.empty())
        FLink->RequestTable(true);
}

void TTuningManager::GetChannelsFromCOM() {
    FLink->RequestTable(false);
}

void TTuningManager::GetChannelsFromTable(const TViewerChannelTable& table) {
    Clear();
    FTVChannels.reserve(table.Rows.size());
    int counter = -1;
    for (const TViewerTableRow& row : table.Rows)
        AddChannel(IdentityFromRow(row), Low32(row[5]), Low32(row[6]), (row[3] & 1) != 0, counter);
}

void TTuningManager::GetChannelsFromChannels(std::span<const TChannel* const> channels) {
    FLink->DropTableRead();
    Clear();
    FTVChannels.reserve(channels.size());
    int counter = -1;
    for (const TChannel* channel : channels)
        AddChannel(channel->EPGChannelID(), channel->IPInt(), channel->IPPort(),
                   channel->IsEncrypted(), counter);
}

int TTuningManager::FindChannelNumber(const TChannel& aChannel) const {
    if (aChannel.Tuner() == ttIPTV) {
        const auto it = FIPTVFirst.find(TIPTVKey{aChannel.EPGChannelID(), aChannel.IPInt(),
                                                 aChannel.IPPort(), aChannel.IsEncrypted()});
        return it == FIPTVFirst.end() ? -1 : it->second;
    }
    const auto it = FTVFirst.find(aChannel.EPGChannelID());
    return it == FTVFirst.end() ? -1 : it->second;
}

bool TTuningManager::CanTune(const TChannel& aChannel) const {
    return FindChannelNumber(aChannel) >= 0;
}

void TTuningManager::Tune(const TChannel& aChannel) {
    SetViewerChannel(FindChannelNumber(aChannel));
}

void TTuningManager::SetViewerChannel(int number) {
    FLink->RequestTune(number);
}

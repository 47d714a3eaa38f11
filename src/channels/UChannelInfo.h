#pragma once

// The channel description (TChannel::AllInfo) and the property test
// (TChannel::HasAProperty) are defined in UChannelInfo.cpp. This header holds the
// catalogue of selectable properties: the check-by-properties window builds its tree from
// it, so captions, bit numbers and the window order live in one place only.

#include <QLatin1String>
#include <QtGlobal>

#include <span>

// One bit of the property set that HasAProperty takes. The numbers are fixed: the
// check-by-properties window stores and passes them, and they do not follow the order in
// which the window shows its items.
enum TChannelProperty : int {
    cpGroupA = 0, // channel groups A to H are bits 0 to 7
    cpGroupB,
    cpGroupC,
    cpGroupD,
    cpGroupE,
    cpGroupF,
    cpGroupG,
    cpGroupH,
    cpEncrypted = 8,
    cpFTA,
    cpRadio,
    cpTV,
    cpCable = 12, // tuner types 0 to 5 are bits 12 to 17
    cpSatellite,
    cpTerrestrial,
    cpATSC,
    cpIPTV,
    cpStream,
    cpAudioMPEG = 18, // audio formats 0 to 3 are bits 18 to 21
    cpAudioAC3,
    cpAudioAAC,
    cpAudioAES3,
    cpVideoMPEG2 = 22, // video formats 0 to 2 are bits 22 to 24, for TV channels only
    cpVideoH264,
    cpVideoH265,
    cpForbidDVBEPG = 25, // EPGFlags bits 0 to 7 are bits 25 to 32
    cpForbidMHWEPG,
    cpForbidExternalEPG,
    cpForbidFutureBit3EPG,
    cpForbidFutureBit4EPG,
    cpForbidFutureBit5EPG,
    cpForbidFutureBit6EPG,
    cpForbidFutureBit7EPG,
    cpLanguage = 33, // no tree item: the "Has Language:" check box sets it
    cpFirstGeneration = 34,
    cpSecondGeneration,
    cpAutoUpdateOff = 36,
    cpAutoUpdateOn,
    cpSpeakersStereo = 38,
    cpSpeakersLeft,
    cpSpeakersRight,
    cpNoRDS = 41,
    cpHasRDS,
};

// Properties 0 to 42 exist; higher bits of a property set select nothing.
inline constexpr int ChannelPropertyCount = 43;

constexpr quint64 PropertyBit(TChannelProperty property) {
    return quint64(1) << int(property);
}

// Every bit that selects something.
inline constexpr quint64 AllPropertiesMask = (quint64(1) << ChannelPropertyCount) - 1;

// The properties that a sub-channel (a further audio track) can contribute to its main
// channel: the audio formats and the language.
inline constexpr quint64 SubChannelPropertiesMask =
    PropertyBit(cpAudioMPEG) | PropertyBit(cpAudioAC3) | PropertyBit(cpAudioAAC) |
    PropertyBit(cpAudioAES3) | PropertyBit(cpLanguage);

// Caption of the check box that selects cpLanguage.
inline constexpr QLatin1String LanguagePropertyCaption{"Has Language:"};

struct TChannelPropertyItem {
    QLatin1String Caption;
    TChannelProperty Property;
};

struct TChannelPropertyHeading {
    QLatin1String Caption;
    std::span<const TChannelPropertyItem> Items;
    bool InitiallyExpanded;
};

// The ten headings with their items, in the order in which the window shows them.
std::span<const TChannelPropertyHeading> ChannelPropertyCatalogue();

#pragma once

// The byte layout of a channel file: a 7-byte header followed by 132-byte records, packed,
// little-endian. Records are copied byte for byte, so every field that the program does not
// edit goes back to the file exactly as it was read.

#include <QtGlobal>

#include <cstddef>

#pragma pack(push, 1)

struct THeader {
    quint8 IDLength;
    char ID[4];
    quint8 VersionHi;
    quint8 VersionLo;
};

// Byte 0 is the length, bytes 1 to 25 the text; bytes after the text may carry the
// overflow of a long channel name.
struct ShortString25 {
    quint8 Len;
    quint8 Chars[25];
};

struct TTuner {
    quint8 TunerType;
    quint8 ChannelGroup;
    quint8 SatModulationSystem;
    quint8 Flags;
    quint32 Frequency;
    quint32 Symbolrate;
    quint16 LNB_LOF;
    quint16 PMT_PID;
    quint8 Volume;
    quint8 Reserved1;
    quint8 SatModulation;
    quint8 AVFormat;
    quint8 FEC;
    quint8 AudioChannel;
    quint16 Reserved3;
    quint8 Polarity;
    quint8 Reserved4;
    quint16 OrbitalPos;
    quint8 Tone;
    quint8 EPGFlags;
    quint16 DiSEqCExt;
    quint8 DiSEqC;
    char Language[3];
    quint16 Audio_PID;
    quint16 Substream;
    quint16 Video_PID;
    quint16 TransportStream_ID;
    quint16 Teletext_PID;
    quint16 OriginalNetwork_ID;
    quint16 Service_ID;
    quint16 PCR_PID;
};

struct TChannelRec {
    TTuner TunerData;
    ShortString25 Root;
    ShortString25 ChannelName;
    ShortString25 Category;
    quint8 Encrypted;
    quint8 Reserved10;
};

#pragma pack(pop)

static_assert(sizeof(THeader) == 7);
static_assert(sizeof(ShortString25) == 26);
static_assert(sizeof(TTuner) == 52);
static_assert(sizeof(TChannelRec) == 132);

static_assert(offsetof(THeader, ID) == 1);
static_assert(offsetof(THeader, VersionHi) == 5);
static_assert(offsetof(THeader, VersionLo) == 6);

static_assert(offsetof(TTuner, Flags) == 3);
static_assert(offsetof(TTuner, Frequency) == 4);
static_assert(offsetof(TTuner, Symbolrate) == 8);
static_assert(offsetof(TTuner, LNB_LOF) == 12);
static_assert(offsetof(TTuner, PMT_PID) == 14);
static_assert(offsetof(TTuner, Volume) == 16);
static_assert(offsetof(TTuner, SatModulation) == 18);
static_assert(offsetof(TTuner, AVFormat) == 19);
static_assert(offsetof(TTuner, FEC) == 20);
static_assert(offsetof(TTuner, AudioChannel) == 21);
static_assert(offsetof(TTuner, Reserved3) == 22);
static_assert(offsetof(TTuner, Polarity) == 24);
static_assert(offsetof(TTuner, OrbitalPos) == 26);
static_assert(offsetof(TTuner, Tone) == 28);
static_assert(offsetof(TTuner, EPGFlags) == 29);
static_assert(offsetof(TTuner, DiSEqCExt) == 30);
static_assert(offsetof(TTuner, DiSEqC) == 32);
static_assert(offsetof(TTuner, Language) == 33);
static_assert(offsetof(TTuner, Audio_PID) == 36);
static_assert(offsetof(TTuner, Substream) == 38);
static_assert(offsetof(TTuner, Video_PID) == 40);
static_assert(offsetof(TTuner, TransportStream_ID) == 42);
static_assert(offsetof(TTuner, Teletext_PID) == 44);
static_assert(offsetof(TTuner, OriginalNetwork_ID) == 46);
static_assert(offsetof(TTuner, Service_ID) == 48);
static_assert(offsetof(TTuner, PCR_PID) == 50);

static_assert(offsetof(TChannelRec, Root) == 52);
static_assert(offsetof(TChannelRec, ChannelName) == 78);
static_assert(offsetof(TChannelRec, Category) == 104);
static_assert(offsetof(TChannelRec, Encrypted) == 130);
static_assert(offsetof(TChannelRec, Reserved10) == 131);

inline constexpr int HeaderSize = 7;
inline constexpr int ChannelRecSize = 132;
// Bytes of text a ShortString25 holds.
inline constexpr int ShortStringCapacity = 25;
// The longest channel name: 25 bytes of its own field plus 24 spare bytes in root and
// category each.
inline constexpr int MaxChannelNameBytes = 73;
inline constexpr char ChannelFileID[] = "B2C2";

// TunerType values.
enum TTunerType : quint8 {
    ttCable = 0,
    ttSatellite = 1,
    ttTerrestrial = 2,
    ttATSC = 3,
    ttIPTV = 4,
    ttStream = 5,
};

// Flags bits.
inline constexpr quint8 flEncrypted = 0x01;
inline constexpr quint8 flNoAutoUpdate = 0x02;
inline constexpr quint8 flRDS = 0x04;
inline constexpr quint8 flVideo = 0x08;
inline constexpr quint8 flUninterpreted = 0x70;
inline constexpr quint8 flSubChannel = 0x80;

// EPGFlags bits: a set bit forbids that programme-guide source.
inline constexpr quint8 epgNoDVB = 0x01;
inline constexpr quint8 epgNoMHW = 0x02;
inline constexpr quint8 epgNoExternal = 0x04;

// SatModulation bit fields.
inline constexpr quint8 smModulationMask = 0x03;
inline constexpr quint8 smSecondGeneration = 0x04;
inline constexpr quint8 smRollOffMask = 0x18;
inline constexpr int smRollOffShift = 3;
inline constexpr quint8 smInversionMask = 0x60;
inline constexpr int smInversionShift = 5;
inline constexpr quint8 smPilot = 0x80;

// AVFormat: audio format in the low 4 bits, video format in the high 4 bits.
enum TAudioFormat : quint8 { afMPEG = 0, afAC3 = 1, afAAC = 2, afAES3 = 3 };
enum TVideoFormat : quint8 { vfMPEG2 = 0, vfH264 = 1, vfH265 = 2 };
inline constexpr quint8 AudioFormatOf(quint8 avFormat) {
    return avFormat & 0x0F;
}
inline constexpr quint8 VideoFormatOf(quint8 avFormat) {
    return avFormat >> 4;
}

// AudioChannel values.
enum TSpeakers : quint8 { spStereo = 0, spLeft = 1, spRight = 2 };

#include "channels/UChannelInfo.h"

#include "channels/UChannel.h"

#include <QLocale>
#include <QString>

#include <array>

namespace {

using namespace Qt::StringLiterals;

// --- Property catalogue -------------------------------------------------------------------

constexpr TChannelPropertyItem TVRadioItems[] = {
    {QLatin1String("Encrypted"), cpEncrypted},
    {QLatin1String("FTA"), cpFTA},
    {QLatin1String("Radio"), cpRadio},
    {QLatin1String("TV"), cpTV},
};
constexpr TChannelPropertyItem VideoItems[] = {
    {QLatin1String("MPEG2"), cpVideoMPEG2},
    {QLatin1String("H.264"), cpVideoH264},
    {QLatin1String("H.265 (HEVC)"), cpVideoH265},
};
constexpr TChannelPropertyItem AudioItems[] = {
    {QLatin1String("MPEG"), cpAudioMPEG},
    {QLatin1String("AC3"), cpAudioAC3},
    {QLatin1String("AAC"), cpAudioAAC},
    {QLatin1String("AES3"), cpAudioAES3},
};
constexpr TChannelPropertyItem TunerItems[] = {
    {QLatin1String("Cable (DVB-C/C2)"), cpCable},
    {QLatin1String("Satellite (DVB-S/S2)"), cpSatellite},
    {QLatin1String("Terrestial (DVB-T/T2)"), cpTerrestrial},
    {QLatin1String("ATSC"), cpATSC},
    {QLatin1String("IPTV"), cpIPTV},
    {QLatin1String("Stream (URL, DVBViewer GE)"), cpStream},
};
constexpr TChannelPropertyItem ModulationItems[] = {
    {QLatin1String("DVB-C/S/T"), cpFirstGeneration},
    {QLatin1String("DVB-C2/S2/T2"), cpSecondGeneration},
};
constexpr TChannelPropertyItem GroupItems[] = {
    {QLatin1String("A"), cpGroupA}, {QLatin1String("B"), cpGroupB}, {QLatin1String("C"), cpGroupC},
    {QLatin1String("D"), cpGroupD}, {QLatin1String("E"), cpGroupE}, {QLatin1String("F"), cpGroupF},
    {QLatin1String("G"), cpGroupG}, {QLatin1String("H"), cpGroupH},
};
constexpr TChannelPropertyItem EPGItems[] = {
    {QLatin1String("DVB EPG is forbidden"), cpForbidDVBEPG},
    {QLatin1String("MHW(+) EPG is forbidden"), cpForbidMHWEPG},
    {QLatin1String("External EPG is forbidden"), cpForbidExternalEPG},
    {QLatin1String("Future bit3 EPG is forbidden"), cpForbidFutureBit3EPG},
    {QLatin1String("Future bit4 EPG is forbidden"), cpForbidFutureBit4EPG},
    {QLatin1String("Future bit5 EPG is forbidden"), cpForbidFutureBit5EPG},
    {QLatin1String("Future bit6 EPG is forbidden"), cpForbidFutureBit6EPG},
    {QLatin1String("Future bit7 EPG is forbidden"), cpForbidFutureBit7EPG},
};
constexpr TChannelPropertyItem AutoUpdateItems[] = {
    {QLatin1String("Off"), cpAutoUpdateOff},
    {QLatin1String("On"), cpAutoUpdateOn},
};
constexpr TChannelPropertyItem SpeakerItems[] = {
    {QLatin1String("Stereo"), cpSpeakersStereo},
    {QLatin1String("Left"), cpSpeakersLeft},
    {QLatin1String("Right"), cpSpeakersRight},
};
constexpr TChannelPropertyItem RDSItems[] = {
    {QLatin1String("No"), cpNoRDS},
    {QLatin1String("Yes"), cpHasRDS},
};

constexpr TChannelPropertyHeading Catalogue[] = {
    {QLatin1String("TV/Radio"), TVRadioItems, true},
    {QLatin1String("Video"), VideoItems, true},
    {QLatin1String("Has audio track of type"), AudioItems, true},
    {QLatin1String("Tuner Type"), TunerItems, true},
    {QLatin1String("Modulation"), ModulationItems, true},
    {QLatin1String("Channel Group"), GroupItems, false},
    {QLatin1String("EPG Reception"), EPGItems, false},
    {QLatin1String("Auto Update (DVBViewer 5.6.0+)"), AutoUpdateItems, false},
    {QLatin1String("Speakers (Default audio track)"), SpeakerItems, false},
    {QLatin1String("Has RDS (Radio Data System)"), RDSItems, false},
};

constexpr quint64 CatalogueMask() {
    quint64 mask = 0;
    for (const TChannelPropertyHeading& heading : Catalogue)
        for (const TChannelPropertyItem& item : heading.Items)
            mask |= PropertyBit(item.Property);
    return mask;
}
// Every property but the language has exactly one item in the tree.
static_assert(CatalogueMask() == (AllPropertiesMask & ~PropertyBit(cpLanguage)));

} // namespace

std::span<const TChannelPropertyHeading> ChannelPropertyCatalogue() {
    return Catalogue;
}

namespace {

// Every item but the language one appears exactly once.
constexpr int CatalogueItemCount() {
    int count = 0;
    for (const TChannelPropertyHeading& heading : Catalogue)
        count += int(heading.Items.size());
    return count;
}
static_assert(CatalogueItemCount() == ChannelPropertyCount - 1);

// --- Property test ------------------------------------------------------------------------

// The properties the channel has, one bit each, except the language, which needs the text
// to compare with. Each of the groups that HasAProperty offers contributes at most one bit.
quint64 PropertyBitsOf(const TChannel& channel) {
    const TTuner& t = channel.Rec.TunerData;
    quint64 bits = 0;
    if (t.ChannelGroup <= cpGroupH)
        bits |= quint64(1) << t.ChannelGroup;
    bits |= PropertyBit(channel.IsEncrypted() ? cpEncrypted : cpFTA);
    bits |= PropertyBit(channel.IsVideo() ? cpTV : cpRadio);
    if (t.TunerType <= ttStream)
        bits |= quint64(1) << (cpCable + t.TunerType);
    const quint8 audio = AudioFormatOf(t.AVFormat);
    if (audio <= afAES3)
        bits |= quint64(1) << (cpAudioMPEG + audio);
    const quint8 video = VideoFormatOf(t.AVFormat);
    if (channel.IsVideo() && video <= vfH265)
        bits |= quint64(1) << (cpVideoMPEG2 + video);
    bits |= quint64(t.EPGFlags) << cpForbidDVBEPG;
    bits |= PropertyBit((t.SatModulation & smSecondGeneration) ? cpSecondGeneration
                                                               : cpFirstGeneration);
    bits |= PropertyBit(channel.IsAutoUpdate() ? cpAutoUpdateOn : cpAutoUpdateOff);
    if (t.AudioChannel <= spRight)
        bits |= quint64(1) << (cpSpeakersStereo + t.AudioChannel);
    bits |= PropertyBit(channel.HasRDS() ? cpHasRDS : cpNoRDS);
    return bits;
}

constexpr char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

// Language codes are compared with only A to Z folded: a locale-aware or full Unicode fold
// would be slow over a large list and could match codes the viewer tells apart.
bool SameLanguage(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i].unicode()) != AsciiUpper(b[i].unicode()))
            return false;
    return true;
}

// Codes are ASCII in practice, and every ANSI code page agrees with ASCII there, so the
// bytes are compared as they stand and the converter is needed only for the rare other
// byte; the test then costs no allocation per channel.
bool HasLanguage(const TChannel& channel, QStringView lang) {
    const char* code = channel.Rec.TunerData.Language;
    qsizetype length = 0;
    while (length < qsizetype(sizeof channel.Rec.TunerData.Language) && code[length] != 0) {
        if (static_cast<unsigned char>(code[length]) >= 0x80)
            return SameLanguage(lang, channel.Language());
        ++length;
    }
    if (lang.size() != length)
        return false;
    for (qsizetype i = 0; i < length; ++i)
        if (AsciiUpper(lang[i].unicode()) != AsciiUpper(char16_t(code[i])))
            return false;
    return true;
}

} // namespace

bool TChannel::HasAProperty(quint64 Checks, const QString& Lang) const {
    if ((Checks & PropertyBitsOf(*this)) != 0)
        return true;
    return (Checks & PropertyBit(cpLanguage)) != 0 && HasLanguage(*this, Lang);
}

// --- Description --------------------------------------------------------------------------

namespace {

// Text of a code from a table; codes past its end get the fallback.
template <std::size_t N>
QLatin1String Decode(const QLatin1String (&table)[N], unsigned code,
                     QLatin1String fallback = QLatin1String("Unknown")) {
    return code < N ? table[code] : fallback;
}

constexpr QLatin1String TunerTexts[] = {
    QLatin1String("DVB-C"), QLatin1String("DVB-S"), QLatin1String("DVB-T"),
    QLatin1String("ATSC"),  QLatin1String("IPTV"),  QLatin1String("Stream (URL, DVBViewer GE)"),
};
constexpr QLatin1String AudioTexts[] = {QLatin1String("MPEG"), QLatin1String("AC3"),
                                        QLatin1String("AAC"), QLatin1String("AES3")};
constexpr QLatin1String VideoTexts[] = {QLatin1String("MPEG2"), QLatin1String("H.264"),
                                        QLatin1String("H.265 (HEVC)")};
constexpr QLatin1String FECTexts[] = {
    QLatin1String("Auto"), QLatin1String("1/2"),  QLatin1String("2/3"), QLatin1String("3/4"),
    QLatin1String("5/6"),  QLatin1String("7/8"),  QLatin1String("8/9"), QLatin1String("3/5"),
    QLatin1String("4/5"),  QLatin1String("9/10"),
};
constexpr QLatin1String SpeakerTexts[] = {QLatin1String("Stereo"), QLatin1String("Left"),
                                          QLatin1String("Right")};
constexpr QLatin1String CableModulationTexts[] = {
    QLatin1String("Auto"),  QLatin1String("16QAM"),  QLatin1String("32QAM"),
    QLatin1String("64QAM"), QLatin1String("128QAM"), QLatin1String("256QAM"),
};
constexpr QLatin1String PolarisationTexts[] = {
    QLatin1String("horizontal"), QLatin1String("vertical"), QLatin1String("circular left"),
    QLatin1String("circular right")};
constexpr int BandwidthMHz[] = {6, 7, 8};
constexpr QLatin1String ToneTexts[] = {QLatin1String("off"), QLatin1String("22 kHz")};
constexpr QLatin1String DiSEqCTexts[] = {
    QLatin1String("None"),
    QLatin1String("Pos A (mostly translated to PosA/OptA)"),
    QLatin1String("Pos B (mostly translated to PosB/OptA)"),
    QLatin1String("PosA/OptA"),
    QLatin1String("PosB/OptA"),
    QLatin1String("PosA/OptB"),
    QLatin1String("PosB/OptB"),
    QLatin1String("Preset Position (DiSEqC 1.2, see DiSEqCExt)"),
    QLatin1String("Angular Position (DiSEqC 1.2, see DiSEqCExt)"),
    QLatin1String("DiSEqC Command Sequence (see DiSEqCExt)"),
};
constexpr QLatin1String ModulationTexts[] = {QLatin1String("Auto"), QLatin1String("QPSK"),
                                             QLatin1String("8PSK"), QLatin1String("16QAM")};
constexpr QLatin1String RollOffTexts[] = {QLatin1String("0.35"), QLatin1String("0.25"),
                                          QLatin1String("0.20"), QLatin1String("reserved")};
constexpr QLatin1String InversionTexts[] = {QLatin1String("undefined"), QLatin1String("auto"),
                                            QLatin1String("normal"), QLatin1String("inverted")};

QString Bits(quint8 value) {
    QString text(9, u'0');
    for (int i = 0; i < 8; ++i)
        if (value & (0x80 >> i))
            text[i] = u'1';
    text[8] = u'b';
    return text;
}

QLatin1String Boolean(bool value) {
    return value ? QLatin1String("True") : QLatin1String("False");
}

QString Number(qint64 value) {
    return QString::number(value);
}

// All 26 bytes of a name field, the length byte first, whatever it says.
QString FieldBytes(const ShortString25& field) {
    const auto* bytes = reinterpret_cast<const quint8*>(&field);
    QString text;
    text.reserve(int(sizeof field) * 4);
    for (std::size_t i = 0; i < sizeof field; ++i) {
        if (i > 0)
            text += u',';
        text += QString::number(bytes[i]);
    }
    return text;
}

// Tenths of a degree as the viewer's users read them: fixed notation with one decimal
// rounded to four significant digits, and the system's decimal separator.
QString OrbitalPosition(quint16 tenths) {
    unsigned value = tenths;
    // From 1000.0 degrees on, four significant digits leave no room for the tenth.
    if (value >= 10000)
        value = (value + 5) / 10 * 10;
    return QString::number(value / 10) + QLocale::system().decimalPoint() +
           QString::number(value % 10) + u'\u00BA';
}

// The channel ID of the description's first line: bit fields that may overlap and wrap
// around, summed as the viewer's users know the number.
qint64 DescriptionID(const TChannel& channel) {
    const TTuner& t = channel.Rec.TunerData;
    const quint64 kind = channel.IsVideo() ? 1 : 2;
    const quint64 sum = (kind << 61) + (quint64(t.OrbitalPos) << 48) +
                        (quint64(t.TransportStream_ID) << 32) + ((quint64(t.TunerType) + 1) << 29) +
                        (quint64(t.Audio_PID) << 16) + t.Service_ID;
    return static_cast<qint64>(sum);
}

class TLines {
public:
    void Add(const QString& line) {
        FText += line;
        FText += QLatin1String("\r\n");
    }
    void AddIfNotEmpty(const QString& line) {
        if (!line.isEmpty())
            Add(line);
    }
    QString Text() const { return FText; }

private:
    QString FText;
};

QString FrequencyLine(const TChannel& channel) {
    const TTuner& t = channel.Rec.TunerData;
    const QString n = Number(t.Frequency);
    switch (t.TunerType) {
    case ttCable:
    case ttTerrestrial:
    case ttATSC:
        return u"Frequency="_s + n + u" kHz"_s;
    case ttSatellite:
        return u"Frequency="_s + n + (t.Frequency < 1000000 ? u" MHz"_s : u" kHz"_s);
    case ttIPTV:
        return u"IP="_s + n + u'=' + channel.IPText();
    case ttStream:
        return {};
    default:
        return u"Frequency="_s + n;
    }
}

QString SymbolrateLine(const TTuner& t) {
    const QString n = Number(t.Symbolrate);
    switch (t.TunerType) {
    case ttCable:
    case ttSatellite:
        return u"Symbolrate="_s + n + u" kSym/s"_s;
    case ttIPTV:
        return u"Port="_s + n;
    case ttStream:
        return {};
    default:
        return u"Symbolrate="_s + n;
    }
}

QString LNBLine(const TTuner& t) {
    switch (t.TunerType) {
    case ttIPTV:
        return u"Source IP.Byte0="_s + Number(t.LNB_LOF & 0xFF) + u" Source IP.Byte1="_s +
               Number(t.LNB_LOF >> 8);
    case ttStream:
        return {};
    default:
        return u"LNB_LOF="_s + Number(t.LNB_LOF);
    }
}

QString PolarityLine(const TTuner& t) {
    switch (t.TunerType) {
    case ttCable:
        return u"Modulation="_s + Decode(CableModulationTexts, t.Polarity);
    case ttSatellite:
        return u"Polarity="_s + Decode(PolarisationTexts, t.Polarity);
    case ttTerrestrial: {
        const int mhz =
            std::size_t(t.Polarity) < std::size(BandwidthMHz) ? BandwidthMHz[t.Polarity] : 0;
        return u"Bandwidth="_s + Number(mhz) + u" MHz"_s;
    }
    case ttIPTV:
        return u"Source IP.Byte3="_s + Number(t.Polarity);
    default:
        return {};
    }
}

QString FECLine(const TTuner& t) {
    switch (t.TunerType) {
    case ttSatellite:
        return u"FEC="_s + Decode(FECTexts, t.FEC);
    case ttIPTV:
        return u"Source IP.Byte2="_s + Number(t.FEC);
    default:
        return {};
    }
}

} // namespace

QString TChannel::AllInfo() const {
    const TTuner& t = Rec.TunerData;
    const quint8 m = t.SatModulation;
    const bool secondGeneration = (m & smSecondGeneration) != 0;
    const bool isS2 = secondGeneration && t.TunerType == ttSatellite;
    const bool isT2 = secondGeneration && t.TunerType == ttTerrestrial;

    TLines lines;
    lines.Add(u"ID="_s + Number(DescriptionID(*this)) + u'|' + Name());
    lines.Add(u"Category="_s + Category());
    lines.Add(u"Root="_s + Root());

    QString tuner = Decode(TunerTexts, t.TunerType);
    if (secondGeneration && t.TunerType <= ttTerrestrial)
        tuner += u'2';
    lines.Add(u"TunerType="_s + tuner);
    lines.Add(u"Channel Group="_s +
              (t.ChannelGroup <= cpGroupH ? QChar(u'A' + t.ChannelGroup) : QChar(u'X')));
    lines.Add(u"Language="_s + Language());
    lines.Add(u"Audio="_s + Decode(AudioTexts, AudioFormatOf(t.AVFormat)));
    lines.Add(u"Video="_s + Decode(VideoTexts, VideoFormatOf(t.AVFormat)));

    lines.Add(u"EPGFlags="_s + Number(t.EPGFlags) + u'=' + Bits(t.EPGFlags));
    lines.Add(u"    Forbid DVB EPG="_s + Boolean(t.EPGFlags & epgNoDVB));
    lines.Add(u"    Forbid MHW EPG="_s + Boolean(t.EPGFlags & epgNoMHW));
    lines.Add(u"    Forbid External EPG="_s + Boolean(t.EPGFlags & epgNoExternal));

    lines.Add(u"EPGChannelID="_s + Number(EPGChannelID()));
    lines.Add(u"[NID-TID-SID-Tuner]="_s + NidTidSidTuner());

    lines.Add(u"TunerData.Flags="_s + Number(t.Flags) + u'=' + Bits(t.Flags));
    lines.Add(u"    IsEncrypted="_s + Boolean(IsEncrypted()));
    lines.Add(u"    IsAutoUpdate="_s + Boolean(IsAutoUpdate()));
    lines.Add(u"    IsVideo="_s + Boolean(IsVideo()));
    lines.Add(u"    Has RDS="_s + Boolean(HasRDS()));
    lines.Add(u"    IsSubChannel="_s + Boolean(IsSubChannel()));

    lines.AddIfNotEmpty(FrequencyLine(*this));
    lines.AddIfNotEmpty(SymbolrateLine(t));
    lines.AddIfNotEmpty(LNBLine(t));
    lines.Add(u"PMT_PID="_s + Number(t.PMT_PID));

    lines.Add(u"SatModulation="_s + Number(m) + u'=' + Bits(m));
    const unsigned modulation = m & smModulationMask;
    lines.Add(u"    Satellite Modulation="_s + (modulation == 3 && isS2
                                                    ? QLatin1String("APSK")
                                                    : Decode(ModulationTexts, modulation)));
    lines.Add(u"    Modulation System="_s +
              (secondGeneration ? QLatin1String("DVB-S2/T2/C2") : QLatin1String("DVB-S/T/C")));
    if (isS2)
        lines.Add(u"    roll-off="_s + Decode(RollOffTexts, (m & smRollOffMask) >> smRollOffShift));
    lines.Add(u"    spectral inversion="_s +
              Decode(InversionTexts, (m & smInversionMask) >> smInversionShift));
    const QLatin1String onOff = (m & smPilot) ? QLatin1String("on") : QLatin1String("off");
    if (isS2)
        lines.Add(u"    pilot symbols="_s + onOff);
    else if (isT2)
        lines.Add(u"    DVB-T2 Lite="_s + onOff);

    lines.Add(u"Volume="_s + Number(100 - int(t.Volume)) + u'%');
    lines.AddIfNotEmpty(PolarityLine(t));
    lines.AddIfNotEmpty(FECLine(t));
    lines.Add(u"Speakers="_s + Decode(SpeakerTexts, t.AudioChannel));
    if (t.TunerType == ttSatellite)
        lines.Add(u"OrbitalPos="_s +
                  (t.OrbitalPos == 0 ? u"undefined"_s : OrbitalPosition(t.OrbitalPos)));
    else
        lines.Add(u"OrbitalPos="_s + Number(t.OrbitalPos));
    lines.Add(u"Tone="_s + Decode(ToneTexts, t.Tone, QLatin1String("unknown")));

    const unsigned diseqc = qMin<unsigned>(t.DiSEqC, 10);
    lines.Add(u"DisEqC="_s + Number(diseqc) + u'=' +
              Decode(DiSEqCTexts, diseqc, QLatin1String("unknown")));
    QString diseqcExt = u"DiSEqCExt="_s + Number(t.DiSEqCExt);
    switch (t.DiSEqC) {
    case 7:
        diseqcExt += u" (Preset Position (DiSEqC 1.2))"_s;
        break;
    case 8:
        diseqcExt += u" (Orbital Position (DiSEqC 1.2, USALS, for calculating motor angle))"_s;
        break;
    case 9:
        diseqcExt += u" (Orbital Position referencing DiSEqC sequence defined in DiSEqC.xml/ini)"_s;
        break;
    default:
        break;
    }
    lines.Add(diseqcExt);

    lines.Add(u"Audio_PID="_s + Number(t.Audio_PID));
    QString substream = u"Substream="_s + Number(t.Substream);
    if (isT2)
        substream +=
            u"\r\n  DVB-T2: "_s +
            (t.Substream == 0 ? u"PLP_ID not set"_s : u"PLP_ID="_s + Number(t.Substream - 1));
    lines.Add(substream);
    lines.Add(u"Video_PID="_s + Number(t.Video_PID));
    lines.Add(u"TransportStream_ID="_s + Number(t.TransportStream_ID));
    lines.Add(u"Teletext_PID="_s + Number(t.Teletext_PID));
    lines.Add(u"OriginalNetwork_ID="_s + Number(t.OriginalNetwork_ID));
    lines.Add(u"Service_ID="_s + Number(t.Service_ID));
    lines.Add(u"PCR_PID="_s + Number(t.PCR_PID));

    lines.Add(u"RootBytes: "_s + FieldBytes(Rec.Root));
    lines.Add(u"CategoryBytes: "_s + FieldBytes(Rec.Category));
    lines.Add(u"ChannelNameBytes: "_s + FieldBytes(Rec.ChannelName));

    lines.Add(u"------------------ RESERVED:"_s);
    lines.Add(u"Reserved1="_s + Number(t.Reserved1));
    lines.Add(u"Reserved3="_s + Number(t.Reserved3));
    lines.Add(u"Reserved4="_s + Number(t.Reserved4));
    lines.Add(u"Reserved10="_s + Number(Rec.Reserved10));
    lines.Add(u"------------------ DEPRECATED:"_s);
    lines.Add(u"SatModulationSystem="_s + Number(t.SatModulationSystem));
    lines.Add(u"Encrypted="_s + Number(Rec.Encrypted) + u'=' + Bits(Rec.Encrypted));
    return lines.Text();
}

#include "main/UCsvExport.h"

#include "channels/UChannel.h"
#include "channels/UChannelRec.h"
#include "main/UChannelTreeModel.h"

#include <QStringList>

#include <array>

namespace CsvExport {

namespace {

constexpr std::array<QLatin1StringView, 18> HeaderNames = {
    QLatin1StringView("No"),
    QLatin1StringView("Name"),
    QLatin1StringView("Category"),
    QLatin1StringView("Root"),
    QLatin1StringView("Tuner Type"),
    QLatin1StringView("Frequency"),
    QLatin1StringView("Symbol Rate"),
    QLatin1StringView("Polarisation/Modulation"),
    QLatin1StringView("Orbital Position"),
    QLatin1StringView("NID"),
    QLatin1StringView("TID"),
    QLatin1StringView("SID"),
    QLatin1StringView("Audio PIDs"),
    QLatin1StringView("Video PID"),
    QLatin1StringView("Encrypted"),
    QLatin1StringView("Radio/TV"),
    QLatin1StringView("Group"),
    QLatin1StringView("Language"),
};

template <std::size_t N>
QString CodeText(const std::array<QLatin1StringView, N>& table, unsigned code) {
    return code < N ? QString(table[code]) : QStringLiteral("Unknown");
}

constexpr std::array<QLatin1StringView, 6> TunerTexts = {
    QLatin1StringView("DVB-C"), QLatin1StringView("DVB-S"),
    QLatin1StringView("DVB-T"), QLatin1StringView("ATSC"),
    QLatin1StringView("IPTV"),  QLatin1StringView("Stream (URL, DVBViewer GE)"),
};
constexpr std::array<QLatin1StringView, 6> CableModulationTexts = {
    QLatin1StringView("Auto"),  QLatin1StringView("16QAM"),  QLatin1StringView("32QAM"),
    QLatin1StringView("64QAM"), QLatin1StringView("128QAM"), QLatin1StringView("256QAM"),
};
constexpr std::array<QLatin1StringView, 4> PolarisationTexts = {
    QLatin1StringView("horizontal"),
    QLatin1StringView("vertical"),
    QLatin1StringView("circular left"),
    QLatin1StringView("circular right"),
};

QString TunerText(const TChannel& c) {
    QString text = CodeText(TunerTexts, c.Tuner());
    if (c.Modulation2())
        text += QLatin1Char('2');
    return text;
}

QString PolarityText(const TChannel& c) {
    const quint8 polarity = c.Rec.TunerData.Polarity;
    switch (c.Tuner()) {
    case ttCable:
        return CodeText(CableModulationTexts, polarity);
    case ttSatellite:
        return CodeText(PolarisationTexts, polarity);
    case ttTerrestrial: {
        static constexpr int Bandwidths[] = {6, 7, 8};
        return QString::number(polarity < 3 ? Bandwidths[polarity] : 0) + QStringLiteral(" MHz");
    }
    default:
        // ATSC and streams do not use the byte; for IPTV it is part of the source address.
        return QString();
    }
}

QString OrbitalText(const TChannel& c) {
    const quint16 position = c.Rec.TunerData.OrbitalPos;
    if (c.Tuner() != ttSatellite)
        return QString::number(position);
    if (position == 0)
        return QString();
    // Tenths of a degree; a point whatever the user's locale, as in every other number here.
    return QString::number(position / 10) + QLatin1Char('.') + QString::number(position % 10);
}

QString GroupText(const TChannel& c) {
    const quint8 group = c.Group();
    return group < 8 ? QString(QLatin1Char(char('A' + group))) : QStringLiteral("X");
}

bool NeedsQuotes(const QString& field) {
    for (QChar ch : field)
        if (ch == u',' || ch == u'"' || ch == u'\r' || ch == u'\n')
            return true;
    return false;
}

void AppendRow(QString& out, const QStringList& fields) {
    out += fields.join(QLatin1Char(','));
    out += QStringLiteral("\r\n");
}

QStringList Row(const TChannelTreeModel& tree, int row) {
    const TChannel& c = *tree.ChannelAt(row);
    const bool ip = c.Tuner() == ttIPTV;
    QStringList audio{QString::number(c.Rec.TunerData.Audio_PID)};
    for (const TChannel* track : tree.SubChannelsAt(row))
        audio << QString::number(track->Rec.TunerData.Audio_PID);
    const auto number = [](qint64 value) { return QString::number(value); };
    return {
        number(row),
        Field(c.Name(), true),
        Field(c.Category(), true),
        Field(c.Root(), true),
        Field(TunerText(c), true),
        ip ? c.IPText() : number(c.Rec.TunerData.Frequency),
        number(c.Rec.TunerData.Symbolrate),
        Field(PolarityText(c), true),
        OrbitalText(c),
        number(c.NID()),
        number(c.TID()),
        number(c.SID()),
        audio.join(QLatin1Char(' ')),
        number(c.Rec.TunerData.Video_PID),
        c.IsEncrypted() ? QStringLiteral("Yes") : QStringLiteral("No"),
        c.IsVideo() ? QStringLiteral("TV") : QStringLiteral("Radio"),
        GroupText(c),
        Field(c.Language(), true),
    };
}

} // namespace

QString Field(const QString& text, bool isText) {
    QString field = text;
    if (isText && !field.isEmpty()) {
        const QChar first = field.front();
        if (first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t' ||
            first == u'\r')
            field.prepend(QLatin1Char('\''));
    }
    if (!NeedsQuotes(field))
        return field;
    field.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

QByteArray ChannelsAsCsv(const TChannelTreeModel& tree, bool checkedOnly) {
    QString out;
    QStringList header;
    for (QLatin1StringView name : HeaderNames)
        header << QString(name);
    AppendRow(out, header);
    for (int row = 0; row < tree.TopCount(); ++row)
        if (!checkedOnly || tree.IsNodeChecked(row))
            AppendRow(out, Row(tree, row));
    return QByteArrayLiteral("\xEF\xBB\xBF") + out.toUtf8();
}

} // namespace CsvExport

#include "main/UInformation.h"

#include "channels/UChannel.h"
#include "channels/UChannels.h"
#include "help/UTextInfo.h"
#include "main/UChannelTreeModel.h"
#include "settings/USettings.h"

#include <array>

namespace {

const QString CRLF = QStringLiteral("\r\n");

struct TCounts {
    int Main = 0;
    int Encrypted = 0;
    int Sub = 0;
    int TV = 0;
    int Radio = 0;
    // By tuner type 0..5, and the second generation of types 0..2.
    std::array<int, 6> ByTuner{};
    std::array<int, 3> SecondGeneration{};
};

TCounts CountTree(const TChannelTreeModel& tree) {
    TCounts counts;
    counts.Main = tree.TopCount();
    for (int row = 0; row < tree.TopCount(); ++row) {
        const TChannel* c = tree.ChannelAt(row);
        counts.Sub += static_cast<int>(tree.SubChannelsAt(row).size());
        if (c->IsEncrypted())
            ++counts.Encrypted;
        if (c->IsVideo())
            ++counts.TV;
        else
            ++counts.Radio;
        const int tuner = c->Tuner();
        if (tuner < static_cast<int>(counts.ByTuner.size()))
            ++counts.ByTuner[static_cast<size_t>(tuner)];
        if (tuner < static_cast<int>(counts.SecondGeneration.size()) && c->Modulation2())
            ++counts.SecondGeneration[static_cast<size_t>(tuner)];
    }
    return counts;
}

} // namespace

std::vector<TInfoRun> InformationRuns(const TChannels& channels, const TChannelTreeModel& tree,
                                      const QString& fileName) {
    const QColor black(Qt::black);
    const QColor red(Qt::red);
    const QColor blue(Qt::blue);
    std::vector<TInfoRun> runs;
    auto add = [&runs](const QString& text, const QColor& color, bool bold) {
        runs.push_back({text, color, bold});
    };
    auto number = [](int n) { return QString::number(n); };

    add(QStringLiteral("Orvane ") + QLatin1String(OrvaneVersion) + CRLF, black, true);
    if (tree.IsEmpty()) {
        add(CRLF + QStringLiteral("File: <no channels>") + CRLF + CRLF, black, false);
        return runs;
    }
    add(CRLF + QStringLiteral("File: ") + fileName + CRLF + CRLF, black, false);

    add(QStringLiteral("File ID: "), black, false);
    add(channels.ID() + QLatin1Char('\t'), red, true);
    add(QStringLiteral("File Version: "), black, false);
    add(channels.Version() + CRLF + CRLF, blue, true);

    const TCounts counts = CountTree(tree);
    add(QStringLiteral("Main channels = ") + number(counts.Main) + CRLF +
            QStringLiteral("Encrypted Main channels = ") + number(counts.Encrypted) + CRLF +
            QStringLiteral("Sub channels = ") + number(counts.Sub) + CRLF + CRLF +
            QStringLiteral("TV channels = ") + number(counts.TV) + CRLF +
            QStringLiteral("Radio channels = ") + number(counts.Radio) + CRLF + CRLF,
        black, false);

    static constexpr const char* TotalLabels[3] = {
        "DVB-C (total):   ", "DVB-S (total):   ", "DVB-T (total):   "};
    static constexpr const char* SecondLabels[3] = {"DVB-C2:   ", "DVB-S2:   ", "DVB-T2:   "};
    for (size_t t = 0; t < 3; ++t) {
        add(QLatin1String(TotalLabels[t]), blue, true);
        add(number(counts.ByTuner[t]) + QLatin1Char('\t'), black, false);
        add(QLatin1String(SecondLabels[t]), red, true);
        add(number(counts.SecondGeneration[t]) + CRLF, black, false);
    }
    static constexpr const char* OtherLabels[3] = {"ATSC:   ", "IPTV:   ", "Stream:   "};
    for (size_t t = 0; t < 3; ++t) {
        add(QLatin1String(OtherLabels[t]), blue, true);
        add(number(counts.ByTuner[t + 3]) + CRLF, black, false);
    }
    return runs;
}

void FillInformation(TfrmInfo& window, const std::vector<TInfoRun>& runs) {
    window.SetTabStops({150.0});
    for (const TInfoRun& run : runs)
        window.AddText(run.Text, run.Color, run.Bold);
}

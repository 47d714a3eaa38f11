// Writes the seed corpora of the fuzz targets: small valid inputs of every kind the readers
// take, plus a few damaged ones, so that a run starts from the formats' real shapes.
//   orvane-fuzz-seeds <seeds folder>

#include "channels/UChannel.h"
#include "channels/UChannelRec.h"
#include "channels/UChannelUtils.h"
#include "channels/UChannels.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdio>
#include <cstring>

namespace {

QString g_root;

void Write(const char* target, const char* name, const QByteArray& bytes) {
    const QString folder = g_root + u'/' + QLatin1String(target);
    QDir().mkpath(folder);
    QFile file(folder + u'/' + QLatin1String(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s/%s\n", target, name);
}

QByteArray Header(const char* id = "B2C2") {
    THeader header{};
    header.IDLength = 4;
    std::memcpy(header.ID, id, 4);
    header.VersionHi = 1;
    header.VersionLo = 7;
    return QByteArray(reinterpret_cast<const char*>(&header), HeaderSize);
}

TChannel Make(const char* root, const char* category, const char* name, quint8 tuner, quint8 flags,
              quint16 sid) {
    TChannel c;
    c.Rec.TunerData.TunerType = tuner;
    c.Rec.TunerData.Flags = flags;
    c.Rec.TunerData.Service_ID = sid;
    c.Rec.TunerData.TransportStream_ID = 1000;
    c.Rec.TunerData.OriginalNetwork_ID = 1;
    c.Rec.TunerData.Frequency = 11362;
    c.Rec.TunerData.Symbolrate = 22000;
    c.Rec.TunerData.AVFormat = 0x11;
    std::memcpy(c.Rec.TunerData.Language, "deu", 3);
    c.SetRoot(QString::fromUtf8(root));
    c.SetCategory(QString::fromUtf8(category));
    c.SetName(QString::fromUtf8(name));
    return c;
}

QByteArray File(const QList<TChannel>& channels, const QByteArray& header = Header()) {
    QByteArray image = header;
    for (const TChannel& c : channels)
        image += c.ToBytes();
    return image;
}

void ChannelSeeds() {
    SetNameCodePageProvider([] { return 1252; });
    const TChannel tv = Make("Astra 19.2E", "TV", "Das Erste HD", ttSatellite, flVideo, 10301);
    const TChannel audio =
        Make("Astra 19.2E", "TV", "Das Erste HD eng", ttSatellite, flSubChannel, 10301);
    const TChannel radio = Make("Astra 19.2E", "Radio", "Bayern 3", ttSatellite, flRDS, 28400);
    TChannel iptv = Make("IPTV", "News", "Stream One", ttIPTV, flVideo | flEncrypted, 7);
    iptv.SetIPInt(0x0100A8C0);
    iptv.SetIPPort(1234);
    const TChannel longName =
        Make("Cable", "Sport", "A channel name far longer than one field holds", ttCable,
             flVideo | flNoAutoUpdate, 55);
    Write("fuzz_channelfile", "list.dat", File({tv, audio, radio, iptv, longName}));
    Write("fuzz_channelfile", "one.dat", File({radio}));
    Write("fuzz_channelfile", "header-only.dat", Header());
    Write("fuzz_channelfile", "wrong-id.dat", File({tv}, Header("XXXX")));
    Write("fuzz_channelfile", "truncated.dat", File({tv, audio}).left(HeaderSize + 200));

    SetNameCodePageProvider([] { return 1251; });
    const TChannel cyrillic = Make("Спутник", "Новости", "Первый канал", ttSatellite, flVideo, 1);
    Write("fuzz_channelfile", "cyrillic.dat", File({cyrillic}));
    SetNameCodePageProvider([] { return 65001; });
    const TChannel utf8 = Make("衛星", "ニュース", "テレビ東京", ttTerrestrial, flVideo, 2);
    Write("fuzz_channelfile", "utf8.dat", File({utf8}));
}

void SettingsSeeds() {
    Write("fuzz_settings", "defaults.ini",
          QByteArrayLiteral("\xEF\xBB\xBF[Orvane]\r\nVersion=0.3.0.0\r\nPathMode=2\r\n"
                            "DVBViewerDataFolder=/data/DVBViewer/\r\n"
                            "DefaultWorkFolder=/data/work/\r\nConfirmSaveDVBViewer=1\r\n"
                            "ChannelSeparator=\"   \xE2\x80\xA2   \"\r\n"
                            "RootSeparator=\"   >>>>>>\"\r\nForcedCodePage=-1\r\n"
                            "frmMainLeft=$32\r\nfrmMainTop=0x40\r\n\r\n"
                            "[Other]\r\nKept=yes\r\nno equals sign here\r\n\r\n"));
    Write("fuzz_settings", "odd.ini",
          QByteArrayLiteral("; comment\nstray=line\n[orvane]\n PathMode = 7 \n"
                            "ChannelSeparator=no quotes\nRootSeparator=\"\"\"\n"
                            "frmGoToVisible=-3\nCodepageIndex=abc\n[Orvane]\nPathMode=1\n"));
    Write("fuzz_settings", "empty.ini", QByteArray());
}

void RtfSeeds() {
    Write("fuzz_rtf", "page.rtf",
          QByteArrayLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}"
                            "{\\colortbl ;\\red255\\green0\\blue0;}\\uc1\\pard\\qc\\fs28\\b "
                            "Help\\b0\\par\\pard\\li360\\fi-360\\tx720\\cf1 red\\cf0\\tab "
                            "\\i x\\i0\\ul y\\ulnone\\line caf\\'e9 \\u8364?\\par}"));
    Write("fuzz_rtf", "cyrillic.rtf",
          QByteArrayLiteral("{\\rtf1\\ansi\\ansicpg1251{\\*\\generator x;}\\'cf\\'f0\\'e8"
                            "\\emdash\\bullet\\~\\_\\{\\}\\\\\\par}"));
    Write("fuzz_rtf", "broken.rtf", QByteArrayLiteral("{\\rtf1{{{\\b\\fs-5 \\'4"));
}

void AutomationSeeds() {
    Write("fuzz_automationreply", "folder.json",
          QByteArrayLiteral("{\"result\":\"/data/DVBViewer/\"}"));
    QByteArray row = "[1";
    for (int i = 1; i < 27; ++i)
        row += ',' + QByteArray::number(i * 7);
    row += ']';
    Write("fuzz_automationreply", "table.json", "{\"count\":2,\"rows\":[" + row + ',' + row + "]}");
    Write("fuzz_automationreply", "tuned.json", QByteArrayLiteral("{\"result\":true}"));
    Write("fuzz_automationreply", "error.json", QByteArrayLiteral("{\"error\":\"busy\"}"));
    Write("fuzz_automationreply", "short-row.json",
          QByteArrayLiteral("{\"count\":1,\"rows\":[[1,2.5,-3e40]]}"));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvane-fuzz-seeds <seeds folder>\n");
        return 2;
    }
    g_root = QString::fromLocal8Bit(argv[1]);
    ChannelSeeds();
    SettingsSeeds();
    RtfSeeds();
    AutomationSeeds();
    return 0;
}

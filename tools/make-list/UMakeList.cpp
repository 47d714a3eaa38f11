#include "UMakeList.h"

#include "channels/UChannel.h"
#include "channels/UChannelRec.h"
#include "channels/UChannelUtils.h"
#include "platform/UAtomicFile.h"
#include "platform/UCodePages.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

// Latin names are written in 1252 whatever the user's locale, so that a seed always gives
// the same bytes.
constexpr int LatinCodePage = 1252;

struct TProvider {
    const char* Category; // UTF-8
    int CodePage;
    const char* Language;
    int EncryptedPercent;
    int RadioPercent;
    std::vector<const char*> Tv;
    std::vector<const char*> Radio;
    // Names longer than one name field; they live partly in the tails of root and category.
    std::vector<const char*> Long;
};

struct TRoot {
    const char* Name;
    quint8 Tuner;
    int SharePercent;
    quint16 OrbitalPos;
    quint16 NID;
    quint8 DiSEqC;
    quint16 FirstTID;
    std::vector<TProvider> Providers;
};

const std::vector<TRoot>& Roots() {
    static const std::vector<TRoot> roots = {
        {"Astra 19.2E",
         ttSatellite,
         34,
         192,
         1,
         3,
         1001,
         {
             {"ARD",
              LatinCodePage,
              "deu",
              0,
              45,
              {"Das Erste", "tagesschau24", "ONE", "arte", "phoenix", "KiKA", "BR Fernsehen Nord",
               "hr-fernsehen", "MDR Sachsen", "NDR FS HH", "rbb Berlin", "SWR BW", "WDR Köln",
               "SR Fernsehen", "ARD-alpha", "Radio Bremen TV"},
              {"Bayern 1", "Bayern 3", "hr3", "NDR 2", "SWR3", "WDR 2", "1LIVE", "Deutschlandfunk",
               "MDR JUMP", "radioeins", "BR-KLASSIK", "NDR Kultur", "Dlf Kultur"},
              {"SWR Fernsehen Baden-Württemberg HD", "Bayerisches Fernsehen Süd HD",
               "Mitteldeutscher Rundfunk Thüringen"}},
             {"ZDFvision",
              LatinCodePage,
              "deu",
              0,
              0,
              {"ZDF", "ZDFneo", "ZDFinfo", "3sat", "KiKA", "zdf_neo"},
              {},
              {"ZDF Zweites Deutsches Fernsehen HD"}},
             {"ProSiebenSat.1",
              LatinCodePage,
              "deu",
              10,
              0,
              {"ProSieben", "SAT.1", "kabel eins", "sixx", "ProSieben MAXX", "SAT.1 Gold",
               "kabel eins Doku", "Puls 4"},
              {},
              {"ProSieben Fun Serien und Filme"}},
             {"RTL World",
              LatinCodePage,
              "deu",
              5,
              0,
              {"RTL Television", "VOX", "RTLZWEI", "Super RTL", "NITRO", "n-tv", "RTLup",
               "TOGGO plus"},
              {},
              {"RTL Television Regional Nord"}},
             {"HD+",
              LatinCodePage,
              "deu",
              95,
              0,
              {"RTL HD", "VOX HD", "ProSieben HD", "SAT.1 HD", "kabel eins HD", "sixx HD",
               "Sport1 HD", "DMAX HD", "TLC HD", "Eurosport 1 HD"},
              {},
              {"Deutsches Musik Fernsehen Volksmusik HD"}},
             {"Sky Deutschland",
              LatinCodePage,
              "deu",
              100,
              0,
              {"Sky Cinema Premieren", "Sky Cinema Action", "Sky Atlantic", "Sky Sport News",
               "Sky One", "Sky Krimi", "Sky Comedy", "Sky Documentaries", "Sky Nature",
               "Sky Sport Bundesliga 1"},
              {},
              {"Sky Sport Bundesliga UHD Konferenz", "Sky Cinema Premieren +24 Stunden"}},
             {"ORF",
              LatinCodePage,
              "deu",
              80,
              30,
              {"ORF1", "ORF2", "ORF III", "ORF SPORT +", "ORF2 Europe"},
              {"Ö1", "Hitradio Ö3", "FM4", "Radio Wien"},
              {"ORF2 Kärnten Regionalprogramm"}},
             {"SRG SSR",
              LatinCodePage,
              "deu",
              100,
              20,
              {"SRF 1", "SRF zwei", "SRF info", "RSI LA 1", "RTS 1"},
              {"SRF 1 Radio", "Radio SRF 3", "Couleur 3"},
              {"Radiotelevisione svizzera RSI LA 2"}},
             {"CANALSAT",
              LatinCodePage,
              "fra",
              100,
              0,
              {"CANAL+", "CANAL+ CINEMA", "CANAL+ SPORT", "Paris Première", "TF1", "France 2", "M6",
               "France 5"},
              {},
              {"CANAL+ Décalé Cinéma Séries HD"}},
         }},
        {"Hotbird 13.0E",
         ttSatellite,
         22,
         130,
         318,
         4,
         200,
         {
             {"RAI",
              LatinCodePage,
              "ita",
              5,
              30,
              {"Rai 1", "Rai 2", "Rai 3", "Rai News 24", "Rai Storia", "Rai Scuola", "Rai Movie",
               "Rai Premium"},
              {"Rai Radio 1", "Rai Radio 2", "Rai Radio 3", "Isoradio"},
              {"Rai 3 TGR Regione Trentino Alto Adige"}},
             {"Sky Italia",
              LatinCodePage,
              "ita",
              100,
              0,
              {"Sky Uno", "Sky Cinema Uno", "Sky Sport 24", "Sky TG24", "Sky Atlantic Italia",
               "Sky Arte"},
              {},
              {"Sky Cinema Collection Italia HD"}},
             {"TVP",
              LatinCodePage,
              "pol",
              60,
              25,
              {"TVP1", "TVP2", "TVP Info", "TVP Polonia", "TVP Historia", "TVP Kultura", "Polsat",
               "TVN"},
              {"Polskie Radio 1", "Polskie Radio 3", "Radio Maryja"},
              {"TVP Polonia Telewizja Polska Swiat"}},
             {"Globecast",
              LatinCodePage,
              "eng",
              0,
              15,
              {"France 24 English", "DW English", "Euronews", "CNN International", "BBC World News",
               "Al Jazeera English", "NHK World-Japan", "CGTN", "TRT World", "Bloomberg TV"},
              {"Radio Vaticana", "RFI Monde", "Vatican News"},
              {"Al Jazeera English Worldwide News HD", "Deutsche Welle English Service HD"}},
         }},
        {"Astra 28.2E",
         ttSatellite,
         10,
         282,
         2,
         5,
         2001,
         {
             {"BSkyB",
              LatinCodePage,
              "eng",
              100,
              0,
              {"Sky Showcase", "Sky Max", "Sky News", "Sky Arts", "Sky Sports Main Event",
               "Sky Witness", "Sky Comedy UK"},
              {},
              {"Sky Sports Premier League UHD"}},
             {"BBC",
              LatinCodePage,
              "eng",
              0,
              40,
              {"BBC One London", "BBC Two England", "BBC Four", "CBBC", "CBeebies", "BBC News",
               "BBC Parliament", "BBC Scotland"},
              {"BBC Radio 1", "BBC Radio 2", "BBC Radio 4 FM", "BBC World Service", "BBC 6 Music"},
              {"BBC Two Northern Ireland HD", "BBC One Yorkshire and Lincolnshire"}},
             {"ITV",
              LatinCodePage,
              "eng",
              0,
              0,
              {"ITV1 London", "ITV2", "ITV3", "ITV4", "ITVBe", "STV"},
              {},
              {"ITV1 Granada and Border HD"}},
             {"Channel 4",
              LatinCodePage,
              "eng",
              0,
              0,
              {"Channel 4", "E4", "More4", "Film4", "4seven", "Channel 4 +1"},
              {},
              {"Channel 4 London and South East"}},
         }},
        {"Türksat 42.0E",
         ttSatellite,
         6,
         420,
         1070,
         6,
         10001,
         {
             {"TRT",
              LatinCodePage,
              "tur",
              0,
              30,
              {"TRT 1", "TRT Haber", "TRT Spor", "TRT Belgesel", "TRT Müzik", "TRT Çocuk",
               "TRT Avaz"},
              {"TRT FM", "TRT Radyo 1", "TRT Radyo Haber"},
              {"TRT Türk Uluslararasi Yayin HD"}},
             {"Digiturk",
              LatinCodePage,
              "tur",
              100,
              0,
              {"beIN SPORTS 1", "beIN MOVIES PREMIERE", "Digiturk Box Office", "beIN SERIES",
               "beIN IZ"},
              {},
              {"beIN SPORTS MAX 1 HD Canli Yayin"}},
         }},
        {"Eutelsat 36.0E",
         ttSatellite,
         6,
         360,
         112,
         8,
         11001,
         {
             {"Триколор",
              1251,
              "rus",
              90,
              20,
              {"Первый канал", "Россия 1", "НТВ", "Пятый канал", "Россия К", "Карусель", "ОТР",
               "ТВ Центр", "Матч ТВ", "СТС", "ТНТ", "Домашний"},
              {"Радио России", "Маяк", "Вести FM", "Радио Культура"},
              {"Первый канал Всемирная сеть HD", "Россия 24 Информационный канал"}},
             {"НТВ-Плюс",
              1251,
              "rus",
              100,
              0,
              {"Кино Хит", "Наш футбол", "Спорт Плюс", "Киноклуб", "Детский мир"},
              {},
              {"НТВ-Плюс Футбол Премьер HD"}},
         }},
        {"Hellas Sat 39.0E",
         ttSatellite,
         4,
         390,
         113,
         8,
         12001,
         {
             {"ΕΡΤ",
              1253,
              "ell",
              0,
              40,
              {"ΕΡΤ1", "ΕΡΤ2", "ΕΡΤ3", "ΕΡΤ World", "Βουλή Τηλεόραση", "ΕΡΤ Σπορ"},
              {"Πρώτο Πρόγραμμα", "Δεύτερο Πρόγραμμα", "Τρίτο Πρόγραμμα", "ΕΡΑ Σπορ"},
              {"Βουλή Τηλεόραση Ελληνικό Κοινοβούλιο"}},
             {"Nova",
              1253,
              "ell",
              100,
              0,
              {"Σκάι", "Άλφα", "Novacinema 1", "Novasports 1", "Ant1", "Star Channel",
               "Μακεδονία TV"},
              {},
              {"Novasports Πρέμιερ Λιγκ HD"}},
         }},
        {"Kabel Vodafone",
         ttCable,
         7,
         0,
         61441,
         0,
         1,
         {
             {"Vodafone",
              LatinCodePage,
              "deu",
              0,
              30,
              {"Das Erste HD", "ZDF HD", "WDR HD Köln", "NDR HD", "arte HD", "3sat HD", "KiKA HD"},
              {"Bayern 3", "SWR1 BW", "radioeins", "Klassik Radio"},
              {"WDR HD Köln Westdeutscher Rundfunk"}},
             {"Vodafone Premium",
              LatinCodePage,
              "deu",
              100,
              0,
              {"RTL HD", "VOX HD", "ProSieben HD", "SAT.1 HD", "Disney Channel HD", "Nick HD"},
              {},
              {"Discovery Channel Wissen und Technik"}},
             {"Regional",
              LatinCodePage,
              "deu",
              0,
              40,
              {"Hamburg 1", "TV Berlin", "center.tv", "Leipzig Fernsehen"},
              {"Radio Hamburg", "104.6 RTL", "Antenne Bayern"},
              {"Rhein-Neckar Fernsehen Regional"}},
         }},
        {"DVB-T2 Berlin",
         ttTerrestrial,
         4,
         0,
         8468,
         0,
         769,
         {
             {"ARD",
              LatinCodePage,
              "deu",
              0,
              20,
              {"Das Erste HD", "rbb Berlin HD", "tagesschau24 HD", "arte HD", "phoenix HD"},
              {"radioeins", "Inforadio", "Fritz"},
              {"Rundfunk Berlin-Brandenburg HD"}},
             {"ZDFvision",
              LatinCodePage,
              "deu",
              0,
              0,
              {"ZDF HD", "ZDFneo HD", "ZDFinfo HD", "3sat HD"},
              {},
              {"ZDF Zweites Deutsches Fernsehen HD"}},
             {"freenet TV",
              LatinCodePage,
              "deu",
              100,
              0,
              {"RTL HD", "VOX HD", "ProSieben HD", "SAT.1 HD", "DMAX HD", "Sport1 HD"},
              {},
              {"freenet TV connect Mediathek"}},
         }},
        {"IPTV",
         ttIPTV,
         7,
         0,
         1,
         0,
         100,
         {
             {"MagentaTV",
              LatinCodePage,
              "deu",
              30,
              10,
              {"Das Erste HD", "ZDF HD", "RTL HD", "SAT.1 HD", "Sky Sport News HD", "Magenta Sport",
               "MagentaTV Exklusiv"},
              {"MagentaMusik 360", "Deutschlandfunk"},
              {"MagentaTV Megathek Serien Highlights"}},
             {"Zattoo",
              LatinCodePage,
              "deu",
              0,
              0,
              {"SRF 1 HD", "ORF eins HD", "Euronews HD", "Welt", "n-tv HD", "DW Deutsch"},
              {},
              {"Zattoo Live Shopping Kanal"}},
             {"Playlist",
              LatinCodePage,
              "eng",
              0,
              20,
              {"France 24", "CNN", "Bloomberg", "Sky News", "Red Bull TV", "NASA TV"},
              {"Radio Paradise", "SomaFM Groove Salad"},
              {"NASA TV Public Education Channel"}},
         }},
    };
    return roots;
}

// Languages of further audio tracks.
const char* const OtherLanguages[] = {"eng", "deu", "fra", "ita", "spa", "tur",
                                      "rus", "ell", "pol", "nld", "por"};

// Tuning that the channels of one transponder (multiplex, playlist) share.
struct TTransponder {
    quint32 Frequency = 0;
    quint32 Symbolrate = 0;
    quint8 Polarity = 0;
    quint8 FEC = 0;
    quint8 SatModulation = 0;
    quint16 TID = 0;
    quint16 NextSID = 0;
    int Capacity = 0;
    int Services = 0;
};

// Generator state per provider of a root.
struct TProviderState {
    int NextTv = 0;
    int NextRadio = 0;
    int NextLong = 0;
    TTransponder Transponder;
    bool HasTransponder = false;
    // IPTV: the next stream address.
    quint32 NextAddress = 0;
    quint16 Port = 0;
};

struct TBlock {
    int Root = 0;
    int Provider = 0;
    std::vector<TChannelRec> Records; // the main channel first, then its audio tracks
};

// Sets the name code page of the channel classes for as long as it lives and leaves the
// default provider installed afterwards.
class TCodePageScope {
public:
    explicit TCodePageScope(int codePage) {
        SetNameCodePageProvider([codePage] { return codePage; });
    }
    ~TCodePageScope() { SetNameCodePageProvider({}); }
    TCodePageScope(const TCodePageScope&) = delete;
    TCodePageScope& operator=(const TCodePageScope&) = delete;
};

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class TListGenerator {
public:
    explicit TListGenerator(quint32 seed) : FRandom(seed) {
        for (const TRoot& root : Roots()) {
            FState.emplace_back(root.Providers.size());
            FNextTID.push_back(root.FirstTID);
        }
    }

    // count main channels spread over the roots by their shares, grouped by root and
    // provider; clashing of the IPTV ones share one identity.
    std::vector<TBlock> Generate(int count, int clashing) {
        const std::vector<TRoot>& roots = Roots();
        std::vector<int> shares;
        for (const TRoot& root : roots)
            shares.push_back(root.SharePercent);
        std::vector<int> perRoot = Split(count, shares);
        const int iptv = int(std::find_if(roots.begin(), roots.end(),
                                          [](const TRoot& r) { return r.Tuner == ttIPTV; }) -
                             roots.begin());
        while (perRoot[size_t(iptv)] < clashing) {
            size_t largest = 0;
            for (size_t r = 0; r < perRoot.size(); ++r) {
                if (int(r) != iptv && perRoot[r] > perRoot[largest])
                    largest = r;
            }
            --perRoot[largest];
            ++perRoot[size_t(iptv)];
        }

        // The long-name chance alone may miss a small list; one channel in the middle
        // always gets a long name.
        const int forcedLong = count / 2;
        std::vector<TBlock> blocks;
        blocks.reserve(size_t(count));
        for (size_t r = 0; r < roots.size(); ++r) {
            std::vector<int> weights;
            for (size_t p = 0; p < roots[r].Providers.size(); ++p)
                weights.push_back(50 + Below(100));
            const std::vector<int> perProvider = Split(perRoot[r], weights);
            std::vector<bool> clashes(size_t(perRoot[r]), false);
            if (int(r) == iptv)
                MarkClashing(clashes, clashing);
            int inRoot = 0;
            for (size_t p = 0; p < perProvider.size(); ++p) {
                for (int k = 0; k < perProvider[p]; ++k) {
                    const bool wantLong = int(blocks.size()) == forcedLong || Below(100) < 4;
                    blocks.push_back(MakeBlock(int(r), int(p), wantLong, clashes[size_t(inRoot)]));
                    ++inRoot;
                }
            }
        }
        return blocks;
    }

    // A few channels end up away from their root and category, as in lists that grew by
    // hand, so that the list is mostly but not wholly grouped.
    void Scatter(std::vector<TBlock>& blocks) {
        if (blocks.size() < 10)
            return;
        auto sameGroup = [](const TBlock& a, const TBlock& b) {
            return a.Root == b.Root && a.Provider == b.Provider;
        };
        // The channel taken away comes from a group that it leaves behind, and lands between
        // channels of other roots, so that each move really puts one out of place.
        // Indexes move, not blocks, so that a list of 100,000 channels scatters quickly.
        std::vector<int> order(blocks.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = int(i);
        auto at = [&](size_t i) -> const TBlock& { return blocks[size_t(order[i])]; };
        const int moves = std::max(1, int(blocks.size() / 150));
        for (int m = 0; m < moves; ++m) {
            size_t from = 0;
            for (int attempt = 0; attempt < 64; ++attempt) {
                from = size_t(Below(int(order.size())));
                if ((from > 0 && sameGroup(at(from - 1), at(from))) ||
                    (from + 1 < order.size() && sameGroup(at(from + 1), at(from))))
                    break;
            }
            const int moved = order[from];
            const int root = blocks[size_t(moved)].Root;
            order.erase(order.begin() + std::ptrdiff_t(from));
            size_t to = 0;
            for (int attempt = 0; attempt < 64; ++attempt) {
                to = size_t(Below(int(order.size())));
                if (at(to).Root != root && (to == 0 || at(to - 1).Root != root))
                    break;
            }
            order.insert(order.begin() + std::ptrdiff_t(to), moved);
        }
        std::vector<TBlock> scattered;
        scattered.reserve(blocks.size());
        for (int i : order)
            scattered.push_back(std::move(blocks[size_t(i)]));
        blocks = std::move(scattered);
    }

private:
    // 0 to n - 1. mt19937's output is fixed by the standard, unlike the distributions, so
    // the bytes do not depend on the standard library.
    int Below(int n) { return n <= 1 ? 0 : int(FRandom() % quint32(n)); }
    template <typename T> T Pick(std::initializer_list<T> values) {
        return values.begin()[Below(int(values.size()))];
    }

    // total spread by the weights; every part gets at least one when there are enough.
    std::vector<int> Split(int total, const std::vector<int>& weights) {
        const size_t n = weights.size();
        std::vector<int> parts(n, 0);
        qint64 sum = 0;
        for (int w : weights)
            sum += w;
        int given = 0;
        for (size_t i = 0; i < n; ++i) {
            parts[i] = int(qint64(total) * weights[i] / sum);
            given += parts[i];
        }
        for (size_t i = 0; given < total; i = (i + 1) % n, ++given)
            ++parts[i];
        if (total >= int(n)) {
            for (size_t i = 0; i < n; ++i) {
                if (parts[i] == 0) {
                    --*std::max_element(parts.begin(), parts.end());
                    parts[i] = 1;
                }
            }
        }
        return parts;
    }

    void MarkClashing(std::vector<bool>& clashes, int clashing) {
        std::vector<int> order(clashes.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = int(i);
        for (size_t i = order.size(); i > 1; --i)
            std::swap(order[i - 1], order[size_t(Below(int(i)))]);
        for (int i = 0; i < clashing && i < int(order.size()); ++i)
            clashes[size_t(order[size_t(i)])] = true;
    }

    TTransponder NewTransponder(const TRoot& root, int rootIndex) {
        TTransponder t;
        quint16& tid = FNextTID[size_t(rootIndex)];
        t.TID = tid++;
        if (tid == 0)
            tid = 1;
        t.NextSID = quint16(1000 + Below(60000));
        switch (root.Tuner) {
        case ttSatellite: {
            const bool s2 = Below(100) < 55;
            t.Frequency = quint32(10714 + Below(2020));
            t.Polarity = quint8(Below(2));
            t.Symbolrate = Pick<quint32>({22000, 27500, 27500, 29700, 30000, 23500});
            const quint8 inversionAuto = quint8(1 << smInversionShift);
            if (s2) {
                t.FEC = Pick<quint8>({2, 3, 7, 9});
                t.SatModulation = quint8(smSecondGeneration | 2 | inversionAuto |
                                         (Below(3) == 0 ? 0 : 2 << smRollOffShift) |
                                         (Below(2) == 0 ? smPilot : 0));
            } else {
                t.FEC = Pick<quint8>({2, 3, 3, 4, 5});
                t.SatModulation = quint8(1 | inversionAuto);
            }
            t.Capacity = 6 + Below(10);
            break;
        }
        case ttCable:
            t.Frequency = quint32(114000 + 8000 * Below(93));
            t.Symbolrate = Pick<quint32>({6900, 6900, 6875});
            t.Polarity = Below(3) == 0 ? 3 : 5; // 64QAM or 256QAM
            t.Capacity = 8 + Below(8);
            break;
        case ttTerrestrial:
            t.Frequency = quint32(474000 + 8000 * Below(40));
            t.Polarity = 2; // 8 MHz
            t.SatModulation = Below(10) == 0 ? 0 : smSecondGeneration;
            t.Capacity = 4 + Below(4);
            break;
        default: // IPTV: one playlist of many streams under one transport stream ID
            t.NextSID = 1;
            t.Capacity = 1000;
            break;
        }
        return t;
    }

    quint8 AudioFormatFor(quint8 tuner, bool secondGeneration) {
        const int roll = Below(100);
        if (tuner == ttIPTV || (tuner == ttTerrestrial && secondGeneration))
            return roll < 70 ? afAAC : (roll < 90 ? afAC3 : afMPEG);
        return roll < 70 ? afMPEG : (roll < 85 ? afAC3 : afAAC);
    }

    QString NextName(const TProvider& provider, TProviderState& state, bool radio, bool wantLong) {
        if (wantLong && !provider.Long.empty()) {
            const int i = state.NextLong++;
            return Text(provider.Long[size_t(i) % provider.Long.size()]);
        }
        const std::vector<const char*>& pool = radio ? provider.Radio : provider.Tv;
        const int i = radio ? state.NextRadio++ : state.NextTv++;
        const QString base = Text(pool[size_t(i) % pool.size()]);
        const int round = i / int(pool.size());
        // Later rounds through the pool are the variants that real lists carry: HD
        // simulcasts, time-shifted feeds, regional and spin-off channels.
        static constexpr const char* TvVariants[] = {
            " HD", " +1", " Plus", " Extra", " Classic", " International", " Live", " Regional"};
        static constexpr const char* RadioVariants[] = {" Digital", " Plus", " Classic",
                                                        " Extra",   " Live", " Regional"};
        const char* const* variants = radio ? RadioVariants : TvVariants;
        const int variantCount = radio ? int(std::size(RadioVariants)) : int(std::size(TvVariants));
        if (round == 0)
            return base;
        if (round <= variantCount) {
            const QString variant = Text(variants[round - 1]);
            return base.endsWith(variant) ? base + QStringLiteral(" Plus") : base + variant;
        }
        return base + u' ' + QString::number(round - variantCount + 1);
    }

    // Drops words from the end, then bytes, until the name fits beside root and category.
    static QString FitName(QString name, const QString& root, const QString& category,
                           int codePage) {
        const int r = int(EncodeToCodePage(root, codePage).size());
        const int c = int(EncodeToCodePage(category, codePage).size());
        auto fits = [&](const QString& n) {
            return FreeNameByteCount(r, c, int(EncodeToCodePage(n, codePage).size())) >= 0;
        };
        while (!fits(name)) {
            const qsizetype space = name.lastIndexOf(u' ');
            name = space > 0 ? name.left(space) : name.chopped(1);
        }
        return name;
    }

    TBlock MakeBlock(int rootIndex, int providerIndex, bool wantLong, bool clashing) {
        const TRoot& root = Roots()[size_t(rootIndex)];
        const TProvider& provider = root.Providers[size_t(providerIndex)];
        TProviderState& state = FState[size_t(rootIndex)][size_t(providerIndex)];

        const bool radio = !provider.Radio.empty() && Below(100) < provider.RadioPercent;
        const bool encrypted =
            Below(100) < (radio ? provider.EncryptedPercent / 4 : provider.EncryptedPercent);
        const QString rootName = Text(root.Name);
        const QString category = Text(provider.Category);
        const QString name = FitName(NextName(provider, state, radio, wantLong), rootName, category,
                                     provider.CodePage);

        TChannel channel;
        {
            const TCodePageScope scope(provider.CodePage);
            channel.SetRoot(rootName);
            channel.SetCategory(category);
            channel.SetName(name);
        }
        TTuner& t = channel.Rec.TunerData;

        if (!state.HasTransponder || state.Transponder.Services >= state.Transponder.Capacity) {
            state.Transponder = NewTransponder(root, rootIndex);
            state.HasTransponder = true;
        }
        TTransponder& tp = state.Transponder;
        const int slot = tp.Services++;

        t.TunerType = root.Tuner;
        t.ChannelGroup = Below(10) == 0 ? quint8(1 + Below(3)) : 0;
        quint8 flags = 0;
        if (encrypted)
            flags |= flEncrypted;
        if (!radio)
            flags |= flVideo;
        if (radio && root.Tuner != ttSatellite && Below(3) == 0)
            flags |= flRDS;
        if (Below(30) == 0)
            flags |= flNoAutoUpdate;
        t.Flags = flags;
        channel.Rec.Encrypted = encrypted ? 1 : 0;

        t.Frequency = tp.Frequency;
        t.Symbolrate = tp.Symbolrate;
        t.Polarity = tp.Polarity;
        t.FEC = tp.FEC;
        t.SatModulation = tp.SatModulation;
        const bool secondGeneration = (tp.SatModulation & smSecondGeneration) != 0;
        t.SatModulationSystem = secondGeneration ? 1 : 0;
        t.OrbitalPos = root.OrbitalPos;
        t.DiSEqC = root.DiSEqC;
        if (root.DiSEqC >= 7 && root.DiSEqC <= 9)
            t.DiSEqCExt = root.OrbitalPos;
        if (root.Tuner == ttSatellite) {
            const bool highBand = tp.Frequency >= 11700;
            t.LNB_LOF = highBand ? 10600 : 9750;
            t.Tone = highBand ? 1 : 0;
        }
        if (root.Tuner == ttTerrestrial && secondGeneration)
            t.Substream = 1; // PLP 0
        if (root.Tuner == ttIPTV) {
            if (state.NextAddress == 0) {
                // Each provider streams from its own multicast range and port.
                state.NextAddress = (239u << 24) | (quint32(10 + 25 * providerIndex) << 16) |
                                    (quint32(Below(200)) << 8) | 1u;
                state.Port = Pick<quint16>({10000, 5000, 1234, 5500});
            }
            t.Frequency = state.NextAddress;
            t.Symbolrate = state.Port;
            ++state.NextAddress;
            if ((state.NextAddress & 0xFF) == 255)
                state.NextAddress += 2; // skip .255 and .0
            if (Below(20) == 0)
                t.EPGFlags = epgNoDVB;
        } else if (Below(25) == 0) {
            t.EPGFlags = Pick<quint8>({epgNoMHW, epgNoExternal, epgNoDVB | epgNoMHW});
        }

        quint8 video = vfMPEG2;
        if (!radio) {
            if (root.Tuner == ttTerrestrial && secondGeneration)
                video = vfH265;
            else if (root.Tuner == ttIPTV || root.Tuner == ttCable)
                video = Below(4) == 0 ? vfMPEG2 : vfH264;
            else if (secondGeneration)
                video = Below(8) == 0 ? vfH265 : vfH264;
            else
                video = Below(5) == 0 ? vfH264 : vfMPEG2;
        }
        const quint8 audio = AudioFormatFor(root.Tuner, secondGeneration);
        t.AVFormat = quint8(video << 4 | audio);
        std::memcpy(t.Language, provider.Language, 3);

        // PIDs in the usual pattern of a multiplex: one hundred per service.
        const quint16 base = quint16(100 * (slot % 80 + 1));
        t.PMT_PID = base;
        t.Audio_PID = quint16(base + 2);
        if (!radio) {
            t.Video_PID = quint16(base + 1);
            t.PCR_PID = t.Video_PID;
            if (Below(2) == 0)
                t.Teletext_PID = quint16(base + 4);
        } else {
            t.PCR_PID = t.Audio_PID;
        }

        if (clashing) {
            // Playlist imports that give every stream the same identity.
            t.OriginalNetwork_ID = 1;
            t.TransportStream_ID = 1;
            t.Service_ID = 1;
        } else {
            t.OriginalNetwork_ID = root.NID;
            t.TransportStream_ID = tp.TID;
            t.Service_ID = tp.NextSID++;
        }

        TBlock block;
        block.Root = rootIndex;
        block.Provider = providerIndex;
        block.Records.push_back(channel.Rec);
        if (Below(5) == 0)
            AddAudioTracks(block, Below(10) < 7 ? 1 : 2);
        return block;
    }

    // Further audio tracks: the main record again with another language, audio format and
    // PID.
    void AddAudioTracks(TBlock& block, int count) {
        const TChannelRec main = block.Records.front();
        std::vector<QByteArray> used = {QByteArray(main.TunerData.Language, 3)};
        for (int j = 0; j < count; ++j) {
            TChannelRec sub = main;
            TTuner& t = sub.TunerData;
            t.Flags |= flSubChannel;
            const quint8 mainAudio = AudioFormatOf(main.TunerData.AVFormat);
            quint8 audio = mainAudio;
            while (audio == mainAudio)
                audio = Pick<quint8>({afMPEG, afAC3, afAC3, afAAC});
            t.AVFormat = quint8((main.TunerData.AVFormat & 0xF0) | audio);
            t.Audio_PID = quint16(main.TunerData.Audio_PID + 1 + 2 * j);
            QByteArray language;
            do {
                language = Below(100) < 50 && used.front() != "eng"
                               ? QByteArrayLiteral("eng")
                               : QByteArray(OtherLanguages[Below(int(std::size(OtherLanguages)))]);
            } while (std::find(used.begin(), used.end(), language) != used.end());
            used.push_back(language);
            std::memcpy(t.Language, language.constData(), 3);
            if (Below(10) == 0)
                t.AudioChannel = quint8(Pick<int>({spLeft, spRight}));
            block.Records.push_back(sub);
        }
    }

    std::mt19937 FRandom;
    std::vector<std::vector<TProviderState>> FState;
    std::vector<quint16> FNextTID;
};

QByteArray Header() {
    QByteArray header(HeaderSize, '\0');
    header[0] = 4;
    std::memcpy(header.data() + 1, ChannelFileID, 4);
    header[5] = 1;
    header[6] = 8;
    return header;
}

QByteArray Image(const std::vector<TBlock>& blocks) {
    size_t records = 0;
    for (const TBlock& block : blocks)
        records += block.Records.size();
    QByteArray image = Header();
    image.reserve(qsizetype(HeaderSize + records * ChannelRecSize));
    for (const TBlock& block : blocks) {
        for (const TChannelRec& rec : block.Records)
            image.append(reinterpret_cast<const char*>(&rec), ChannelRecSize);
    }
    return image;
}

void Check(const TMakeListOptions& options) {
    if (options.Channels < 1)
        throw std::invalid_argument("the list needs at least one channel");
    if (options.IptvClashing < 0 || options.IptvClashing > options.Channels)
        throw std::invalid_argument(
            "clashing IPTV channels must be between 0 and the channel count");
    if (options.IptvClashing == 1)
        throw std::invalid_argument("a clash needs at least two IPTV channels");
}

// The deleted channels come from a generator of their own, so that asking for them leaves
// the list's bytes as they are.
constexpr quint32 DeletedSeedSalt = 0x9E3779B9u;

} // namespace

QString MakeListUsage() {
    return QStringLiteral(
        "usage: orvane-make-list --out FILE --channels N [--seed S] [--with-deleted FILE.Odel] "
        "[--iptv-clashing N]");
}

QString ParseMakeListArguments(const QStringList& arguments, TMakeListOptions& options) {
    QCommandLineParser parser;
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("The list to write."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption channels(QStringLiteral("channels"),
                                      QStringLiteral("Main channels in the list."),
                                      QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Random seed."),
                                  QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption deleted(QStringLiteral("with-deleted"),
                                     QStringLiteral("Also write deleted channels there."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption clashing(
        QStringLiteral("iptv-clashing"),
        QStringLiteral("IPTV channels that share one identity as different streams."),
        QStringLiteral("N"), QStringLiteral("0"));
    parser.addOptions({out, channels, seed, deleted, clashing});
    if (!parser.parse(arguments))
        return parser.errorText();
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unexpected argument: ") + parser.positionalArguments().first();
    if (!parser.isSet(out) || parser.value(out).isEmpty())
        return QStringLiteral("--out FILE is required");
    if (!parser.isSet(channels))
        return QStringLiteral("--channels N is required");

    TMakeListOptions result;
    result.OutFile = parser.value(out);
    result.DeletedFile = parser.value(deleted);
    bool ok = false;
    result.Channels = parser.value(channels).toInt(&ok);
    if (!ok || result.Channels < 1)
        return QStringLiteral("--channels needs a number of at least 1");
    result.Seed = parser.value(seed).toUInt(&ok);
    if (!ok)
        return QStringLiteral("--seed needs a number from 0 to 4294967295");
    result.IptvClashing = parser.value(clashing).toInt(&ok);
    if (!ok || result.IptvClashing < 0 || result.IptvClashing == 1 ||
        result.IptvClashing > result.Channels)
        return QStringLiteral("--iptv-clashing needs 0, or 2 up to the channel count");
    options = result;
    return {};
}

QByteArray MakeChannelList(const TMakeListOptions& options) {
    Check(options);
    TListGenerator generator(options.Seed);
    std::vector<TBlock> blocks = generator.Generate(options.Channels, options.IptvClashing);
    generator.Scatter(blocks);
    return Image(blocks);
}

QByteArray MakeDeletedChannels(const TMakeListOptions& options) {
    Check(options);
    TListGenerator generator(options.Seed ^ DeletedSeedSalt);
    const int count = std::clamp(options.Channels / 50, 3, 30);
    return Image(generator.Generate(count, 0));
}

void WriteMadeLists(const TMakeListOptions& options) {
    for (const QString& file : {options.OutFile, options.DeletedFile}) {
        if (!file.isEmpty())
            QDir().mkpath(QFileInfo(file).absolutePath());
    }
    WriteFileAtomically(options.OutFile, MakeChannelList(options));
    if (!options.DeletedFile.isEmpty())
        WriteFileAtomically(options.DeletedFile, MakeDeletedChannels(options));
}

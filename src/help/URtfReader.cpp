#include "help/URtfReader.h"

#include "platform/UCodePages.h"

#include <algorithm>
#include <optional>

namespace {

// A paragraph has no use for more tab stops than this.
constexpr size_t MaxTabStops = 64;
// Deeper nesting than this is counted but no longer given a state of its own, so that a file
// of a million opening braces costs no memory.
constexpr int MaxGroupDepth = 1024;
// Control words are at most 32 letters; longer runs of letters are read over.
constexpr int MaxControlWordLength = 32;
constexpr qint64 ParameterCeiling = 1'000'000'000;

enum class TDestination { dText, dSkip, dColorTable };

struct TState {
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    int FontSize = 0;    // half points, 0 for the default
    int ColorIndex = -1; // -1: no \cf seen
    TRtfAlignment Alignment = TRtfAlignment::raLeft;
    int LeftIndent = 0;
    int FirstLineIndent = 0;
    int SpaceBefore = 0;
    int SpaceAfter = 0;
    std::vector<int> TabStops;
    TDestination Destination = TDestination::dText;
    int UnicodeSkip = 1;

    void ResetCharFormat() {
        Bold = Italic = Underline = false;
        FontSize = 0;
        ColorIndex = -1;
    }
    void ResetParagraphFormat() {
        Alignment = TRtfAlignment::raLeft;
        LeftIndent = FirstLineIndent = SpaceBefore = SpaceAfter = 0;
        TabStops.clear();
    }
};

struct TColorEntry {
    bool IsSet = false;
    quint32 Rgb = 0;
};

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int Clamp(int value, int low, int high) {
    return std::min(std::max(value, low), high);
}

// Destinations whose text is not part of the page.
bool IsSkippedDestination(QLatin1StringView word) {
    static const char* const skipped[] = {
        "fonttbl",
        "stylesheet",
        "info",
        "pict",
        "object",
        "header",
        "headerl",
        "headerr",
        "headerf",
        "footer",
        "footerl",
        "footerr",
        "footerf",
        "footnote",
        "fldinst",
        "listtable",
        "listoverridetable",
        "rsidtbl",
        "revtbl",
        "filetbl",
        "generator",
        "xmlnstbl",
        "themedata",
        "colorschememapping",
        "datastore",
        "latentstyles",
        "pgdsctbl",
        "private",
        "nonshppict",
        "bkmkstart",
        "bkmkend",
        "template",
        "docvar",
        "annotation",
        "atnid",
        "atnauthor",
        "xe",
        "tc",
        "txe",
        "rxe",
        "comment",
        "userprops",
        "mmathPr",
    };
    for (const char* name : skipped) {
        if (word == QLatin1StringView(name))
            return true;
    }
    return false;
}

class TRtfParser {
public:
    explicit TRtfParser(const QByteArray& bytes) : FIn(bytes) { SetCodePage(1252); }

    TRtfDocument Run();

private:
    void OpenGroup();
    // False when the outermost group has closed and the document is over.
    bool CloseGroup();
    void ReadControl();
    void ControlWord(QLatin1StringView word, bool hasParam, int param);
    void ReadHexEscape();
    void ReadBinary(int count);

    void AddByte(char byte);
    void AddText(const QString& text);
    void AddChar(char16_t c) { AddText(QString(QChar(c))); }
    void FlushBytes();
    void EndParagraph();
    void SetCodePage(int codePage);
    void AddColorEntry();
    // True when the character just read is one of those that follow \uN as its fallback.
    bool ConsumeSkippedChar();

    const QByteArray& FIn;
    qsizetype FPos = 0;
    std::vector<TState> FStack;
    TState FCur;
    int FOverflowDepth = 0;
    bool FStarted = false;
    int FSkipChars = 0;

    QByteArray FPendingBytes;
    // The code page of the bytes between control words, as the document declares it.
    int FCodePage = 1252;

    std::vector<TColorEntry> FColors;
    TColorEntry FColor;

    TRtfDocument FDoc;
    TRtfParagraph FPara;
};

TRtfDocument TRtfParser::Run() {
    const qsizetype size = FIn.size();
    while (FPos < size) {
        const char c = FIn[FPos];
        if (c == '{') {
            ++FPos;
            FSkipChars = 0;
            OpenGroup();
        } else if (c == '}') {
            ++FPos;
            FSkipChars = 0;
            if (!CloseGroup())
                break;
        } else if (c == '\\') {
            ++FPos;
            ReadControl();
        } else if (c == '\r' || c == '\n') {
            ++FPos;
        } else {
            ++FPos;
            if (ConsumeSkippedChar())
                continue;
            if (c == '\t') {
                FlushBytes();
                AddChar(u'\t');
            } else if (static_cast<unsigned char>(c) >= 0x20) {
                AddByte(c);
            }
        }
    }
    FlushBytes();
    if (!FPara.Runs.empty())
        EndParagraph();

    // An escape may name half of a surrogate pair; such halves have no character.
    for (TRtfParagraph& paragraph : FDoc.Paragraphs) {
        for (TRtfRun& run : paragraph.Runs) {
            QString& text = run.Text;
            for (qsizetype i = 0; i < text.size(); ++i) {
                const QChar ch = text[i];
                if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                    ++i;
                else if (ch.isSurrogate())
                    text[i] = QChar::ReplacementCharacter;
            }
        }
    }
    return std::move(FDoc);
}

bool TRtfParser::ConsumeSkippedChar() {
    if (FSkipChars <= 0)
        return false;
    --FSkipChars;
    return true;
}

void TRtfParser::OpenGroup() {
    FlushBytes();
    FStarted = true;
    if (static_cast<int>(FStack.size()) >= MaxGroupDepth) {
        ++FOverflowDepth;
        return;
    }
    FStack.push_back(FCur);
}

bool TRtfParser::CloseGroup() {
    FlushBytes();
    if (FOverflowDepth > 0) {
        --FOverflowDepth;
        return true;
    }
    if (FStack.empty())
        return !FStarted; // a stray brace before the document: read on
    const bool wasColorTable = FCur.Destination == TDestination::dColorTable;
    FCur = FStack.back();
    FStack.pop_back();
    if (wasColorTable && FCur.Destination != TDestination::dColorTable &&
        (FColor.IsSet || FColors.empty()))
        AddColorEntry(); // a last entry without its ';'
    return !FStack.empty();
}

void TRtfParser::ReadControl() {
    const qsizetype size = FIn.size();
    if (FPos >= size)
        return;
    const char c = FIn[FPos];
    if (!IsLetter(c)) {
        ++FPos;
        if (c == '\'') {
            ReadHexEscape();
            return;
        }
        if (ConsumeSkippedChar())
            return;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            AddByte(c);
            break;
        case '~':
            FlushBytes();
            AddChar(u'\u00A0');
            break;
        case '_':
            FlushBytes();
            AddChar(u'\u2011');
            break;
        case '\t':
            FlushBytes();
            AddChar(u'\t');
            break;
        case '\r':
        case '\n':
            EndParagraph();
            break;
        case '*':
            FlushBytes();
            FCur.Destination = TDestination::dSkip;
            break;
        default: // \- optional hyphen, \| \: and unknown symbols
            break;
        }
        return;
    }

    const qsizetype wordStart = FPos;
    while (FPos < size && IsLetter(FIn[FPos]))
        ++FPos;
    const qsizetype wordLength = std::min<qsizetype>(FPos - wordStart, MaxControlWordLength);
    const QLatin1StringView word(FIn.constData() + wordStart, wordLength);

    bool hasParam = false;
    bool negative = false;
    qint64 value = 0;
    if (FPos + 1 < size && FIn[FPos] == '-' && IsDigit(FIn[FPos + 1])) {
        negative = true;
        ++FPos;
    }
    while (FPos < size && IsDigit(FIn[FPos])) {
        hasParam = true;
        if (value < ParameterCeiling)
            value = value * 10 + (FIn[FPos] - '0');
        ++FPos;
    }
    value = std::min(value, ParameterCeiling);
    const int param = static_cast<int>(negative ? -value : value);
    if (FPos < size && FIn[FPos] == ' ')
        ++FPos;

    if (word == QLatin1StringView("bin")) {
        // Binary data is never text, and its bytes must not be read as control words.
        FlushBytes();
        ReadBinary(hasParam ? param : 0);
        return;
    }
    if (ConsumeSkippedChar())
        return;
    ControlWord(word, hasParam, param);
}

void TRtfParser::ReadHexEscape() {
    int value = 0;
    int digits = 0;
    while (digits < 2 && FPos < FIn.size()) {
        const int hex = HexValue(FIn[FPos]);
        if (hex < 0)
            break;
        value = value * 16 + hex;
        ++digits;
        ++FPos;
    }
    if (ConsumeSkippedChar())
        return;
    if (digits == 2)
        AddByte(static_cast<char>(value));
}

void TRtfParser::ReadBinary(int count) {
    const qsizetype left = FIn.size() - FPos;
    FPos += std::clamp<qsizetype>(count, 0, left);
}

void TRtfParser::ControlWord(QLatin1StringView word, bool hasParam, int param) {
    using L = QLatin1StringView;
    FlushBytes();
    const bool on = !hasParam || param != 0;

    if (word == L("par") || word == L("page") || word == L("row")) {
        EndParagraph();
    } else if (word == L("line")) {
        AddChar(QChar::LineSeparator);
    } else if (word == L("tab") || word == L("cell")) {
        AddChar(u'\t');
    } else if (word == L("b")) {
        FCur.Bold = on;
    } else if (word == L("i")) {
        FCur.Italic = on;
    } else if (word == L("ul") || word == L("uld") || word == L("uldb") || word == L("ulw")) {
        FCur.Underline = on;
    } else if (word == L("ulnone")) {
        FCur.Underline = false;
    } else if (word == L("plain")) {
        FCur.ResetCharFormat();
    } else if (word == L("fs")) {
        FCur.FontSize = hasParam ? Clamp(param, 0, 3276) : 0;
    } else if (word == L("cf")) {
        FCur.ColorIndex = hasParam ? Clamp(param, -1, 65535) : -1;
    } else if (word == L("pard")) {
        FCur.ResetParagraphFormat();
    } else if (word == L("ql")) {
        FCur.Alignment = TRtfAlignment::raLeft;
    } else if (word == L("qc")) {
        FCur.Alignment = TRtfAlignment::raCenter;
    } else if (word == L("qr")) {
        FCur.Alignment = TRtfAlignment::raRight;
    } else if (word == L("qj")) {
        FCur.Alignment = TRtfAlignment::raJustify;
    } else if (word == L("li")) {
        FCur.LeftIndent = Clamp(param, -31680, 31680);
    } else if (word == L("fi")) {
        FCur.FirstLineIndent = Clamp(param, -31680, 31680);
    } else if (word == L("tx")) {
        if (FCur.TabStops.size() < MaxTabStops)
            FCur.TabStops.push_back(Clamp(param, 0, 31680));
    } else if (word == L("sb")) {
        FCur.SpaceBefore = Clamp(param, 0, 31680);
    } else if (word == L("sa")) {
        FCur.SpaceAfter = Clamp(param, 0, 31680);
    } else if (word == L("u")) {
        if (hasParam) {
            int code = param < 0 ? param + 65536 : param;
            if (code < 0 || code > 0xFFFF)
                code = QChar::ReplacementCharacter;
            AddChar(static_cast<char16_t>(code));
        }
        FSkipChars = FCur.UnicodeSkip;
    } else if (word == L("uc")) {
        FCur.UnicodeSkip = hasParam ? Clamp(param, 0, 16) : 1;
    } else if (word == L("ansicpg")) {
        SetCodePage(hasParam ? param : 1252);
    } else if (word == L("colortbl")) {
        if (FCur.Destination == TDestination::dText) {
            FCur.Destination = TDestination::dColorTable;
            FColors.clear();
            FColor = TColorEntry();
        }
    } else if (word == L("red") || word == L("green") || word == L("blue")) {
        if (FCur.Destination == TDestination::dColorTable) {
            const int shift = word == L("red") ? 16 : word == L("green") ? 8 : 0;
            const quint32 component = static_cast<quint32>(Clamp(param, 0, 255));
            FColor.Rgb = (FColor.Rgb & ~(0xFFu << shift)) | (component << shift);
            FColor.IsSet = true;
        }
    } else if (word == L("emdash")) {
        AddChar(u'\u2014');
    } else if (word == L("endash")) {
        AddChar(u'\u2013');
    } else if (word == L("bullet")) {
        AddChar(u'\u2022');
    } else if (word == L("lquote")) {
        AddChar(u'\u2018');
    } else if (word == L("rquote")) {
        AddChar(u'\u2019');
    } else if (word == L("ldblquote")) {
        AddChar(u'\u201C');
    } else if (word == L("rdblquote")) {
        AddChar(u'\u201D');
    } else if (word == L("emspace")) {
        AddChar(u'\u2003');
    } else if (word == L("enspace")) {
        AddChar(u'\u2002');
    } else if (IsSkippedDestination(word)) {
        FCur.Destination = TDestination::dSkip;
    }
    // Every other control word changes nothing that a help page shows.
}

void TRtfParser::AddByte(char byte) {
    if (FCur.Destination == TDestination::dColorTable) {
        if (byte == ';')
            AddColorEntry();
        return;
    }
    if (FCur.Destination != TDestination::dText)
        return;
    FPendingBytes.append(byte);
}

void TRtfParser::AddColorEntry() {
    // Entries beyond any sensible table are dropped rather than stored.
    if (FColors.size() < 65536)
        FColors.push_back(FColor);
    FColor = TColorEntry();
}

void TRtfParser::FlushBytes() {
    if (FPendingBytes.isEmpty())
        return;
    QString text = DecodeFromCodePage(FPendingBytes, FCodePage);
    FPendingBytes.clear();
    AddText(text);
}

void TRtfParser::AddText(const QString& text) {
    if (FCur.Destination != TDestination::dText || text.isEmpty())
        return;
    TRtfRun run;
    run.Bold = FCur.Bold;
    run.Italic = FCur.Italic;
    run.Underline = FCur.Underline;
    run.FontSizeHalfPoints = FCur.FontSize;
    if (FCur.ColorIndex >= 0 && FCur.ColorIndex < static_cast<int>(FColors.size()) &&
        FColors[FCur.ColorIndex].IsSet) {
        run.HasColor = true;
        run.Color = FColors[FCur.ColorIndex].Rgb;
    }
    if (!FPara.Runs.empty() && FPara.Runs.back().SameFormat(run)) {
        FPara.Runs.back().Text += text;
        return;
    }
    run.Text = text;
    FPara.Runs.push_back(std::move(run));
}

void TRtfParser::EndParagraph() {
    FlushBytes();
    if (FCur.Destination != TDestination::dText)
        return;
    FPara.Alignment = FCur.Alignment;
    FPara.LeftIndentTwips = FCur.LeftIndent;
    FPara.FirstLineIndentTwips = FCur.FirstLineIndent;
    FPara.SpaceBeforeTwips = FCur.SpaceBefore;
    FPara.SpaceAfterTwips = FCur.SpaceAfter;
    FPara.TabStopsTwips = FCur.TabStops;
    FDoc.Paragraphs.push_back(std::move(FPara));
    FPara = TRtfParagraph();
}

void TRtfParser::SetCodePage(int codePage) {
    FlushBytes();
    // An unknown number keeps the text readable rather than dropping it. The system's
    // conversion by number serves where Qt has no converter library (the Windows build).
    if (!IsKnownCodePage(codePage))
        codePage = 1252;
    FCodePage = codePage;
    FDoc.CodePage = codePage;
}

} // namespace

QString TRtfParagraph::Text() const {
    QString text;
    for (const TRtfRun& run : Runs)
        text += run.Text;
    return text;
}

QString TRtfDocument::PlainText() const {
    QString text;
    for (size_t i = 0; i < Paragraphs.size(); ++i) {
        if (i > 0)
            text += u'\n';
        text += Paragraphs[i].Text();
    }
    return text;
}

bool LooksLikeRtf(const QByteArray& bytes) {
    qsizetype i = 0;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.mid(i, 5) == "{\\rtf";
}

TRtfDocument ParseRtf(const QByteArray& bytes) {
    return TRtfParser(bytes).Run();
}

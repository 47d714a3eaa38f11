#include "settings/UIniFile.h"

#include "platform/UAtomicFile.h"
#include "platform/UOrvaneError.h"

#include <QDir>
#include <QFile>
#include <climits>

namespace {

// Blanks and control characters at the ends go, as they always have in this file format;
// other Unicode spaces (a no-break space in a separator, say) are content.
QStringView TrimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.sliced(begin, end - begin);
}

// A value with a line break would split into lines of its own on the next read.
QString OneLine(QString text) {
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    return text;
}

QString NativeName(const QString& fileName) {
    return QDir::toNativeSeparators(fileName);
}

} // namespace

TIniFile::TIniFile(const QString& fileName) : FFileName(fileName) {
    QFile file(fileName);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2")
                              .arg(NativeName(fileName), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EReadError(QStringLiteral("Cannot read file \"%1\". %2")
                             .arg(NativeName(fileName), file.errorString()));
    LoadFromBytes(bytes);
}

void TIniFile::LoadFromBytes(const QByteArray& bytes) {
    FSections.clear();
    QByteArrayView data(bytes);
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    const QString text = QString::fromUtf8(data);

    TSection* current = nullptr;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = TrimBlanks(QStringView(text).sliced(pos, end - pos));
        // CR LF, LF and a lone CR all end a line.
        pos = end + 1;
        if (end + 1 < size && text[end] == u'\r' && text[end + 1] == u'\n')
            ++pos;

        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.front() == u'[' && line.back() == u']') {
            FSections.push_back(TSection{line.sliced(1, line.size() - 2).toString(), {}});
            current = &FSections.back();
            continue;
        }
        if (!current)
            continue;
        TLine entry;
        const qsizetype equals = line.indexOf(u'=');
        if (equals >= 0) {
            entry.HasValue = true;
            entry.Key = TrimBlanks(line.first(equals)).toString();
            entry.Value = TrimBlanks(line.sliced(equals + 1)).toString();
        } else {
            entry.Value = line.toString();
        }
        current->Lines.push_back(std::move(entry));
    }
}

QByteArray TIniFile::ToBytes() const {
    QString text;
    for (const TSection& section : FSections) {
        text += u'[' + section.Name + u"]\r\n";
        for (const TLine& line : section.Lines) {
            if (line.HasValue)
                text += line.Key + u'=' + line.Value + u"\r\n";
            else
                text += line.Value + u"\r\n";
        }
        text += u"\r\n";
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

const TIniFile::TSection* TIniFile::FindSection(const QString& section) const {
    for (const TSection& s : FSections)
        if (s.Name.compare(section, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

TIniFile::TSection* TIniFile::FindSection(const QString& section) {
    for (TSection& s : FSections)
        if (s.Name.compare(section, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

const TIniFile::TLine* TIniFile::FindLine(const TSection& section, const QString& key) {
    for (const TLine& line : section.Lines)
        if (line.HasValue && line.Key.compare(key, Qt::CaseInsensitive) == 0)
            return &line;
    return nullptr;
}

bool TIniFile::SectionExists(const QString& section) const {
    return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    return Value(section, key).has_value();
}

std::optional<QString> TIniFile::Value(const QString& section, const QString& key) const {
    const TSection* s = FindSection(section);
    if (!s)
        return std::nullopt;
    const TLine* line = FindLine(*s, key);
    if (!line)
        return std::nullopt;
    return line->Value;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    return Value(section, key).value_or(def);
}

std::optional<int> TIniFile::ParseInteger(const QString& text) {
    QStringView rest(text);
    bool negative = false;
    if (!rest.isEmpty() && (rest.front() == u'-' || rest.front() == u'+')) {
        negative = rest.front() == u'-';
        rest = rest.sliced(1);
    }
    int base = 10;
    if (rest.startsWith(u'$')) {
        base = 16;
        rest = rest.sliced(1);
    } else if (rest.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        rest = rest.sliced(2);
    }
    if (rest.isEmpty())
        return std::nullopt;
    quint64 magnitude = 0;
    for (const QChar c : rest) {
        const char16_t u = c.unicode();
        int digit;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (base == 16 && u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (base == 16 && u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        else
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (base == 10) {
        const qint64 value =
            negative ? -static_cast<qint64>(magnitude) : static_cast<qint64>(magnitude);
        if (value < INT_MIN || value > INT_MAX)
            return std::nullopt;
        return static_cast<int>(value);
    }
    // A hexadecimal value names the 32 bits themselves, so $FFFFFFFF is -1.
    quint32 bits = static_cast<quint32>(magnitude);
    if (negative)
        bits = 0u - bits;
    return static_cast<int>(bits);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    const std::optional<QString> text = Value(section, key);
    if (!text)
        return def;
    return ParseInteger(*text).value_or(def);
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    TSection* s = FindSection(section);
    if (!s) {
        FSections.push_back(TSection{section, {}});
        s = &FSections.back();
    }
    for (TLine& line : s->Lines) {
        if (line.HasValue && line.Key.compare(key, Qt::CaseInsensitive) == 0) {
            line.Value = OneLine(value);
            return;
        }
    }
    s->Lines.push_back(TLine{key, OneLine(value), true});
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::UpdateFile() const {
    WriteFileAtomically(FFileName, ToBytes());
}

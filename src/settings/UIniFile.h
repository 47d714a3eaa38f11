#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// An INI text held whole in memory: read once, changed, written out in one step. Everything
// the program does not touch (other sections, unknown keys, lines without "=") is written back
// where it stood; comment lines and lines before the first section are dropped.
class TIniFile {
public:
    TIniFile() = default;
    // Reads the file; a missing file gives an empty INI. An existing file that cannot be read
    // raises EFOpenError, so that its content is never silently replaced.
    explicit TIniFile(const QString& fileName);

    const QString& FileName() const { return FFileName; }

    // UTF-8 with or without the byte order mark.
    void LoadFromBytes(const QByteArray& bytes);
    // UTF-8 with the byte order mark, CR LF line ends, an empty line after each section.
    QByteArray ToBytes() const;

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;

    // The value as it stands in the file (trimmed), or std::nullopt when the key is missing.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, or hexadecimal with "$" or "0x"; anything else leaves def.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // Any integer other than 0 is true; a value that is no integer leaves def.
    bool ReadBool(const QString& section, const QString& key, bool def) const;

    // A key that stands in the section keeps its line; a new key is appended to the section,
    // and a new section to the file.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    // Writes the whole text to a temporary file beside the target, which replaces the target
    // only when complete. Raises EFCreateError or EWriteError naming the file; the old file
    // then stays as it was.
    void UpdateFile() const;

    // The integer rules of ReadInteger, for any text.
    static std::optional<int> ParseInteger(const QString& text);

private:
    struct TLine {
        QString Key;   // trimmed; meaningful only when HasValue
        QString Value; // trimmed; for a line without "=" the whole trimmed line
        bool HasValue = false;
    };
    struct TSection {
        QString Name;
        std::vector<TLine> Lines;
    };

    const TSection* FindSection(const QString& section) const;
    TSection* FindSection(const QString& section);
    static const TLine* FindLine(const TSection& section, const QString& key);

    QString FFileName;
    std::vector<TSection> FSections;
};

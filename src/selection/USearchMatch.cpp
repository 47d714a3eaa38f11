#include "selection/USearchMatch.h"

#include "channels/UChannel.h"
#include "channels/UChannelUtils.h"
#include "main/UChannelTreeModel.h"

#include <QByteArray>

namespace {

constexpr char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

char16_t CodeAt(QStringView field, qsizetype i) {
    return field[i].unicode();
}

char16_t CodeAt(const QByteArray& field, qsizetype i) {
    return char16_t(static_cast<unsigned char>(field[i]));
}

// Field is a QStringView or the bytes of a field that holds ASCII only.
template <typename TField>
bool ContainsIn(const TField& field, qsizetype size, QStringView text, bool ignoreCase) {
    if (text.isEmpty())
        return true;
    const auto at = [&field, ignoreCase](qsizetype i) {
        const char16_t c = CodeAt(field, i);
        return ignoreCase ? AsciiUpper(c) : c;
    };
    const auto wanted = [&text, ignoreCase](qsizetype i) {
        const char16_t c = text[i].unicode();
        return ignoreCase ? AsciiUpper(c) : c;
    };
    const qsizetype last = size - text.size();
    for (qsizetype start = 0; start <= last; ++start) {
        qsizetype i = 0;
        while (i < text.size() && at(start + i) == wanted(i))
            ++i;
        if (i == text.size())
            return true;
    }
    return false;
}

bool IsAscii(const QByteArray& bytes) {
    for (char b : bytes)
        if (static_cast<unsigned char>(b) >= 0x80)
            return false;
    return true;
}

// Every ANSI code page reads the bytes 0 to 127 as ASCII; a forced code page that does not
// (an EBCDIC one, say) must go through the converter for every name.
bool NameCodePageKeepsAscii() {
    QByteArray ascii(128, Qt::Uninitialized);
    for (int i = 0; i < 128; ++i)
        ascii[i] = char(i);
    return DecodeName(ascii) == QLatin1String(ascii);
}

// Names that hold ASCII only, nearly all of them in practice, are searched in their bytes:
// decoding 100,000 names on every keystroke would cost more than the search itself.
class TSearchMatcher {
public:
    TSearchMatcher(const TSearchCriteria& criteria, bool asciiShortcut)
        : FCriteria(criteria), FAsciiShortcut(asciiShortcut) {}

    bool Matches(const TChannel& c) const {
        return Holds(FCriteria.Root, c, &TChannel::RootBytes, &TChannel::Root) &&
               Holds(FCriteria.Category, c, &TChannel::CategoryBytes, &TChannel::Category) &&
               Holds(FCriteria.ChannelName, c, &TChannel::NameBytes, &TChannel::Name);
    }

private:
    bool Holds(const QString& text, const TChannel& c, QByteArray (TChannel::*bytesOf)() const,
               QString (TChannel::*textOf)() const) const {
        if (text.isEmpty())
            return true;
        if (FAsciiShortcut) {
            const QByteArray bytes = (c.*bytesOf)();
            if (IsAscii(bytes))
                return ContainsIn(bytes, bytes.size(), text, FCriteria.IgnoreCase);
        }
        const QString field = (c.*textOf)();
        return ContainsText(field, text, FCriteria.IgnoreCase);
    }

    const TSearchCriteria& FCriteria;
    bool FAsciiShortcut;
};

} // namespace

bool ContainsText(QStringView field, QStringView text, bool ignoreCase) {
    // Qt's own case-insensitive search folds every letter; only a to z may fold here.
    return ContainsIn(field, field.size(), text, ignoreCase);
}

bool SearchMatches(const TChannel& c, const TSearchCriteria& criteria) {
    return TSearchMatcher(criteria, false).Matches(c);
}

int SearchStep(const TChannelTreeModel& tree, int startRow, bool forward,
               const TSearchCriteria& criteria) {
    const int count = tree.TopCount();
    if (startRow < -1 || startRow >= count || (!forward && startRow < 0))
        return -1;
    const TSearchMatcher matcher(criteria, NameCodePageKeepsAscii());
    const int step = forward ? 1 : -1;
    for (int row = startRow + step; row >= 0 && row < count; row += step)
        if (matcher.Matches(*tree.ChannelAt(row)))
            return row;
    return -1;
}

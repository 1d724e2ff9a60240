#include "settings/profile_text.h"

#include <vector>

namespace quiltmap::settings {
namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimBlanks(QStringView s)
{
    while (!s.isEmpty() && isBlank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

bool isQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// One line of the text: [begin, contentEnd) is its content, [contentEnd, end) its line break.
struct Line
{
    qsizetype begin;
    qsizetype contentEnd;
    qsizetype end;
};

std::vector<Line> splitLines(QStringView text)
{
    std::vector<Line> lines;
    qsizetype begin = 0;
    while (begin < text.size()) {
        const qsizetype newline = text.indexOf(u'\n', begin);
        const qsizetype end = newline < 0 ? text.size() : newline + 1;
        qsizetype contentEnd = newline < 0 ? end : newline;
        if (contentEnd > begin && text[contentEnd - 1] == u'\r')
            --contentEnd;
        lines.push_back({ begin, contentEnd, end });
        begin = end;
    }
    return lines;
}

QStringView contentOf(QStringView text, const Line &line)
{
    return text.sliced(line.begin, line.contentEnd - line.begin);
}

// "[name]" with blanks allowed around the name and the brackets.
std::optional<QStringView> sectionName(QStringView content)
{
    const QStringView trimmed = trimBlanks(content);
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = trimmed.lastIndexOf(u']');
    if (close < 1)
        return std::nullopt;
    return trimBlanks(trimmed.sliced(1, close - 1));
}

struct KeyValue
{
    QStringView key;
    QStringView value;
};

// "key=value"; comment lines (";" or "#") and lines without "=" are no key lines.
std::optional<KeyValue> keyValue(QStringView content)
{
    const QStringView trimmed = trimBlanks(content);
    if (trimmed.isEmpty() || trimmed.front() == u';' || trimmed.front() == u'#'
        || trimmed.front() == u'[')
        return std::nullopt;
    const qsizetype equals = trimmed.indexOf(u'=');
    if (equals <= 0)
        return std::nullopt;
    return KeyValue { trimBlanks(trimmed.first(equals)), trimBlanks(trimmed.sliced(equals + 1)) };
}

struct Location
{
    // The line of the key, when it exists.
    std::optional<size_t> keyLine;
    // The last non-blank line of the first section of that name (its header at least).
    std::optional<size_t> sectionEnd;
};

Location locate(
    QStringView text, const std::vector<Line> &lines, QStringView section, QStringView key)
{
    Location location;
    bool inSection = false;
    int sectionsSeen = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const QStringView content = contentOf(text, lines[i]);
        if (const auto name = sectionName(content)) {
            inSection = sameName(*name, section);
            if (inSection && ++sectionsSeen == 1)
                location.sectionEnd = i;
            continue;
        }
        if (!inSection)
            continue;
        if (sectionsSeen == 1 && !trimBlanks(content).isEmpty())
            location.sectionEnd = i;
        if (const auto entry = keyValue(content); entry && sameName(entry->key, key)) {
            location.keyLine = i;
            return location;
        }
    }
    return location;
}

QString unquoted(QStringView value)
{
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    if (value.size() > kMaxValueLength) {
        value.truncate(kMaxValueLength);
        // Half a surrogate pair is no character.
        if (value.back().isHighSurrogate())
            value.chop(1);
    }
    return value.toString();
}

// The value as it is written so that reading gives it back.
QString storedValue(QStringView value)
{
    QString stored = value.toString();
    stored.replace(u'\r', u' ').replace(u'\n', u' ');
    const bool losesBlanks
        = !stored.isEmpty() && (isBlank(stored.front()) || isBlank(stored.back()));
    const bool losesQuotes
        = stored.size() >= 2 && isQuote(stored.front()) && stored.back() == stored.front();
    if (losesBlanks || losesQuotes)
        return u'"' + stored + u'"';
    return stored;
}

QStringView lineBreakOf(QStringView text)
{
    const qsizetype newline = text.indexOf(u'\n');
    return newline > 0 && text[newline - 1] == u'\r' ? QStringView(u"\r\n") : QStringView(u"\n");
}

} // namespace

std::optional<QString> findProfileValue(QStringView text, QStringView section, QStringView key)
{
    const std::vector<Line> lines = splitLines(text);
    const Location location = locate(text, lines, section, key);
    if (!location.keyLine)
        return std::nullopt;
    return unquoted(keyValue(contentOf(text, lines[*location.keyLine]))->value);
}

QString withProfileValue(QStringView text, QStringView section, QStringView key, QStringView value)
{
    const std::vector<Line> lines = splitLines(text);
    const Location location = locate(text, lines, section, key);
    const QStringView lineBreak = lineBreakOf(text);
    const QString entry = key + u'=' + storedValue(value);
    QString result = text.toString();
    if (location.keyLine) {
        const Line &line = lines[*location.keyLine];
        return result.replace(line.begin, line.contentEnd - line.begin, entry);
    }
    if (location.sectionEnd) {
        const Line &line = lines[*location.sectionEnd];
        const bool lastLineOpen = text[line.end - 1] != u'\n';
        return result.insert(
            line.end, lastLineOpen ? QString(lineBreak + entry) : QString(entry + lineBreak));
    }
    if (!result.isEmpty() && !result.endsWith(u'\n'))
        result += lineBreak;
    return result + u'[' + section + u']' + lineBreak + entry + lineBreak;
}

} // namespace quiltmap::settings

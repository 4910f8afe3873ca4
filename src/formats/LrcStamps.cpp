#include "LrcStamps.h"

#include <algorithm>
#include <limits>

namespace tavelkor {

namespace {

bool IsAsciiDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }
bool IsAsciiLetter(QChar c) {
    return (c.unicode() >= u'a' && c.unicode() <= u'z') ||
           (c.unicode() >= u'A' && c.unicode() <= u'Z');
}
bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

qsizetype SkipBlanks(QStringView text, qsizetype pos) {
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    return pos;
}

constexpr long long MaxMs = std::numeric_limits<int>::max();

// Writes the decimal digits of `value`, zero-padded to `minDigits`, at `out`; returns the end.
char16_t* WriteNumber(char16_t* out, long long value, int minDigits) {
    char16_t digits[20];
    int n = 0;
    do {
        digits[n++] = char16_t(u'0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int i = n; i < minDigits; ++i)
        *out++ = u'0';
    while (n > 0)
        *out++ = digits[--n];
    return out;
}

} // namespace

std::optional<LrcStamp> ReadLrcStamp(QStringView text, qsizetype pos) {
    const qsizetype n = text.size();
    if (pos < 0 || pos >= n)
        return std::nullopt;
    QChar close;
    if (text[pos] == u'[')
        close = u']';
    else if (text[pos] == u'<')
        close = u'>';
    else
        return std::nullopt;
    LrcStamp stamp;
    qsizetype i = pos + 1;
    long long minutes = 0;
    while (i < n && IsAsciiDigit(text[i])) {
        minutes = minutes * 10 + (text[i].unicode() - u'0');
        if (minutes * 60000 > MaxMs)
            return std::nullopt;
        ++stamp.MinuteDigits;
        ++i;
    }
    if (stamp.MinuteDigits == 0 || i >= n || text[i] != u':')
        return std::nullopt;
    ++i;
    int seconds = 0;
    while (i < n && IsAsciiDigit(text[i]) && stamp.SecondDigits < 3) {
        seconds = seconds * 10 + (text[i].unicode() - u'0');
        ++stamp.SecondDigits;
        ++i;
    }
    if (stamp.SecondDigits == 0 || stamp.SecondDigits > 2 || i >= n)
        return std::nullopt;
    int fraction = 0;
    if (text[i] == u'.') {
        ++i;
        while (i < n && IsAsciiDigit(text[i]) && stamp.FractionDigits < 4) {
            fraction = fraction * 10 + (text[i].unicode() - u'0');
            ++stamp.FractionDigits;
            ++i;
        }
        if (stamp.FractionDigits == 0 || stamp.FractionDigits > 3 || i >= n)
            return std::nullopt;
    }
    if (text[i] != close)
        return std::nullopt;
    static constexpr int scale[] = {0, 100, 10, 1};
    const long long ms =
        minutes * 60000 + seconds * 1000LL + fraction * scale[stamp.FractionDigits];
    if (ms > MaxMs)
        return std::nullopt;
    stamp.TimeMs = int(ms);
    stamp.Length = i + 1 - pos;
    return stamp;
}

void AppendLrcStamp(QString& out, QChar open, int timeMs, int fractionDigits, int minuteDigits,
                    int secondDigits) {
    static constexpr long long units[] = {1000, 100, 10, 1};
    const int digits = fractionDigits < 0 ? 0 : (fractionDigits > 3 ? 3 : fractionDigits);
    const long long unit = units[digits];
    const long long ms = timeMs < 0 ? 0 : timeMs;
    long long count = ms / unit;
    const long long rest = ms % unit;
    if (2 * rest > unit || (2 * rest == unit && count % 2 == 1)) // halves to even
        ++count;
    if (count * unit > MaxMs) // would no longer read as a stamp
        --count;
    const long long rounded = count * unit;
    // The stamp is written straight behind the text, into room for its longest form (the
    // minutes of MaxMs take 5 digits); the room not used is given back.
    const qsizetype start = out.size();
    out.resize(start + 16 + std::max(minuteDigits, 0) + std::max(secondDigits, 0));
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    char16_t* at = begin + start;
    *at++ = open.unicode();
    at = WriteNumber(at, rounded / 60000, minuteDigits);
    *at++ = u':';
    at = WriteNumber(at, rounded / 1000 % 60, secondDigits);
    if (digits > 0) {
        *at++ = u'.';
        at = WriteNumber(at, rounded % 1000 / unit, digits);
    }
    *at++ = open == u'<' ? u'>' : u']';
    out.truncate(at - begin);
}

QString FormatLrcStamp(QChar open, int timeMs, int fractionDigits, int minuteDigits,
                       int secondDigits) {
    QString out;
    AppendLrcStamp(out, open, timeMs, fractionDigits, minuteDigits, secondDigits);
    return out;
}

LrcLineHead ReadLrcLineHead(QStringView line) {
    LrcLineHead head;
    qsizetype pos = SkipBlanks(line, 0);
    while (pos < line.size() && line[pos] == u'[') {
        const std::optional<LrcStamp> stamp = ReadLrcStamp(line, pos);
        if (!stamp)
            break;
        head.Stamps.append({pos, *stamp});
        pos += stamp->Length;
        head.BodyBegin = pos;
        // Blanks between two stamps belong to neither; before the text they are text.
        pos = SkipBlanks(line, pos);
    }
    return head;
}

namespace {

// The end of an ID tag's key that starts at `pos` (the position of its ":"), or -1.
qsizetype TagKeyEnd(QStringView line, qsizetype pos) {
    if (pos >= line.size() || !IsAsciiLetter(line[pos]))
        return -1;
    qsizetype i = pos + 1;
    while (i < line.size() && (IsAsciiLetter(line[i]) || IsAsciiDigit(line[i]) || line[i] == u'_'))
        ++i;
    return i < line.size() && line[i] == u':' ? i : -1;
}

bool StartsTag(QStringView line, qsizetype pos) {
    return pos < line.size() && line[pos] == u'[' && TagKeyEnd(line, pos + 1) >= 0;
}

QStringView TrimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

bool ReadLrcIdTags(QStringView line, const std::function<void(QStringView, QStringView)>& visit) {
    qsizetype pos = SkipBlanks(line, 0);
    bool any = false;
    while (StartsTag(line, pos)) {
        const qsizetype colon = TagKeyEnd(line, pos + 1);
        const qsizetype valueBegin = colon + 1;
        qsizetype close = -1;
        qsizetype first = -1;
        for (qsizetype i = line.indexOf(u']', valueBegin); i >= 0; i = line.indexOf(u']', i + 1)) {
            if (first < 0)
                first = i;
            const qsizetype after = SkipBlanks(line, i + 1);
            if (after == line.size() || StartsTag(line, after)) {
                close = i;
                break;
            }
        }
        if (close < 0)
            close = first;
        if (close < 0)
            break; // an unterminated tag is no tag
        visit(line.mid(pos + 1, colon - pos - 1),
              TrimBlanks(line.mid(valueBegin, close - valueBegin)));
        any = true;
        pos = SkipBlanks(line, close + 1);
    }
    return any;
}

bool IsKnownLrcIdTag(QStringView key) {
    static const char16_t* const known[] = {u"ti",     u"ar",     u"al", u"au", u"by",
                                            u"offset", u"length", u"re", u"ve"};
    for (const char16_t* k : known) {
        if (key.compare(QStringView(k), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace tavelkor

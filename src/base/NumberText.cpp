#include "NumberText.h"

#include <QByteArray>
#include <charconv>
#include <cmath>
#include <limits>

namespace tavelkor {

namespace {

bool IsAsciiDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

} // namespace

std::optional<double> ParseNumber(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    if (begin == end)
        return std::nullopt;
    QByteArray ascii;
    ascii.reserve(end - begin);
    qsizetype i = begin;
    auto take = [&](QChar c) { ascii.append(char(c.unicode())); };
    if (text[i] == u'+' || text[i] == u'-')
        take(text[i++]);
    int digits = 0;
    while (i < end && IsAsciiDigit(text[i])) {
        take(text[i++]);
        ++digits;
    }
    if (i < end && text[i] == u'.') {
        take(text[i++]);
        while (i < end && IsAsciiDigit(text[i])) {
            take(text[i++]);
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        take(text[i++]);
        if (i < end && (text[i] == u'+' || text[i] == u'-'))
            take(text[i++]);
        int exponentDigits = 0;
        while (i < end && IsAsciiDigit(text[i])) {
            take(text[i++]);
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;
    // from_chars takes no "+"; the grammar above has already been checked.
    const char* first = ascii.constData();
    const char* last = first + ascii.size();
    if (*first == '+')
        ++first;
    double value = 0;
    const auto parsed = std::from_chars(first, last, value);
    if (parsed.ec != std::errc() || parsed.ptr != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> RoundToInt32(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < double(std::numeric_limits<int>::min()) ||
        rounded > double(std::numeric_limits<int>::max()))
        return std::nullopt;
    return int(rounded);
}

std::optional<int> ParseInt32(QStringView text) {
    const auto number = ParseNumber(text);
    if (!number)
        return std::nullopt;
    return RoundToInt32(*number);
}

// std::to_chars and std::from_chars never follow the user's locale, so a file reads and
// writes the same on every machine; they are also far quicker than going through QLocale.
QString FormatNumber(double value, int digits) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

double RoundTrip15(double value) {
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    double back = value;
    std::from_chars(buffer, written.ptr, back);
    return back;
}

double RoundVia15Digits(double value) {
    // Cutting to 15 significant digits moves the value by at most 5e-15 of itself; that can
    // only change the rounding when the value lies that close to a half.
    const double fraction = value - std::floor(value);
    if (std::isfinite(value) && std::fabs(fraction - 0.5) > std::fabs(value) * 1e-14 + 1e-300)
        return std::nearbyint(value);
    return std::nearbyint(RoundTrip15(value));
}

int ClampToInt32(long long value) {
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}

std::optional<int> ParseTypedInt32(QStringView text) {
    QString ascii;
    ascii.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= u'\uFF01' && u <= u'\uFF5E')
            ascii += QChar(u - 0xFEE0); // the full-width forms of ASCII
        else if (u == u'\u2212')
            ascii += u'-';
        else if (u == u'\u3000')
            ascii += u' ';
        else
            ascii += c;
    }
    return ParseInt32(ascii);
}

} // namespace tavelkor

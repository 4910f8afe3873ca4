#include "TimeValues.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tavelkor {

namespace {

bool IsAsciiDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

int TwoDigits(QStringView text, qsizetype pos) {
    if (!IsAsciiDigit(text[pos]) || !IsAsciiDigit(text[pos + 1]))
        return -1;
    return (text[pos].unicode() - u'0') * 10 + (text[pos + 1].unicode() - u'0');
}

} // namespace

int TagToMs(QStringView tag) {
    if (tag.size() < 10)
        return -1;
    const int minutes = TwoDigits(tag, 1);
    const int seconds = TwoDigits(tag, 4);
    const int hundredths = TwoDigits(tag, 7);
    if (minutes < 0 || seconds < 0 || hundredths < 0)
        return -1;
    return (minutes * 60 + seconds) * 1000 + hundredths * 10;
}

namespace {

void WriteTag(int ms, QChar (&out)[10]) {
    const int value = ms < 0 ? 0 : (ms > MaxTagMs ? MaxTagMs : ms);
    const int minutes = value / 60000;
    const int seconds = (value - minutes * 60000) / 1000;
    const int rest = value - minutes * 60000 - seconds * 1000;
    int hundredths = int(std::nearbyint(rest / 10.0)); // default rounding: halves to even
    if (hundredths > 99)
        hundredths = 99;
    if (hundredths < 0)
        hundredths = 0;
    auto put = [&out](int at, int n) {
        out[at] = QChar(u'0' + n / 10);
        out[at + 1] = QChar(u'0' + n % 10);
    };
    out[0] = u'[';
    put(1, minutes);
    out[3] = u':';
    put(4, seconds);
    out[6] = u':';
    put(7, hundredths);
    out[9] = u']';
}

} // namespace

QString MsToTag(int ms) {
    QChar out[10];
    WriteTag(ms, out);
    return QString(out, 10);
}

void SetTagText(QString& tag, int ms) {
    QChar out[10];
    WriteTag(ms, out);
    if (QStringView(out, 10) == tag)
        return;
    // A tag text of its own is rewritten where it stands; a shared one is replaced.
    if (tag.size() == 10 && tag.isDetached())
        std::copy(out, out + 10, tag.data());
    else
        tag = QString(out, 10);
}

TagChars MsToTagChars(int ms) {
    TagChars tag;
    SetTagText(tag, ms);
    return tag;
}

KaraokeFragment FragmentAtTime(int ms, QString text) {
    return {MsToTagChars(ms), ms, std::move(text)};
}

void SetTagText(TagChars& tag, int ms) {
    QChar out[10];
    WriteTag(ms, out);
    tag = QStringView(out, 10);
}

bool IsFullTagAt(QStringView text, qsizetype pos) {
    if (pos < 0 || text.size() - pos < 10)
        return false;
    const QChar* c = text.data() + pos;
    return c[0] == u'[' && IsAsciiDigit(c[1]) && IsAsciiDigit(c[2]) && c[3] == u':' &&
           IsAsciiDigit(c[4]) && IsAsciiDigit(c[5]) && c[6] == u':' && IsAsciiDigit(c[7]) &&
           IsAsciiDigit(c[8]) && c[9] == u']';
}

bool IsShortTagAt(QStringView text, qsizetype pos) {
    if (pos < 0 || text.size() - pos < 7)
        return false;
    const QChar* c = text.data() + pos;
    return c[0] == u'[' && IsAsciiDigit(c[1]) && IsAsciiDigit(c[2]) && c[3] == u':' &&
           IsAsciiDigit(c[4]) && IsAsciiDigit(c[5]) && c[6] == u']';
}

int ShiftedTime(int timeMs, int shiftMs) {
    const long long value = static_cast<long long>(timeMs) + shiftMs;
    if (value < 0)
        return 0;
    return ClampToInt32(value);
}

} // namespace tavelkor

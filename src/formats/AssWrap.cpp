#include "AssWrap.h"

#include <QRegularExpression>
#include <QVector>
#include <cmath>

namespace tavelkor {

namespace {

bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115f) || (c >= 0x2e80 && c <= 0xa4cf) ||
           (c >= 0xac00 && c <= 0xd7a3) || (c >= 0xf900 && c <= 0xfaff) ||
           (c >= 0xfe30 && c <= 0xfe4f) || (c >= 0xff00 && c <= 0xff60) ||
           (c >= 0xffe0 && c <= 0xffe6) || (c >= 0x1f000 && c <= 0x1faff) ||
           (c >= 0x20000 && c <= 0x3fffd);
}

// A shown character of the text: where it starts and ends in the text and its width in tenths
// of the font size.
struct Shown {
    qsizetype From = 0, To = 0;
    int Width = 0;
    bool Blank = false;
};

} // namespace

QString WrappedAssText(const QString& text, int fontSize, int width) {
    QVector<Shown> shown;
    int total = 0;
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'{') { // an override block of the writer's: no width
            const qsizetype close = text.indexOf(u'}', i);
            i = close < 0 ? text.size() : close + 1;
            continue;
        }
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        const qsizetype to = i + (pair ? 2 : 1);
        shown.append({i, to, IsWide(c) ? 10 : 6, c == u' '});
        total += shown.last().Width;
        i = to;
    }
    const int room = std::max(1, width * 10 / std::max(1, fontSize)); // in tenths
    if (total <= room)
        return text;
    // As many rows as the width needs, each filled up to an even share.
    const int rows = (total + room - 1) / room;
    const int share = std::max(10, (total + rows - 1) / rows);
    QVector<std::pair<qsizetype, bool>> breaks; // where (in the text), and whether on a blank
    int row = 0;
    qsizetype lastBlank = -1; // in `shown`, within the row
    qsizetype rowStart = 0;
    int rest = total; // of the characters from `s` on
    for (qsizetype s = 0; s < shown.size(); ++s) {
        // A row ends past its share, unless what is left fits in this row.
        if (row + shown[s].Width > share && row + rest > room && s > rowStart && !shown[s].Blank) {
            if (lastBlank > rowStart) { // the row ends at its last blank
                breaks.append({shown[lastBlank].From, true});
                rowStart = lastBlank + 1;
            } else {
                breaks.append({shown[s].From, false});
                rowStart = s;
            }
            row = 0;
            for (qsizetype r = rowStart; r < s; ++r)
                row += shown[r].Width;
            lastBlank = -1;
        }
        if (shown[s].Blank)
            lastBlank = s;
        row += shown[s].Width;
        rest -= shown[s].Width;
    }
    // libass colours the text of a syllable that follows a break by the syllable's place on its
    // first row, which leaves it unsung: each row starts a karaoke tag of its own. Cut inside,
    // "\\k" and "\\ko" turn both parts at the syllable's start (the first part lasts 0), "\\kf"
    // and "\\K" sweep each part for its share of the time.
    static const QRegularExpression karaoke(QStringLiteral("^\\{\\\\(kf|ko|k|K)(\\d+)\\}$"));
    QString wrapped = text;
    for (qsizetype b = breaks.size() - 1; b >= 0; --b) {
        const auto [at, blank] = breaks[b];
        const qsizetype open = at > 0 ? wrapped.lastIndexOf(u'{', at - 1) : -1;
        const qsizetype close = open < 0 ? -1 : wrapped.indexOf(u'}', open);
        const auto tag = open < 0 ? QRegularExpressionMatch()
                                  : karaoke.match(wrapped.mid(open, close - open + 1));
        if (!tag.hasMatch()) {
            wrapped.replace(at, blank ? 1 : 0, QStringLiteral("\\N"));
        } else if (close + 1 == at) { // at a syllable's start: the break before its tag
            wrapped.remove(at, blank ? 1 : 0);
            wrapped.insert(open, QStringLiteral("\\N"));
        } else {
            qsizetype end = wrapped.indexOf(u'{', at);
            end = end < 0 ? wrapped.size() : end;
            const qint64 duration = tag.captured(2).toLongLong();
            const bool sweeps = tag.captured(1) == u"kf" || tag.captured(1) == u"K";
            const qint64 first =
                sweeps ? duration * (at - close - 1) / std::max<qsizetype>(1, end - close - 1) : 0;
            wrapped.replace(
                at, blank ? 1 : 0,
                QStringLiteral("\\N{\\%1%2}").arg(tag.captured(1)).arg(duration - first));
            wrapped.replace(open, close - open + 1,
                            QStringLiteral("{\\%1%2}").arg(tag.captured(1)).arg(first));
        }
    }
    return wrapped;
}

} // namespace tavelkor

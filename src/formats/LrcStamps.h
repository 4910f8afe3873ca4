// The syntax of LRC text that its reader, writer, time shift and format detection share: time
// stamps, the stamps at a line's head, word stamps inside a line, and ID tags.
#pragma once

#include <QString>
#include <QStringView>
#include <QVarLengthArray>
#include <QVector>
#include <functional>
#include <optional>

namespace tavelkor {

// One time stamp as it stands in LRC text: "[mm:ss.xx]" before a line's text (and, in the
// inline word-timed form, inside it), or "<mm:ss.xx>" before a word of enhanced LRC.
struct LrcStamp {
    qsizetype Length = 0; // characters from the opening bracket through the closing one
    int TimeMs = 0;
    int MinuteDigits = 0;   // as written, so that a rewritten stamp keeps its form
    int SecondDigits = 0;   // 1 or 2
    int FractionDigits = 0; // 0 (whole seconds), 1, 2 or 3
};

// The stamp that starts at `pos`: "[" or "<", minutes of one or more digits, ":", seconds of
// one or two digits, optionally "." and one to three digits, and the matching "]" or ">".
// Seconds above 59 carry into the minutes. Nothing when there is no such stamp, or when its
// time lies beyond the largest 32-bit number of milliseconds.
std::optional<LrcStamp> ReadLrcStamp(QStringView text, qsizetype pos);

// The stamp of `timeMs` (below 0 taken as 0) with `open` ("[" or "<") and its closing bracket,
// `fractionDigits` (0..3) digits after the seconds, rounded to them with halves to even;
// minutes with at least `minuteDigits` digits, seconds with at least `secondDigits`.
QString FormatLrcStamp(QChar open, int timeMs, int fractionDigits, int minuteDigits = 2,
                       int secondDigits = 2);
// FormatLrcStamp appended to `out`.
void AppendLrcStamp(QString& out, QChar open, int timeMs, int fractionDigits, int minuteDigits = 2,
                    int secondDigits = 2);

// A stamp and where it stands in its line.
struct PlacedLrcStamp {
    qsizetype Position;
    LrcStamp Stamp;
};

// The stamps at a line's head: leading blanks, then one or more square stamps, blanks allowed
// between them. The body (the line's text) starts right after the last of them.
struct LrcLineHead {
    // Empty: the line is not a timed line. Most lines have one stamp, a repeated one a few.
    QVarLengthArray<PlacedLrcStamp, 4> Stamps;
    qsizetype BodyBegin = 0;
};
LrcLineHead ReadLrcLineHead(QStringView line);

// Calls `visit(PlacedLrcStamp)` for every word stamp of a timed line's body, in order: the
// enhanced form "<mm:ss.xx>" and the inline form "[mm:ss.xx]". Positions count from the start
// of `body`.
template <class Visit>
void ForEachLrcWordStamp(QStringView body, Visit&& visit) {
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] != u'<' && body[i] != u'[')
            continue;
        if (const std::optional<LrcStamp> stamp = ReadLrcStamp(body, i)) {
            visit(PlacedLrcStamp{i, *stamp});
            i += stamp->Length - 1;
        }
    }
}

// The ID tags a line starts with ("[ti:Title]", "[offset:+250]"): leading blanks, then one or
// more "[key:value]", key a letter followed by letters, digits or "_". A value ends at the first
// "]" that ends the line or is followed by another tag, so a title may hold brackets; what
// follows the tags is ignored. Calls `visit(key, value)` with the value trimmed of blanks and
// returns whether the line is a tag line.
bool ReadLrcIdTags(QStringView line, const std::function<void(QStringView, QStringView)>& visit);

// The ID tags that mean something to LRC players (compared ignoring letter case).
bool IsKnownLrcIdTag(QStringView key);

} // namespace tavelkor

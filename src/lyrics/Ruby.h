// Readings (ruby, furigana) of TimeTag lyrics: the header lines "@RubyN=base,reading[,start]
// [,end]" (for example "@Ruby1=為替,かわせ" or "@Ruby2=為替,かわせ,,[01:00:00]") and where they
// stand in a line at a given time.
//
// Writers of formats that carry ruby (TTML, WebVTT, ASS karaoke furigana) ask RubyFor() for the
// spans of each line and never put readings into the lyric text itself.
#pragma once

#include "LyricsDocument.h"

#include <QString>
#include <QStringView>
#include <QVector>
#include <optional>

namespace tavelkor {

// A reading over characters From .. From + Length - 1 of a line's PlainText (UTF-16 indexes).
struct RubySpan {
    int From = 0;
    int Length = 0;
    QString Reading;
    int Number = 0; // the entry's N

    bool operator==(const RubySpan& other) const {
        return From == other.From && Length == other.Length && Reading == other.Reading &&
               Number == other.Number;
    }
};

// The entry of a directive line "@RubyN=..." (key case-insensitive, value trimmed as other
// directives are). Nothing when the line is no well-formed ruby line: N not a number, base or
// reading empty, more than four fields, or a start or end that is not "" or a full tag. Such a
// line is treated like any directive the program does not know.
std::optional<RubyEntry> ReadRubyDirective(QStringView line);
// "@RubyN=base,reading" with ",start" and ",end" as far as they are set: the line
// ReadRubyDirective read, character for character, for the canonical form.
QString ComposeRubyDirective(const RubyEntry& entry);
// True when the entry applies at `timeMs`: start inclusive, end exclusive.
bool RubyApplies(const RubyEntry& entry, int timeMs);

// The readings over `text` at `timeMs`, in the order of the text: each applying entry (in the
// order of the list) takes the first occurrence of its base that overlaps no span taken before.
QVector<RubySpan> RubySpansIn(const QVector<RubyEntry>& entries, QStringView text, int timeMs);
// The readings over line `line` (index into document.Lines) of the document at `timeMs` (in
// the document's own times, the same as its fragments'); none for a directive line or an index
// out of range.
QVector<RubySpan> RubyFor(const LyricsDocument& document, int line, int timeMs);

// Every ruby time moved through `map` (a start or end of -1 stays unset), with its tag text.
template <typename Map>
void MapRubyTimes(QVector<RubyEntry>& entries, Map map);
void SetRubyTimes(RubyEntry& entry, int startMs, int endMs);

template <typename Map>
void MapRubyTimes(QVector<RubyEntry>& entries, Map map) {
    for (RubyEntry& entry : entries)
        SetRubyTimes(entry, entry.StartMs < 0 ? -1 : map(entry.StartMs),
                     entry.EndMs < 0 ? -1 : map(entry.EndMs));
}

} // namespace tavelkor

// The lyrics as the timing editor holds them: lines of fragments, each with the time its
// sung part starts and, where it stops before the next one starts, the time it ends. Times
// are real song milliseconds; -1 means not timed yet.
#pragma once

#include "../lyrics/LyricsDocument.h"
#include "FragmentSplitter.h"

#include <QString>
#include <QVector>

namespace tavelkor {

struct TimedFragment {
    QString Text;
    int StartMs = -1;
    int EndMs = -1; // an end of its own: a pause after it, or the end of the line

    bool Timed() const { return StartMs >= 0; }
    bool operator==(const TimedFragment& other) const {
        return Text == other.Text && StartMs == other.StartMs && EndMs == other.EndMs;
    }
};

struct TimingLine {
    QVector<TimedFragment> Fragments; // none for an empty line

    QString Text() const;
    bool AnyTimed() const;
    bool operator==(const TimingLine& other) const { return Fragments == other.Fragments; }
};

// Where a fragment is: line and fragment index.
struct FragmentPlace {
    int Line = -1;
    int Fragment = -1;
    bool Valid() const { return Line >= 0 && Fragment >= 0; }
    bool operator==(const FragmentPlace& other) const {
        return Line == other.Line && Fragment == other.Fragment;
    }
};

struct TimingDocument {
    LyricsHeader Header;
    QVector<TimingLine> Lines;

    // The next fragment after `place` in reading order (across lines), or an invalid place.
    FragmentPlace Next(FragmentPlace place) const;
    // The fragment before `place` in reading order, or an invalid place.
    FragmentPlace Previous(FragmentPlace place) const;
    // The first fragment of the first line that has one at or after `line`.
    FragmentPlace FirstFrom(int line) const;
    const TimedFragment* At(FragmentPlace place) const;
};

// The lines of a document in real milliseconds (as the preview shows them): lines with
// karaoke tags keep their fragments (an empty fragment after another is that one's end);
// lines with one tag or none are split by `rules`, a line tag timing the first fragment and
// an end tag the last; a text of no length before the end tag ("[s]F[t]rest[t]") is the
// line's untimed rest, split by `rules`. Directive lines go into the header, which is otherwise
// kept.
TimingDocument TimingFromLyrics(const LyricsDocument& document, const SplitRules& rules);
// Plain text: every line split by `rules`, nothing timed.
TimingDocument TimingFromPlainText(const QString& text, const SplitRules& rules);

// The TimeTag text of the document, composed by the TimeTag writer with "@TimeRatio=1": a
// timed line is its fragments' tags and texts, an end that is not the next fragment's start a
// tag of its own (a trailing tag at the end of the line, an empty fragment for a pause inside
// it). Fragments not timed yet after the last timed one follow the line's end tag as a part
// of no length, "[s]F[t]rest[t]" (t: F's end, else the next line's start, else F's start), which
// TimingFromLyrics reads back as untimed fragments; other fragments not timed yet are written
// as text of the timed fragment before them; a line without any time is written as plain text.
QString ComposeTimingText(const TimingDocument& document);
LyricsDocument TimingToLyrics(const TimingDocument& document);

// True when every line's times are in order: starts never go back, an end is after its
// start and not after the next start.
bool TimesInOrder(const TimingLine& line);

} // namespace tavelkor

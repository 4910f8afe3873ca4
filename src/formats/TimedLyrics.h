// Lyrics as the word-timed caption formats (ASS, TTML, WebVTT, SRT) hold them: lines shown from
// a start to an end, each made of words sung from their own start to the next word's start (the
// last one to the line's end). A word with empty text is a pause. Every time is real time in
// milliseconds.
#pragma once

#include "../lyrics/LyricsDocument.h"
#include "../lyrics/Ruby.h"

#include <QString>
#include <QVector>

namespace tavelkor {

struct TimedWord {
    QString Text;
    int StartMs = 0;
    bool operator==(const TimedWord& other) const = default;
};

struct TimedLine {
    int StartMs = 0;          // when the line is shown; never after its first word
    int EndMs = 0;            // when it goes; never before its last word's start
    bool WordTimed = false;   // the words carry their own times (karaoke); else one word, the line
    QVector<TimedWord> Words; // in time order, at least one
    // Readings over Text() (From and Length index it; Number is not used), in text order, not
    // overlapping: what the formats with ruby write and give back.
    QVector<RubySpan> Ruby;
    // The file gave the line no end (EndMs is then its last word's start): it lasts until the
    // next line. A line with an end at its last word's start keeps it (its last word or, for
    // a line of one word, the line itself is never shown).
    bool OpenEnd = false;
    QString Text() const; // the words' texts joined
};

struct TimedLyrics {
    QString Title;
    QString Artist;
    QVector<TimedLine> Lines; // in the order they are shown
};

// The timed lines of a TimeTag document already re-timed to real milliseconds. Every timed,
// non-directive line with text becomes one line: its tags become its words (the text before the
// first tag joins the first word), an empty last tag is its end, else the next line's start
// (when that is later) ends it, else `lastLineMs` after its last tag. Lines without time or
// text are left out; they are what the caption formats cannot show. A line's readings are
// RubyFor() at the line's start.
TimedLyrics TimedLyricsOf(const LyricsDocument& document, int lastLineMs);

// The TimeTag document of timed lines (ratio 1, times as they are): a karaoke tag per word, a
// pause tag where a word ends before the next starts or the line is shown before its first word,
// and an end tag where the line ends other than at the next line's start or where its last word
// lasts no time (unless its end is open). Lines sort by start (stable). Title and artist become
// the header; the lines' readings become "@Ruby" entries (AddRubyEntries).
LyricsDocument DocumentOfTimedLyrics(TimedLyrics lyrics);

} // namespace tavelkor

// Timed lyrics as an ASS (Advanced SubStation Alpha) karaoke script.
#pragma once

#include "TimedLyrics.h"

namespace tavelkor {

struct AssWriteOptions {
    QString Font;
    int FontSize = 48;
    QString SungColour;   // "#RRGGBB": the primary colour, the part already sung
    QString UnsungColour; // "#RRGGBB": the secondary colour, the part still to sing
    QString Karaoke = QStringLiteral("kf"); // the tag of a word: "kf", "k" or "ko"
    int Lines = 1; // lines on screen at once (1 to 4): a line shows while the ones before sing
    // Readings in the karaoke templates' furigana syntax, "base|reading" as a syllable's text;
    // a plain renderer shows them as text.
    bool Furigana = false;
};

// The script: [Script Info], one style, one Dialogue per line from when it shows to its end.
// A word-timed line has a karaoke tag per word (pauses and the wait before the first word as
// "{\k}" on no text) whose centisecond durations add up exactly to the line's time; a line
// timed as a whole is its plain text (shown ahead, it waits on "{\k}" and turns at its time with
// one "{\k}"). "{", "}" and "\" in lyrics become their full-width forms
// (ASS has no escape for them). A line wider than the picture between the margins breaks into
// rows with "\N" (WrappedAssText); WrapStyle 0 lets the renderer break a row that is still
// too wide at a blank. With `Furigana`, a syllable whose text is exactly a reading's
// base is written "base|reading" (other readings, and those with a blank in base or reading
// or the base "#", are not written) and a "|" in lyrics becomes
// "｜", so that a templater takes no lyric for furigana.
QString MakeAssText(const TimedLyrics& lyrics, const AssWriteOptions& options);

} // namespace tavelkor

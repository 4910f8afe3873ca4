// Timed lyrics as WebVTT captions.
#pragma once

#include "TimedLyrics.h"

namespace tavelkor {

// "WEBVTT", a STYLE block colouring the sung part (::cue(:past)) and the part still to sing
// (::cue(:future)) unless `sungColour` is empty, then one numbered cue per line. A word after
// the first gets an inline timestamp "<mm:ss.mmm>" when its start lies strictly after the cue's
// start and the timestamp before it and strictly before the cue's end; otherwise its text joins
// the word before. Every piece of text (a word, or its part inside or outside a reading's base)
// is a class span "<c>...</c>", the nodes the two selectors colour. "&", "<" and ">" are
// written as entities.
QString MakeVttText(const TimedLyrics& lyrics, const QString& sungColour,
                    const QString& unsungColour);

} // namespace tavelkor

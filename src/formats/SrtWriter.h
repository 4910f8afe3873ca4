// Timed lyrics as SubRip (SRT) captions.
#pragma once

#include "TimedLyrics.h"

namespace tavelkor {

// The invisible character (U+2060 WORD JOINER) that keeps markup-like lyrics text in SRT.
inline constexpr QChar SrtWordJoiner = u'\u2060';

// One numbered cue per line, "hh:mm:ss,mmm --> hh:mm:ss,mmm", the line's whole text with a
// word joiner after every "<", after a "{" before "\\" and after a "\\" before "N", "n" or "h".
QString MakeSrtText(const TimedLyrics& lyrics);

} // namespace tavelkor

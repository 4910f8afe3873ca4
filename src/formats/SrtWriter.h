// Timed lyrics as SubRip (SRT) captions.
#pragma once

#include "TimedLyrics.h"

namespace tavelkor {

// One numbered cue per line, "hh:mm:ss,mmm --> hh:mm:ss,mmm", the line's whole text.
QString MakeSrtText(const TimedLyrics& lyrics);

} // namespace tavelkor

// Moving every time of a TimeTag document.
#pragma once

#include "LyricsDocument.h"

namespace tavelkor {

// Every tag of every timed line moves by `shiftMs`, held at 0 below and at 99:59.99 above.
LyricsDocument ShiftLyricsDocument(const LyricsDocument& document, int shiftMs);

} // namespace tavelkor

// Putting the lines of a karaoke document whose lines carry only tags into time order, one
// line per time, as a player shows them.
#pragma once

#include "LyricsDocument.h"

namespace tavelkor {

// True when the document has karaoke lines and none of them carries text between its tags.
bool NeedsLineOrderNormalization(const LyricsDocument& document);
// One line per time of every line, sorted by time and then by text, ignoring letter case;
// stable. A document whose lines would repeat into more than the display limit keeps its order.
LyricsDocument NormalizeLineOrder(const LyricsDocument& document);

} // namespace tavelkor

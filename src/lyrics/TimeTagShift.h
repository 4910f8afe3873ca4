// Moving every time of a TimeTag document.
#pragma once

#include "LyricsDocument.h"

#include <optional>

namespace tavelkor {

// Every tag of every timed line moves by `shiftMs`, held at 0 below and at 99:59.99 above.
LyricsDocument ShiftLyricsDocument(const LyricsDocument& document, int shiftMs);
// The same move on the text itself: every tag of every timed line moves (a short tag "[mm:ss]"
// is written whole), and every other character, the order of the lines and their ends
// included, stays as it is. Nothing when a timed line is not exactly its tags and their text
// (the document's way is then the one to take).
std::optional<QString> ShiftTimeTagTextInPlace(const QString& text, int shiftMs);

} // namespace tavelkor

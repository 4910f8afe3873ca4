// Reading an ASS or SSA script's dialogue as timed lyrics.
#pragma once

#include "TimedLyrics.h"

#include <QStringView>
#include <optional>

namespace tavelkor {

// The Dialogue lines of the [Events] section (in the order of its Format line), each one timed
// line; "Comment" lines are left out. Karaoke tags ("\k", "\K", "\kf", "\ko", durations in
// centiseconds, below 0 taken as 0) start words at the running sum of the durations, held
// within the line's time; other override blocks and drawings are dropped; "\N", "\n" and "\h"
// become blanks; blanks at the end of a line are dropped, as ASS readers and renderers do. The
// title comes from [Script Info]. Nothing when the text has no [Events] section with a Dialogue
// line. Syllables in the karaoke templates' furigana syntax give readings when the whole file uses
// it (TakeAssFurigana).
std::optional<TimedLyrics> ReadAssText(QStringView text);

} // namespace tavelkor

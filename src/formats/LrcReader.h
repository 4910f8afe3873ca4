// Reading standard and enhanced LRC into a LyricsDocument, and reading an LRC file's text.
#pragma once

#include "../lyrics/LyricsDocument.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace tavelkor {

// Reads LRC text. Line stamps "[mm:ss.xx]" (also "[mm:ss]", "[m:ss.x]", "[mm:ss.xxx]",
// minutes above 99; several before one text show it at each time) make timed lines; a word
// stamp "<mm:ss.xx>" or a square stamp inside a line times the text after it. The offset tag
// is folded into every time (time = stamp - offset, held at 0 and above); "[ti:]", "[ar:]",
// "[al:]" and "[by:]" become the title, artist, album and tagger; other tags are dropped.
// With `karaoke`, word stamps become karaoke fragments; without, a word-timed line keeps its
// line stamp and its whole text. A line shown at several times moves its word stamps with
// each line stamp (they were timed for the latest line stamp not after the first word). Lines sort
// by time as a player shows them (stable); a line that is neither timed nor a tag line stays after
// the timed line it followed. The document's ratio is 1: its times are real times. Nothing when the
// repeated stamps would make a document beyond the size of any lyrics.
std::optional<LyricsDocument> ReadLrcText(QStringView text, bool karaoke);

// True when the text is LRC rather than TimeTag with short tags: a line starts with a stamp,
// and some stamp is not of the "[mm:ss]" form, or a line carries a word stamp, or a known ID
// tag stands on its own line. Used by the format detection after the TimeTag tags.
bool LooksLikeLrc(QStringView text);

} // namespace tavelkor

// Reading word-timed TTML (the music players' dialect) and plain TTML as timed lyrics.
#pragma once

#include "TimedLyrics.h"
#include "TtmlTime.h"

#include <QStringView>
#include <optional>

namespace tavelkor {

// Every <p> of the body is a line; every <span> with a begin inside it starts a word (nested
// spans add their text to the word around them; ruby readings, translations and
// transliterations are left out; <br/> is a blank). With itunes:timing on <tt> the times are on
// the song's clock; without, a begin counts from its parent's begin as in TTML. Times may be
// TTML time expressions (see TtmlTime.h) at the rates the <tt> element gives. The title and artist come from ttm:title, ttm:name or the amll:meta keys.
// Nothing for text that is not well-formed TTML, or that declares a document type (entities
// are never expanded), or that has no timed line.
std::optional<TimedLyrics> ReadTtmlText(QStringView text);

} // namespace tavelkor

// Timed lyrics as word-timed TTML, in the dialect that music players read.
#pragma once

#include "TimedLyrics.h"

namespace tavelkor {

// A UTF-8 TTML document: xml:lang `language`, itunes:timing "Word" when a line is word-timed
// ("Line" otherwise), the title and artist in <head> (as ttm:title and ttm:agent, and as the
// amll:meta keys "musicName" and "artists"), one region "lyrics" at the foot that the body
// shows in, and one <p begin end itunes:key="L1"...> per line.
// Words are <span begin end> with times on the song's clock; blanks around a word stand between
// the spans as text; a pause is the gap between two spans. Times are TTML2 clock times
// "hh:mm:ss.fff". A reading is a ruby container of a base (the timed words under it) and a text.
QString MakeTtmlText(const TimedLyrics& lyrics, const QString& language);
// "&", "<", ">" and '"' as XML entities.
QString XmlEscaped(const QString& text);

} // namespace tavelkor

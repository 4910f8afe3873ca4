// DSMP lyrics files back to TimeTag lyrics. Every line is classified on its own as a timed
// lyric line, a known key line or an untimed lyric line.
#pragma once

#include "../lyrics/LyricsDocument.h"

namespace tavelkor {

LyricsDocument ReadDsmpText(const QString& text);
// Without one pair of enclosing double quotes.
QString StripQuotes(const QString& s);
// The first column of a "text","next","next" line.
QString FirstColumn(const QString& s);

} // namespace tavelkor

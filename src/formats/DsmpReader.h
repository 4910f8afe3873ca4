// DSMP lyrics files back to TimeTag lyrics. Every line is classified on its own as a timed
// lyric line, a known key line or an untimed lyric line.
#pragma once

#include "../lyrics/LyricsDocument.h"

#include <optional>

namespace tavelkor {

LyricsDocument ReadDsmpText(const QString& text);
// The time of a line that starts with "##:##:###=" (minutes, seconds, thousandths; seconds
// above 59 are taken as they are); nothing for any other line.
std::optional<int> ReadDsmpTime(QStringView line);
// Without one pair of enclosing double quotes.
QString StripQuotes(const QString& s);
// The first column of a "text","next","next" line.
QString FirstColumn(const QString& s);

} // namespace tavelkor

// TimeTag lyrics to SAMI captions.
#pragma once

#include "../lyrics/LyricsDocument.h"

#include <array>

namespace tavelkor {

// The complete SAMI text of a document already re-timed to real milliseconds. `lines` is the
// number of lines shown at once (1 to 4; larger values show four).
QString MakeSamiText(LyricsDocument& document, bool karaoke, const QString& baseStyle,
                     const std::array<QString, 4>& karaokeHtml, int lines);
// "<" -> "&lt;", ">" -> "&gt;", blank -> "&nbsp;"; "&" stays as it is.
QString EscapeSamiText(const QString& text);

} // namespace tavelkor

// TimeTag lyrics to SAMI captions.
#pragma once

#include "../lyrics/LyricsDocument.h"

#include <array>

namespace tavelkor {

// The complete SAMI text of a document already re-timed to real milliseconds. `lines` is the
// number of lines shown at once (1 to 4; larger values show four). With `ruby`, the readings
// of a line (RubyFor at its first tag) are written "<RUBY>base<RT>reading</RT></RUBY>" where the
// base lies wholly in the part sung or wholly in the part still to sing of a karaoke step (a
// base cut by the step shows without its reading in that step); the following lines of a
// multi-line display show none. Without, the text is what it always was.
QString MakeSamiText(LyricsDocument& document, bool karaoke, const QString& baseStyle,
                     const std::array<QString, 4>& karaokeHtml, int lines, bool ruby = false);
// "<" -> "&lt;", ">" -> "&gt;", blank -> "&nbsp;"; "&" stays as it is.
QString EscapeSamiText(const QString& text);

} // namespace tavelkor

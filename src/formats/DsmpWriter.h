// TimeTag lyrics to DSMP lyrics files ("[Spec]" and "[Text]" sections).
#pragma once

#include "../lyrics/LyricsDocument.h"

namespace tavelkor {

enum class DsmpAlignment { Left = 0, Center = 1, Right = 2 };

// The DSMP text of a document already re-timed to real milliseconds; "" without lines.
// `alignment` 0 left, 1 centre, anything else right; `lines` 1, 2 or 3 columns.
QString MakeDsmpText(LyricsDocument& document, bool karaoke, int alignment, int lines);
// "mm:ss:ttt=": minutes with at least two digits, seconds two, thousandths three.
QString FormatDsmpTime(int ms);

} // namespace tavelkor

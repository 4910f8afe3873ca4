// Writing a LyricsDocument back as TimeTag text with its header block.
#pragma once

#include "LyricsDocument.h"

namespace tavelkor {

// Sets the document's Text and every non-directive line's RawText.
void ComposeLyricsText(LyricsDocument& document);
// The directive lines the header does not hold (keys the program does not know, values it
// could not read), each ended with CR LF, in the order of the document.
QString UnknownDirectiveText(const LyricsDocument& document);
// The "@" directive block in its fixed order; may resolve the header's ratio.
QString ComposeHeaderText(LyricsHeader& header);
// Derives a ratio from TimeType, Frames and TotalSec when the header states none.
bool ResolveTimeRatio(LyricsHeader& header);
bool EstimateWinampRatio(int frames, int totalSeconds, double& ratio);
// All trailing CR LF pairs removed, then exactly one added when anything is left.
QString NormalizeTrailingBreaks(QString text);

} // namespace tavelkor

// Operations that reshape or re-time a whole LyricsDocument.
#pragma once

#include "LyricsDocument.h"

#include <QStringList>

namespace tavelkor {

// Lowers every time to the smallest of itself and all later times, so no tag is earlier
// than a tag before it. `changed` tells whether any time was lowered. A document handed over
// (moved in) is repaired where it stands, without a copy of the lines it changes.
LyricsDocument NormalizeKaraoke(LyricsDocument document, bool& changed);
// Every tagged line becomes one tag at its head followed by its whole text.
LyricsDocument KaraokeToLineTop(const LyricsDocument& document);
// Every tagged line becomes one step line per tag showing the text sung so far;
// `unsungTexts` (parallel to the new lines) holds the rest of each step's line. Also fills
// the FollowingTexts of the given document.
LyricsDocument MakePseudoKaraoke(LyricsDocument& document, QStringList& unsungTexts);
// The inverse: runs of lines whose text grows become one karaoke line.
LyricsDocument MergeProgressiveLines(const LyricsDocument& document);
// Re-times every fragment from the document's ratio, start silence and offset to
// `targetRatio` and `silenceMs` (-1: no silence value). An unusable target becomes 1.
void ApplyTimeCorrection(LyricsDocument& document, double& targetRatio, int silenceMs);
// Every line's FollowingTexts: the PlainText of the next up to three non-directive lines.
// Only the first `filled` (0..3) are filled, for a display that shows no more; the others are
// left as they are.
void FillFollowingTexts(LyricsDocument& document, int filled = 3);

} // namespace tavelkor

// Mode 9 (TimeTag -> LRC) and mode 10 (LRC -> TimeTag).
#pragma once

#include "../app/ModeInfo.h"

namespace tavelkor {

struct Settings;

// Reads TimeTag files as the TimeTag-to-SAMI mode does (time inversions repaired, every time
// re-timed to real time by ratio, offset and silence) and writes standard or enhanced LRC, in the
// encoding T2L/Encoding names (UTF-8 unless set otherwise).
void TimeTagToLrc(const ModeInfo& mode, BatchState& state, Settings& settings,
                  RunQuestions& questions);
// Reads LRC files (NotTargetFile for a TimeTag file or one without a line stamp) and writes
// TimeTag, re-timed to the default ratio as the SAMI-to-TimeTag mode does.
void LrcToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                  RunQuestions& questions);

} // namespace tavelkor

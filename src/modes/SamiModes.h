// Mode 0 (TimeTag -> SAMI) and mode 1 (SAMI -> TimeTag).
#pragma once

#include "../app/ModeInfo.h"

namespace tavelkor {

struct Settings;

void TimeTagToSami(const ModeInfo& mode, BatchState& state, Settings& settings,
                   RunQuestions& questions);
void SamiToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                   RunQuestions& questions);

} // namespace tavelkor

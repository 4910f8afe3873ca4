// Mode 2 (TimeTag -> DSMP) and mode 3 (DSMP -> TimeTag).
#pragma once

#include "../app/ModeInfo.h"

namespace tavelkor {

struct Settings;

void TimeTagToDsmp(const ModeInfo& mode, BatchState& state, Settings& settings,
                   RunQuestions& questions);
void DsmpToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                   RunQuestions& questions);

} // namespace tavelkor

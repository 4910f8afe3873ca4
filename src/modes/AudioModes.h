// Mode 4 (TimeTag lyrics into MP3/RMP files) and mode 5 (embedded lyrics out as text).
#pragma once

#include "../app/ModeInfo.h"

namespace tavelkor {

struct Settings;

void TimeTagToMp3(const ModeInfo& mode, BatchState& state, Settings& settings,
                  RunQuestions& questions);
void Mp3ToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                  RunQuestions& questions);

} // namespace tavelkor

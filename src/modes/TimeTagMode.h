// Mode 6: TimeTag lyrics rewritten with the adjustments and correction data the user chose.
#pragma once

#include "../app/ModeInfo.h"

namespace tavelkor {

struct Settings;

void TimeTagToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                      RunQuestions& questions);

} // namespace tavelkor

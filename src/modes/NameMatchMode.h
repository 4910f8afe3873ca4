// Mode 8: two dropped files get the same base name; the user picks whose name wins.
#pragma once

#include "../app/ModeInfo.h"

namespace tavelkor {

struct Settings;

void NameMatchRun(const ModeInfo& mode, BatchState& state, Settings& settings,
                  RunQuestions& questions);

} // namespace tavelkor

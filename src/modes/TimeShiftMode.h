// Mode 7: every time in dropped TimeTag, SAMI, DSMP and LRC files moves by a number of
// milliseconds, and each file is rewritten in place.
#pragma once

#include "../app/ModeInfo.h"

namespace tavelkor {

// Asks for the amount once per recognised file (unless the answer was "same for all"), stops
// asking after a cancel, and rewrites the files safely. The amount starts from and ends in
// settings.Init.SlidemSec when at least one file was accepted; the front end decides whether
// to store it.
void TimeShiftMode(const ModeInfo& mode, BatchState& state, Settings& settings,
                   RunQuestions& questions);

} // namespace tavelkor

// Mode 2 (TimeTag -> DSMP) and mode 3 (DSMP -> TimeTag).
#pragma once

namespace tavelkor {

struct BatchState;
struct Settings;

void TimeTagToDsmp(BatchState& state, Settings& settings);
void DsmpToTimeTag(BatchState& state, Settings& settings);

} // namespace tavelkor

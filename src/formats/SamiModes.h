// Mode 0 (TimeTag -> SAMI) and mode 1 (SAMI -> TimeTag).
#pragma once

namespace tavelkor {

struct BatchState;
struct Settings;

void TimeTagToSami(BatchState& state, Settings& settings);
void SamiToTimeTag(BatchState& state, Settings& settings);

} // namespace tavelkor

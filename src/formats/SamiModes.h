// Mode 0 (TimeTag -> SAMI) and mode 1 (SAMI -> TimeTag).
#pragma once

namespace tavelkor {

struct BatchState;
struct Settings;
class RunQuestions;

void TimeTagToSami(BatchState& state, Settings& settings, RunQuestions& questions);
void SamiToTimeTag(BatchState& state, Settings& settings, RunQuestions& questions);

} // namespace tavelkor

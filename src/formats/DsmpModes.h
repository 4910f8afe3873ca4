// Mode 2 (TimeTag -> DSMP) and mode 3 (DSMP -> TimeTag).
#pragma once

namespace tavelkor {

struct BatchState;
struct Settings;
class RunQuestions;

void TimeTagToDsmp(BatchState& state, Settings& settings, RunQuestions& questions);
void DsmpToTimeTag(BatchState& state, Settings& settings, RunQuestions& questions);

} // namespace tavelkor

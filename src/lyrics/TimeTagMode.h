// Mode 6: TimeTag lyrics rewritten with the adjustments and correction data the user chose.
#pragma once

namespace tavelkor {

struct BatchState;
struct Settings;
class RunQuestions;

void TimeTagToTimeTag(BatchState& state, Settings& settings, RunQuestions& questions);

} // namespace tavelkor

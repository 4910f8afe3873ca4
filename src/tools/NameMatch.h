// Mode 8: two dropped files get the same base name; the user picks whose name wins.
#pragma once

namespace tavelkor {

struct BatchState;
struct Settings;
class RunQuestions;

void NameMatchRun(BatchState& state, Settings& settings, RunQuestions& questions);

} // namespace tavelkor

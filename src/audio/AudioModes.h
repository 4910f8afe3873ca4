// Mode 4 (TimeTag lyrics into MP3/RMP files) and mode 5 (embedded lyrics out as text).
#pragma once

namespace tavelkor {

struct BatchState;
struct Settings;
class RunQuestions;

void TimeTagToMp3(BatchState& state, Settings& settings, RunQuestions& questions);
void Mp3ToTimeTag(BatchState& state, Settings& settings, RunQuestions& questions);

} // namespace tavelkor

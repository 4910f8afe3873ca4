// Mode 4 (TimeTag lyrics into MP3/RMP files) and mode 5 (embedded lyrics out as text).
#pragma once

#include "../app/ModeInfo.h"

namespace tavelkor {

struct Settings;

void TimeTagToMp3(const ModeInfo& mode, BatchState& state, Settings& settings,
                  RunQuestions& questions);
// Mode 4 for one TimeTag file and a song of any name (the one the timing editor plays): the
// record says what became of it, as the mode's report line would.
ResultRecord EmbedLyricsInSong(const QString& lyrics, const QString& song,
                               const Settings& settings);
void Mp3ToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                  RunQuestions& questions);

} // namespace tavelkor

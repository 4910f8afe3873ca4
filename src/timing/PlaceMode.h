// Mode 13 「行内自動配置」: line-timed lyrics (TimeTag or LRC with a start tag a line) become
// karaoke TimeTag, every line's fragments placed on the voice of the song beside the file.
#pragma once

#include "../app/BatchFrame.h"
#include "../app/ModeInfo.h"

namespace tavelkor {

// One file: read as the timing editor reads it (the editor's splitting rules from the Timing
// settings), its song found as the preview finds it and decoded once, every line that has a
// start and an end (an end tag, else the next line's start) placed on the voice with the
// morae of its readings (the file's own, else MeCab's), composed as TimeTag with
// "@TimeRatio=1"; a line timed inside already is kept unless Place/Redo. NotTargetFile for a file without any timed line, NoAudioFile for one without
// a song that plays; the note says why, or how many lines could not be placed.
ConvertedText PlaceLinesOfFile(const QString& path, const Settings& settings);

// The mode's driver: PlaceLinesOfFile for every file, saved as the other TimeTag modes save.
void PlaceInLines(const ModeInfo& mode, BatchState& state, Settings& settings,
                  RunQuestions& questions);

} // namespace tavelkor

// Mode 7: every time in dropped TimeTag, SAMI, DSMP and LRC files moves by a number of
// milliseconds, and each file is rewritten in place.
#pragma once

#include "../app/BatchState.h"
#include "../app/ModeInfo.h"
#include "../formats/LyricsFormat.h"

namespace tavelkor {

// Asks for the amount once per recognised file (unless the answer was "same for all"), stops
// asking after a cancel, and rewrites the files safely. The amount starts from and ends in
// settings.Init.SlidemSec when at least one file was accepted; the front end decides whether
// to store it.
void TimeShiftMode(const ModeInfo& mode, BatchState& state, Settings& settings,
                   RunQuestions& questions);

// Moves every time of one recognised file (`format` as DetectLyricsFormat found it) by
// `shiftMs` and rewrites it in place in the encoding it was read in: `record` gets 00 and the
// output, 02 when the file is read-only or cannot be saved (it then stays as it was), 12 when
// it is gone or unreadable. The preview saves its nudge through this too.
void ShiftFileInPlace(const QString& path, LyricsFormat format, int shiftMs,
                      EncodingChoice encoding, ResultRecord& record);

} // namespace tavelkor

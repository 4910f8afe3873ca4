// Mode 7: every time in dropped TimeTag, SAMI and DSMP files moves by a number of milliseconds,
// and each file is rewritten in place.
#pragma once

#include "../lyrics/LyricsDocument.h"

namespace tavelkor {

struct BatchState;
struct Settings;
class RunQuestions;

// Asks for the amount once per recognised file (unless the answer was "same for all"), stops
// asking after a cancel, and rewrites the files safely. The amount starts from and ends in
// settings.Init.SlidemSec when at least one file was accepted; the front end decides whether
// to store it. Returns whether a file was accepted.
bool TimeShiftRun(BatchState& state, Settings& settings, RunQuestions& questions);
void TimeShiftMode(BatchState& state, Settings& settings, RunQuestions& questions);

// Times below 0 become 0; times beyond the largest 32-bit value are held there (a TimeTag tag
// holds at most 99:59.99 anyway). Nothing wraps around.
LyricsDocument ShiftLyricsDocument(const LyricsDocument& document, int shiftMs);
// Every SYNC line is rewritten as "<SYNC Start=" + the new time + ">" + the rest of the line.
QString ShiftSamiText(int shiftMs, const QString& text);
// Every line that starts with "##:##:###=" gets the new time in the same form.
QString ShiftDsmpText(int shiftMs, const QString& text);

} // namespace tavelkor

// The modes of the program, one row each: the batch run, the window and the command line all
// read this table. Adding a mode means one driver file and one row here.
#pragma once

#include "../app/ModeInfo.h"

#include <QVector>

namespace tavelkor {

inline constexpr int ModeCount = 15;

const QVector<ModeInfo>& ModeTable();
// A mode by its number "0".."13" or its command name; nullptr when there is none.
const ModeInfo* FindMode(const QString& nameOrIndex);

// One run of the selected mode over state.DroppedFiles: counts the drop, empties the rejected
// list and the results, calls the driver, and empties the dropped list. Returns false (and
// runs nothing) for a number that names no mode.
bool RunMode(int mode, BatchState& state, Settings& settings, RunQuestions& questions);
// RunMode where every question is answered with cancel.
bool RunMode(int mode, BatchState& state, Settings& settings);

// 「行内自動配置」 decodes songs, which the core does not: the program that links the timing
// room hands its driver over here before any run. Until then the mode gives every file
// NotTargetFile with a note saying so.
void SetPlaceDriver(ModeDriver driver);

} // namespace tavelkor

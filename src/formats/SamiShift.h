// Moving every time of a SAMI file, leaving the rest of the text as it is.
#pragma once

#include <QString>

namespace tavelkor {

// Every SYNC line is rewritten as "<SYNC Start=" + the new time + ">" + the rest of the line;
// times below 0 become 0, times beyond the largest 32-bit value are held there.
QString ShiftSamiText(int shiftMs, const QString& text);

} // namespace tavelkor

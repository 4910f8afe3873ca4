// Moving every time of an LRC file, leaving the rest of the text as it is.
#pragma once

#include <QString>

namespace tavelkor {

// Every line stamp and every word stamp of a timed line (enhanced "<mm:ss.xx>" and inline
// "[mm:ss.xx]") moves by `shiftMs`, held at 0 below and at the largest 32-bit value above. Each
// stamp keeps its form: bracket, digits of the minutes and seconds, and precision (the new time
// rounds to it, halves to even). ID tags, the offset tag among them, untimed lines and the
// text stay as they are; lines end with CR LF afterwards.
QString ShiftLrcText(int shiftMs, const QString& text);

} // namespace tavelkor

// Moving every time of a DSMP file, leaving the rest of the text as it is.
#pragma once

#include <QString>

namespace tavelkor {

// Every line that starts with "##:##:###=" gets the new time in the same form; times below 0
// become 0, times beyond 99:59.999 (the latest the form holds) are held there.
QString ShiftDsmpText(int shiftMs, const QString& text);

} // namespace tavelkor

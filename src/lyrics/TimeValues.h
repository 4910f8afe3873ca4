// Time tags and milliseconds.
#pragma once

#include "../base/NumberText.h"
#include "LyricsDocument.h"
#include "TagChars.h"

#include <QString>
#include <QStringView>

namespace tavelkor {

inline constexpr int MaxTagMs = 5999990; // [99:59:99]
inline constexpr double DefaultTimeRatio = 0.9953125;

// "[mm:ss:cc]" to milliseconds; -1 when the digits cannot be read.
int TagToMs(QStringView tag);
// Milliseconds to the 10-character tag, clamped to 0..99:59.99, hundredths rounded half to even.
QString MsToTag(int ms);
// The same tag held in place.
TagChars MsToTagChars(int ms);
// A fragment at `ms` (its tag made from the time) holding `text`.
KaraokeFragment FragmentAtTime(int ms, QString text);

// Sets `tag` to MsToTag(ms), leaving it alone (and shared) when it already reads so.
void SetTagText(QString& tag, int ms);
// Sets a tag held in place to MsToTag(ms), written where it stands.
void SetTagText(TagChars& tag, int ms);
// A time moved by `shiftMs`: below 0 it becomes 0, beyond the largest 32-bit value it is held
// there. Nothing wraps around.
int ShiftedTime(int timeMs, int shiftMs);
// True when the text at `pos` is a full tag "[##:##:##]".
bool IsFullTagAt(QStringView text, qsizetype pos);
// True when the text at `pos` is a short tag "[##:##]".
bool IsShortTagAt(QStringView text, qsizetype pos);

} // namespace tavelkor

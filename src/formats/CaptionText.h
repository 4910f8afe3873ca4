// Small pieces the caption writers and readers share: clock times, colours and lines.
#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <optional>

namespace tavelkor {

// Milliseconds as "h:mm:ss<sep>fff": the hours with at least `hourDigits` digits (with 0 they
// are left out below one hour and have two digits from one hour on), `fractionDigits` 2 or 3
// (hundredths rounded half up).
QString ClockTime(qint64 ms, QChar separator, int fractionDigits, int hourDigits);
// "[[h:]m:]s[.fraction]" (a ',' also separates the fraction) to milliseconds, the fraction
// rounded to whole milliseconds; nothing when it is not such a time. Fields may be longer
// than two digits; the value is held at the largest 32-bit number.
std::optional<int> ParseClockTime(QStringView text);
// "#RRGGBB" to its three channels; nothing for any other text.
std::optional<std::array<int, 3>> ParseHexColour(QStringView text);
// The text as lines without their ends (LF, CR LF or CR), a leading BOM removed.
QList<QStringView> SplitLines(QStringView text);
// `ms` held within 0..the largest 32-bit number.
int HeldMs(qint64 ms);

} // namespace tavelkor

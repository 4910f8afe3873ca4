// Time tags, milliseconds and the numbers read from and written into lyrics files.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace tavelkor {

inline constexpr int MaxTagMs = 5999990; // [99:59:99]
inline constexpr double DefaultTimeRatio = 0.9953125;

// "[mm:ss:cc]" to milliseconds; -1 when the digits cannot be read.
int TagToMs(QStringView tag);
// Milliseconds to the 10-character tag, clamped to 0..99:59.99, hundredths rounded half to even.
QString MsToTag(int ms);

// Sets `tag` to MsToTag(ms), leaving it alone (and shared) when it already reads so.
void SetTagText(QString& tag, int ms);
// True when the text at `pos` is a full tag "[##:##:##]".
bool IsFullTagAt(QStringView text, qsizetype pos);
// True when the text at `pos` is a short tag "[##:##]".
bool IsShortTagAt(QStringView text, qsizetype pos);

// A number as it stands in files and settings: optional surrounding blanks (U+0020), an
// optional sign, digits with an optional fraction and an optional exponent, "." as the
// decimal point whatever the locale. Nothing else is numeric.
std::optional<double> ParseNumber(QStringView text);
// The number rounded to the nearest whole number (halves to even), if it fits 32 bits.
std::optional<int> RoundToInt32(double value);
// ParseNumber followed by RoundToInt32.
std::optional<int> ParseInt32(QStringView text);
// Shortest general decimal form with at most `digits` significant digits and no trailing
// zeros: 1 -> "1", 0.9953125 -> "0.9953125".
QString FormatNumber(double value, int digits = 15);
// The value passed through its 15-digit decimal text, as the program's arithmetic does.
double RoundTrip15(double value);
// The value written as decimal text of at most 15 significant digits, read back, and rounded
// to the nearest whole number with halves to even, as the program turns re-timed values into
// milliseconds. Quick where the 15-digit text cannot change the result.
double RoundVia15Digits(double value);
// Clamps a 64-bit intermediate time into the 32-bit range.
int ClampToInt32(long long value);

} // namespace tavelkor

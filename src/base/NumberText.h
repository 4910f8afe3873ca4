// Numbers as they stand in lyrics files and settings: read and written with "." as the decimal
// point whatever the user's locale, so a file reads the same on every machine.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace tavelkor {

// A number as it stands in files and settings: optional surrounding blanks (U+0020), an
// optional sign, digits with an optional fraction and an optional exponent, "." as the
// decimal point whatever the locale. Nothing else is numeric.
std::optional<double> ParseNumber(QStringView text);
// The number rounded to the nearest whole number (halves to even), if it fits 32 bits.
std::optional<int> RoundToInt32(double value);
// ParseNumber followed by RoundToInt32.
std::optional<int> ParseInt32(QStringView text);
// A number typed by a user on a Japanese keyboard: full-width digits, signs, point and
// spaces ("－１００", "＋１．５") and the minus sign U+2212 read as their ASCII forms first.
std::optional<int> ParseTypedInt32(QStringView text);
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

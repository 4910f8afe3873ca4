// TTML time expressions: the clock a document counts in and the times written against it.
#pragma once

#include <QStringView>
#include <QXmlStreamAttributes>
#include <optional>

namespace tavelkor {

// The rates a TTML document's frames and ticks count in.
struct TtmlRates {
    double FrameRate = 30; // frames a second: ttp:frameRate times ttp:frameRateMultiplier
    double SubFrameRate = 1;
    double TickRate = 1;
};

// The rates the ttp: attributes of a <tt> element give, with TTML's defaults: 30 frames a
// second, one sub-frame a frame, and ticks that are sub-frames when a frame rate is given and
// seconds otherwise. A value that is not a positive number leaves its default.
TtmlRates TtmlRatesOf(const QXmlStreamAttributes& tt);

// A TTML time expression in milliseconds (rounded, held at the largest 32-bit number); nothing
// when it is not one. Clock times "hh:mm:ss", "hh:mm:ss.fraction", "hh:mm:ss:ff" and
// "hh:mm:ss:ff.sub" (frames below the frame rate, sub-frames below the sub-frame rate) and
// offsets "N[.fraction]" with a unit h, m, s, ms, f or t, as TTML2 writes them; besides those
// the music players' "m:ss.fff", "ss.fff" and bare seconds, and hours of one digit.
std::optional<qint64> ParseTtmlTime(QStringView text, const TtmlRates& rates);
inline std::optional<qint64> ParseTtmlTime(QStringView text, double frameRate, double tickRate) {
    return ParseTtmlTime(text, TtmlRates{frameRate, 1, tickRate});
}

} // namespace tavelkor

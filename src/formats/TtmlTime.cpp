#include "TtmlTime.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace tavelkor {

namespace {

std::optional<double> Positive(QStringView text) {
    static const QRegularExpression decimal(QStringLiteral("^\\d+(\\.\\d+)?$"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    const double value = text.toDouble();
    if (!std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

qint64 Milliseconds(double seconds) {
    return qint64(std::llround(std::min(seconds * 1000, 2147483647.0)));
}

} // namespace

TtmlRates TtmlRatesOf(const QXmlStreamAttributes& tt) {
    TtmlRates rates;
    std::optional<double> frameRate, tickRate;
    double multiplier = 1;
    for (const QXmlStreamAttribute& attribute : tt) {
        const QStringView name = attribute.name();
        const QStringView value = attribute.value().trimmed();
        if (name == u"frameRate") {
            frameRate = Positive(value);
        } else if (name == u"subFrameRate") {
            rates.SubFrameRate = Positive(value).value_or(1);
        } else if (name == u"tickRate") {
            tickRate = Positive(value);
        } else if (name == u"frameRateMultiplier") {
            // "numerator denominator"
            const QList<QStringView> parts = value.split(u' ', Qt::SkipEmptyParts);
            if (parts.size() == 2) {
                const auto numerator = Positive(parts[0]);
                const auto denominator = Positive(parts[1]);
                if (numerator && denominator)
                    multiplier = *numerator / *denominator;
            }
        }
    }
    rates.FrameRate = frameRate.value_or(30) * multiplier;
    rates.TickRate = tickRate.value_or(frameRate ? rates.FrameRate * rates.SubFrameRate : 1);
    return rates;
}

std::optional<qint64> ParseTtmlTime(QStringView text, const TtmlRates& rates) {
    text = text.trimmed();
    // Offset times: a count, a fraction, a unit.
    static const QRegularExpression offset(QStringLiteral("^(\\d+(?:\\.\\d+)?)(h|ms|m|s|f|t)?$"));
    if (const QRegularExpressionMatch match = offset.match(text); match.hasMatch()) {
        const double count = match.capturedView(1).toDouble();
        const QStringView unit = match.capturedView(2);
        const double seconds = unit == u"h"    ? count * 3600
                               : unit == u"m"  ? count * 60
                               : unit == u"ms" ? count / 1000
                               : unit == u"f"  ? count / rates.FrameRate
                               : unit == u"t"  ? count / rates.TickRate
                                               : count; // "s", or the players' bare seconds
        return Milliseconds(seconds);
    }
    // Clock times; the players' dialect leaves out the hours or writes one digit of them.
    static const QRegularExpression clock(QStringLiteral(
        "^(?:(?:(\\d+):)?(\\d{1,2}):)?(\\d{1,2})(?:(\\.\\d+)|:(\\d{2,})(?:\\.(\\d+))?)?$"));
    const QRegularExpressionMatch match = clock.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const bool hours = match.hasCaptured(1);
    const bool minutes = match.hasCaptured(2);
    const bool frames = match.hasCaptured(5);
    // Frames come only after all three fields; the fields after the first have two digits.
    if (frames && !hours)
        return std::nullopt;
    if ((hours && match.capturedLength(2) != 2) || (minutes && match.capturedLength(3) != 2))
        return std::nullopt;
    const double h = match.capturedView(1).toDouble();
    const double m = match.capturedView(2).toDouble();
    const double s = match.capturedView(3).toDouble();
    if ((hours && m >= 60) || (minutes && s >= 60))
        return std::nullopt;
    double seconds = h * 3600 + m * 60 + s;
    if (match.hasCaptured(4))
        seconds += match.capturedView(4).toDouble();
    if (frames) {
        const double frame = match.capturedView(5).toDouble();
        const double subFrame = match.capturedView(6).toDouble();
        if (frame >= std::ceil(rates.FrameRate) || subFrame >= rates.SubFrameRate)
            return std::nullopt;
        seconds += (frame + subFrame / rates.SubFrameRate) / rates.FrameRate;
    }
    return Milliseconds(seconds);
}

} // namespace tavelkor

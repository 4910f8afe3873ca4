#include "TapCalibration.h"

#include <algorithm>
#include <cmath>

namespace tavelkor {

QVector<qint64> CalibrationClickTimes() {
    QVector<qint64> times;
    for (int i = 0; i < CalibrationClicks; ++i)
        times.append(CalibrationFirstMs + qint64(i) * CalibrationEveryMs);
    return times;
}

DecodedSong MakeClickTrack(int sampleRate) {
    DecodedSong song;
    song.SampleRate = sampleRate;
    const qint64 lengthMs = CalibrationClickTimes().constLast() + 1000;
    const size_t frames = size_t(lengthMs * sampleRate / 1000);
    song.Left.assign(frames, 0.0f);
    const int burst = sampleRate / 100;
    for (qint64 click : CalibrationClickTimes()) {
        const size_t start = size_t(click * sampleRate / 1000);
        for (int i = 0; i < burst && start + size_t(i) < frames; ++i)
            song.Left[start + size_t(i)] =
                0.8f * float(std::sin(2 * M_PI * 1000.0 * i / sampleRate));
    }
    song.Right = song.Left;
    return song;
}

std::optional<int> CalibrationOffset(const QVector<qint64>& clicksMs,
                                     const QVector<qint64>& tapsMs) {
    if (clicksMs.isEmpty())
        return std::nullopt;
    qint64 interval = CalibrationEveryMs;
    for (int i = 1; i < clicksMs.size(); ++i)
        interval = std::min(interval, clicksMs[i] - clicksMs[i - 1]);
    QVector<qint64> differences;
    for (qint64 tap : tapsMs) {
        qint64 best = -1;
        for (qint64 click : clicksMs) {
            if (best < 0 || std::abs(tap - click) < std::abs(tap - best))
                best = click;
        }
        if (2 * std::abs(tap - best) <= interval)
            differences.append(tap - best);
    }
    if (2 * differences.size() < clicksMs.size())
        return std::nullopt;
    std::sort(differences.begin(), differences.end());
    const qsizetype n = differences.size();
    const qint64 median =
        n % 2 == 1 ? differences[n / 2] : (differences[n / 2 - 1] + differences[n / 2]) / 2;
    return int(median);
}

} // namespace tavelkor

// Measuring the user's tap latency: a click track played through the editor's audio path,
// and the median difference between the taps and the clicks they answer.
#pragma once

#include "SongDecoder.h"

#include <QVector>
#include <optional>

namespace tavelkor {

inline constexpr int CalibrationClicks = 8;
inline constexpr int CalibrationFirstMs = 1000;
inline constexpr int CalibrationEveryMs = 750;

// The click times of the calibration track.
QVector<qint64> CalibrationClickTimes();
// The calibration track: a 10 ms 1 kHz burst at every click time, a second of silence after
// the last one.
DecodedSong MakeClickTrack(int sampleRate = 44100);

// The median of each tap's distance to the click nearest to it (positive: the tap came late),
// taps more than half a click interval from every click left out; nothing when fewer than half
// of the clicks were answered.
std::optional<int> CalibrationOffset(const QVector<qint64>& clicksMs,
                                     const QVector<qint64>& tapsMs);

} // namespace tavelkor

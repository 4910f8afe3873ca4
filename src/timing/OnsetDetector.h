// Where sung syllables and notes start in a song: onset detection with aubio over the decoded
// samples (both channels mixed), run once per song on a worker thread. The method and its
// parameters were chosen on generated material; docs/design-notes.md says why.
#pragma once

#include "SongDecoder.h"

#include <QString>
#include <atomic>
#include <vector>

namespace tavelkor {

struct OnsetOptions {
    QString Method = QStringLiteral("mkl"); // any aubio onset method
    int WindowFrames = 1024;
    int HopFrames = 256;
    double Threshold = 0.8; // peak-picking threshold of the detection function
    double SilenceDb = -50; // an onset whose first 20 ms are quieter is none
    double MinGapMs = 50;   // two onsets are at least this far apart
};

// The onsets of the song in milliseconds, sorted. Safe to run on any thread (it only reads the
// song); `cancel`, when set from another thread, stops it early with what it found so far.
std::vector<int> DetectOnsets(const DecodedSong& song, const OnsetOptions& options = {},
                              const std::atomic<bool>* cancel = nullptr);

} // namespace tavelkor

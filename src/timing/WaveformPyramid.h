// The song's waveform as the timing editor's lane draws it: the smallest and largest sample
// (both channels together) of every block of BlockFrames frames, and levels of blocks twice
// as long above it, built once after decoding. Envelope() gives the exact minimum and maximum
// of every pixel's frames at any zoom, reading at most two partial blocks of samples per pixel
// and a few blocks per level, so that drawing 2 to 30 seconds over any width stays quick.
#pragma once

#include "SongDecoder.h"

#include <memory>
#include <vector>

namespace tavelkor {

struct SamplePeak {
    float Min = 0;
    float Max = 0;
    bool operator==(const SamplePeak& other) const { return Min == other.Min && Max == other.Max; }
};

class WaveformPyramid {
public:
    static constexpr int BlockFrames = 64;

    WaveformPyramid() = default;
    // Builds every level from the song, which the pyramid keeps for the samples at the edges.
    explicit WaveformPyramid(std::shared_ptr<const DecodedSong> song);

    // The peaks of frames fromFrame .. toFrame - 1 (clamped to the song); 0, 0 for none.
    SamplePeak Peak(qint64 fromFrame, qint64 toFrame) const;
    // One peak per pixel for the song time fromMs .. toMs: pixel p covers the frames from
    // fromMs + p * (toMs - fromMs) / pixels on, at least one frame. Pixels outside the song
    // are 0, 0 (silence). Empty for pixels <= 0 or toMs <= fromMs.
    std::vector<SamplePeak> Envelope(qint64 fromMs, qint64 toMs, int pixels) const;

    int LevelCount() const { return int(levels_.size()); }
    qint64 Frames() const { return song_ ? song_->Frames() : 0; }

private:
    std::shared_ptr<const DecodedSong> song_;
    std::vector<std::vector<SamplePeak>> levels_; // levels_[k][i]: frames of block i << k
};

} // namespace tavelkor

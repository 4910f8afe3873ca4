// The song's samples at a playback speed with the pitch kept: at 1x the samples themselves,
// slower through Rubber Band. Output frame k after a start at song frame s is song frame
// s + k * speed, the stretcher's own delay taken out, so the clock can map played frames to
// song time by arithmetic alone.
#pragma once

#include "SongDecoder.h"

#include <memory>

namespace RubberBand {
class RubberBandStretcher;
}

namespace tavelkor {

class StretchRenderer {
public:
    explicit StretchRenderer(std::shared_ptr<const DecodedSong> song);
    ~StretchRenderer();

    // Starts output at `songFrame` at `speed` (1, 0.75, 0.5 or anything in 0.25..1).
    void Start(qint64 songFrame, double speed);
    // Writes up to `frames` interleaved stereo frames; fewer only at the song's end.
    int Render(float* interleaved, int frames);

    double Speed() const { return speed_; }
    qint64 StartFrame() const { return startFrame_; }
    const DecodedSong& Song() const { return *song_; }

private:
    void Feed();

    std::shared_ptr<const DecodedSong> song_;
    std::unique_ptr<RubberBand::RubberBandStretcher> stretcher_;
    double speed_ = 1;
    qint64 startFrame_ = 0;
    qint64 input_ = 0;     // the next song frame to hand to the stretcher (or to copy at 1x)
    qint64 toDiscard_ = 0; // the stretcher's start delay, still to be thrown away
    bool finished_ = false;
    std::vector<float> left_, right_;
};

} // namespace tavelkor

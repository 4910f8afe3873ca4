#include "OnsetDetector.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace tavelkor {

namespace {

struct AubioOnset {
    aubio_onset_t* onset;
    fvec_t* input;
    fvec_t* output;
    ~AubioOnset() {
        if (onset)
            del_aubio_onset(onset);
        if (input)
            del_fvec(input);
        if (output)
            del_fvec(output);
    }
};

// The level in dB of the mixed samples of `frames` frames from `first` on.
double LevelDb(const DecodedSong& song, qint64 first, qint64 frames) {
    const bool stereo = song.Right.size() == song.Left.size();
    const qint64 end = std::min(song.Frames(), first + frames);
    double energy = 0;
    for (qint64 f = std::max<qint64>(first, 0); f < end; ++f) {
        const double v =
            stereo ? 0.5 * (song.Left[size_t(f)] + song.Right[size_t(f)]) : song.Left[size_t(f)];
        energy += v * v;
    }
    return energy > 0 ? 10 * std::log10(energy / double(std::max<qint64>(frames, 1))) : -1000;
}

} // namespace

std::vector<int> DetectOnsets(const DecodedSong& song, const OnsetOptions& options,
                              const std::atomic<bool>* cancel) {
    std::vector<int> onsets;
    if (song.SampleRate <= 0 || song.Frames() == 0 || options.HopFrames <= 0 ||
        options.WindowFrames < options.HopFrames)
        return onsets;
    const QByteArray method = options.Method.toLatin1();
    const uint_t hop = uint_t(options.HopFrames);
    AubioOnset aubio{new_aubio_onset(method.constData(), uint_t(options.WindowFrames), hop,
                                     uint_t(song.SampleRate)),
                     new_fvec(hop), new_fvec(1)};
    if (!aubio.onset || !aubio.input || !aubio.output)
        return onsets;
    aubio_onset_set_threshold(aubio.onset, smpl_t(options.Threshold));
    // aubio's own silence gate looks at the block in hand when it reports an onset, a few blocks
    // after the sound started: a short sound followed by silence would never count. The gate is
    // taken over here, on the sound where the onset is; a faint dither keeps aubio's level finite.
    aubio_onset_set_silence(aubio.onset, smpl_t(-1000));
    aubio_onset_set_minioi_ms(aubio.onset, smpl_t(options.MinGapMs));
    const bool stereo = song.Right.size() == song.Left.size();
    const qint64 frames = song.Frames();
    for (qint64 at = 0; at < frames; at += hop) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            break;
        for (uint_t i = 0; i < hop; ++i) {
            const qint64 f = at + i;
            const float value = f >= frames ? 0.f
                                : stereo    ? 0.5f * (song.Left[size_t(f)] + song.Right[size_t(f)])
                                            : song.Left[size_t(f)];
            aubio.input->data[i] = smpl_t(value) + ((f & 1) ? smpl_t(1e-7) : smpl_t(-1e-7));
        }
        aubio_onset_do(aubio.onset, aubio.input, aubio.output);
        if (aubio.output->data[0] != 0) {
            const int ms = int(aubio_onset_get_last_ms(aubio.onset) + 0.5);
            const qint64 frame = qint64(ms) * song.SampleRate / 1000;
            const bool audible =
                LevelDb(song, frame, song.SampleRate / 50) >= options.SilenceDb; // 20 ms
            if (audible && (onsets.empty() || ms > onsets.back()))
                onsets.push_back(ms);
        }
    }
    return onsets;
}

} // namespace tavelkor

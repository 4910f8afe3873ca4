#include "VoiceOnsets.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <mutex>

namespace tavelkor {

namespace {

// FFTW's planner is not safe on two threads at once, and aubio and Rubber Band plan with the
// same FFTW in this process (the player on its own thread). Made safe once, it guards every
// planner call of the process; plans run anywhere.
void MakePlannerThreadSafe() {
    static std::once_flag once;
    std::call_once(once, [] { fftwf_make_planner_thread_safe(); });
}

struct Fft {
    int Size;
    fftwf_complex* Data;
    fftwf_plan Plan;
    explicit Fft(int size) : Size(size) {
        MakePlannerThreadSafe();
        Data = fftwf_alloc_complex(size_t(size));
        Plan = fftwf_plan_dft_1d(size, Data, Data, FFTW_FORWARD, FFTW_ESTIMATE);
    }
    ~Fft() {
        fftwf_destroy_plan(Plan);
        fftwf_free(Data);
    }
    std::complex<float> At(int k) const { return {Data[k][0], Data[k][1]}; }
};

float Median(float* values, int count) {
    std::nth_element(values, values + count / 2, values + count);
    return values[count / 2];
}

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

// The rise of loudness frame by frame against the louder neighbour bins `lag` frames earlier.
std::vector<float> Rise(const std::vector<float>& loud, qint64 count, int bins, int lag) {
    std::vector<float> values(size_t(count), 0.f);
    lag = std::max(1, lag);
    for (qint64 i = lag; i < count; ++i) {
        const float* now = &loud[size_t(i * bins)];
        const float* before = &loud[size_t((i - lag) * bins)];
        double rise = 0;
        for (int b = 0; b < bins; ++b) {
            float was = before[b];
            if (b > 0)
                was = std::max(was, before[b - 1]);
            if (b + 1 < bins)
                was = std::max(was, before[b + 1]);
            rise += std::max(0.f, now[b] - was);
        }
        values[size_t(i)] = float(rise);
    }
    return values;
}

// Scales `values` to a mean of 1 over the frames where the mix sounds.
void Normalise(std::vector<float>& values, const std::vector<float>& levelDb, double silenceDb) {
    double sum = 0;
    qint64 sounding = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        if (levelDb[i] >= silenceDb) {
            sum += values[i];
            ++sounding;
        }
    }
    const double mean = sounding > 0 ? sum / double(sounding) : 0;
    for (float& v : values)
        v = mean > 0 ? float(v / mean) : 0.f;
}

} // namespace

VoiceCurve VoiceDetectionCurve(const DecodedSong& song, const VoiceOnsetOptions& options,
                               const std::atomic<bool>* cancel) {
    VoiceCurve curve;
    const qint64 frames = song.Frames();
    if (song.SampleRate <= 0 || frames == 0)
        return curve;
    const bool stereo = song.Right.size() == song.Left.size() && options.CentreExponent > 0;
    const int hop = std::max(1, int(std::lround(song.SampleRate * 0.01)));
    curve.HopMs = 1000.0 * hop / song.SampleRate;
    int size = 64;
    while (size * 1.5 < options.WindowMs * song.SampleRate / 1000)
        size *= 2;
    const double binHz = double(song.SampleRate) / size;
    const int low = std::clamp(int(options.LowHz / binHz), 1, size / 2 - 1);
    const int high = std::clamp(int(options.HighHz / binHz), low + 1, size / 2);
    const int bins = high - low;
    const qint64 count = (frames + hop - 1) / hop;

    // A Hann window scaled so that a full-scale sine reads about 0.5.
    std::vector<float> window(static_cast<size_t>(size));
    for (int i = 0; i < size; ++i)
        window[size_t(i)] = float((0.5 - 0.5 * std::cos(2 * M_PI * i / size)) * 2.0 / size);

    // The middle of the stereo image, as magnitudes in the band, frame by frame.
    std::vector<float> spectrum(size_t(count * bins));
    curve.LevelDb.resize(size_t(count));
    Fft fft(size);
    auto left = [&](qint64 f) { return f < 0 || f >= frames ? 0.f : song.Left[size_t(f)]; };
    auto right = [&](qint64 f) {
        return f < 0 || f >= frames                    ? 0.f
               : song.Right.size() == song.Left.size() ? song.Right[size_t(f)]
                                                       : song.Left[size_t(f)];
    };
    for (qint64 i = 0; i < count; ++i) {
        if ((i & 255) == 0 && Cancelled(cancel))
            return {};
        const qint64 first = i * hop - size / 2;
        double energy = 0;
        for (int n = 0; n < size; ++n) {
            const float l = left(first + n), r = right(first + n);
            if (n >= size / 2 - hop && n < size / 2 + hop)
                energy += 0.25 * (l + r) * (l + r);
            const float w = window[size_t(n)];
            fft.Data[n][0] = l * w;
            fft.Data[n][1] = r * w;
        }
        curve.LevelDb[size_t(i)] =
            energy > 0 ? float(10 * std::log10(energy / (2 * hop))) : -1000.f;
        fftwf_execute(fft.Plan);
        float* row = &spectrum[size_t(i * bins)];
        for (int k = low; k < high; ++k) {
            const std::complex<float> z = fft.At(k), zc = std::conj(fft.At(size - k));
            const std::complex<float> l = 0.5f * (z + zc);
            const std::complex<float> r = std::complex<float>(0, -0.5f) * (z - zc);
            float mask = 1;
            if (stereo) {
                const float power = std::norm(l) + std::norm(r);
                const float same = power > 0 ? 2 * (l * std::conj(r)).real() / power : 0;
                mask = same > 0 ? float(std::pow(same, options.CentreExponent)) : 0.f;
            }
            row[k - low] = 0.5f * std::abs(l + r) * mask;
        }
    }

    // Loudness; with HarmonicFrames, of the harmonic part only (medians along time against
    // medians along frequency).
    std::vector<float> loud(spectrum.size());
    const bool separate = options.HarmonicFrames > 0;
    const int half = options.HarmonicFrames / 2, across = std::max(options.PercussiveBins / 2, 0);
    std::vector<float> scratch(
        size_t(std::max(options.HarmonicFrames, options.PercussiveBins) + 2));
    for (qint64 i = 0; i < count; ++i) {
        if ((i & 255) == 0 && Cancelled(cancel))
            return {};
        const float* row = &spectrum[size_t(i * bins)];
        for (int b = 0; b < bins; ++b) {
            const size_t at = size_t(i * bins + b);
            if (!separate) {
                loud[at] = float(std::log1p(options.Compression * double(row[b])));
                continue;
            }
            int n = 0;
            for (qint64 j = std::max<qint64>(0, i - half); j <= std::min(count - 1, i + half); ++j)
                scratch[size_t(n++)] = spectrum[size_t(j * bins + b)];
            const float h = Median(scratch.data(), n);
            n = 0;
            for (int c = std::max(0, b - across); c <= std::min(bins - 1, b + across); ++c)
                scratch[size_t(n++)] = row[c];
            const float p = Median(scratch.data(), n);
            const float hp = float(std::pow(h, options.MaskPower));
            const float pp = float(std::pow(p, options.MaskPower));
            float mask = hp + pp > 0 ? hp / (hp + pp) : 0.f;
            mask = float(options.MaskFloor + (1 - options.MaskFloor) * mask);
            loud[at] = float(std::log1p(options.Compression * double(row[b] * mask)));
        }
    }

    curve.Values = Rise(loud, count, bins, options.FluxLagFrames);
    Normalise(curve.Values, curve.LevelDb, options.SilenceDb);
    return curve;
}

std::vector<VoiceOnset> PickVoiceOnsets(const VoiceCurve& curve, const VoiceOnsetOptions& options) {
    std::vector<VoiceOnset> onsets;
    const std::vector<float>& v = curve.Values;
    const qint64 count = qint64(v.size());
    // Running sums for the local mean.
    std::vector<double> sums(size_t(count + 1), 0);
    for (qint64 i = 0; i < count; ++i)
        sums[size_t(i + 1)] = sums[size_t(i)] + v[size_t(i)];
    for (qint64 i = 0; i < count; ++i) {
        if (curve.LevelDb[size_t(i)] < options.SilenceDb || v[size_t(i)] <= 0)
            continue;
        bool peak = true;
        for (qint64 j = std::max<qint64>(0, i - options.PeakFrames);
             peak && j <= std::min(count - 1, i + options.PeakFrames); ++j)
            peak = j == i || v[size_t(j)] < v[size_t(i)] || (j > i && v[size_t(j)] == v[size_t(i)]);
        if (!peak)
            continue;
        const qint64 from = std::max<qint64>(0, i - options.MeanFrames);
        const qint64 to = std::min(count, i + options.MeanFrames + 1);
        const double mean = (sums[size_t(to)] - sums[size_t(from)]) / double(to - from);
        const float strength = float(v[size_t(i)] - mean);
        if (strength < options.Threshold)
            continue;
        const int ms = std::max(0, int(std::lround(double(i) * curve.HopMs)) + options.ShiftMs);
        if (!onsets.empty() && ms - onsets.back().Ms < options.MinGapMs) {
            if (!options.KeepFirst && strength > onsets.back().Strength)
                onsets.back() = {ms, strength};
            continue;
        }
        if (onsets.empty() || ms > onsets.back().Ms)
            onsets.push_back({ms, strength});
    }
    return onsets;
}

std::vector<VoiceOnset> DetectVoiceOnsets(const DecodedSong& song, const VoiceOnsetOptions& options,
                                          const std::atomic<bool>* cancel) {
    const VoiceCurve curve = VoiceDetectionCurve(song, options, cancel);
    if (Cancelled(cancel))
        return {};
    return PickVoiceOnsets(curve, options);
}

} // namespace tavelkor

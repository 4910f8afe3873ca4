#include "LinePlacing.h"

#include "KanjiReadings.h"
#include "MoraDistribution.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavelkor {

namespace {

// The singing band: below it bass and kick drum, above it cymbals and hiss.
constexpr double BandLowHz = 150;
constexpr double BandHighHz = 4000;
// The harmonic part keeps what lasts along time (median over this many frames each side):
// a note held for a tenth of a second stays, a drum hit goes.
constexpr int HarmonicHalfFrames = 5;
// ... and what is spread along frequency in a frame (median over this many bins each side) is
// the percussive part it is weighed against.
constexpr int PercussiveHalfBins = 8;
// A sung start is a consonant with its vowel after it: the curve at a time is the rise of the
// sound from this many hops before it to this many after it.
constexpr int RiseBefore = 2;
constexpr int RiseAfter = 3;
// A fragment may always be this long (3 s), whatever its share.
constexpr int LongestFrames = 300;
// A line's last fragment is usually held longer than its share (the note that ends a phrase).
constexpr double LastHeld = 1.5;

struct AubioFft {
    aubio_fft_t* Fft;
    fvec_t* In;
    cvec_t* Out;
    explicit AubioFft(uint_t size)
        : Fft(new_aubio_fft(size)), In(new_fvec(size)), Out(new_cvec(size)) {}
    ~AubioFft() {
        if (Fft)
            del_aubio_fft(Fft);
        if (In)
            del_fvec(In);
        if (Out)
            del_cvec(Out);
    }
    AubioFft(const AubioFft&) = delete;
    AubioFft& operator=(const AubioFft&) = delete;
};

float MedianOf(std::vector<float>& values) {
    auto middle = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The starts spread by the weights, then pushed apart to `gapMs` (less where the span is too
// short for that, none where it is shorter than a millisecond a fragment).
QVector<int> SpreadApart(const QVector<double>& weights, int startMs, int endMs, int gapMs) {
    endMs = std::max(startMs, endMs);
    QVector<int> starts = SpreadStarts(weights, startMs, endMs);
    const int count = int(starts.size());
    const int gap = std::min(gapMs, (endMs - startMs) / std::max(1, count));
    for (int k = 1; k < count; ++k)
        starts[k] = std::max(starts[k], starts[k - 1] + gap);
    for (int k = count - 1; k >= 1; --k)
        starts[k] = std::min(starts[k], (k + 1 < count ? starts[k + 1] : endMs) - gap);
    return starts;
}

} // namespace

SyllableStartCurve VoiceOnsetCurve(const DecodedSong& song, int fromMs, int toMs) {
    SyllableStartCurve curve;
    curve.StartMs = fromMs;
    if (song.SampleRate <= 0 || toMs <= fromMs || song.Left.empty())
        return curve;
    const int rate = song.SampleRate;
    uint_t size = 256;
    while (size < uint_t(rate * 0.046))
        size *= 2;
    const int frames = (toMs - fromMs) / curve.HopMs + 1;
    // Frames before and after the span, so that the medians and the rise see the sound around it.
    const int margin = HarmonicHalfFrames + std::max(RiseBefore, RiseAfter);
    const int all = frames + 2 * margin;
    const int low = std::max(1, int(BandLowHz * size / rate));
    const int high = std::min(int(size / 2), int(BandHighHz * size / rate));
    const int bins = high - low + 1;
    AubioFft fft(size);
    if (!fft.Fft || !fft.In || !fft.Out)
        return curve;
    std::vector<float> window(size);
    for (uint_t i = 0; i < size; ++i)
        window[i] = float(0.5 - 0.5 * std::cos(2 * M_PI * i / size));
    const bool stereo = song.Right.size() == song.Left.size();
    std::vector<std::vector<float>> spectrum(all, std::vector<float>(bins, 0.f));
    for (int f = 0; f < all; ++f) {
        const qint64 centre = qint64(fromMs + (f - margin) * curve.HopMs) * rate / 1000;
        for (uint_t i = 0; i < size; ++i) {
            const qint64 at = centre - qint64(size / 2) + qint64(i);
            float sample = 0;
            if (at >= 0 && at < song.Frames())
                sample = stereo ? 0.5f * (song.Left[at] + song.Right[at]) : song.Left[at];
            fft.In->data[i] = sample * window[i];
        }
        aubio_fft_do(fft.Fft, fft.In, fft.Out);
        for (int b = 0; b < bins; ++b)
            spectrum[f][b] = float(fft.Out->norm[low + b]);
    }
    // The harmonic part: each bin kept by how much more it lasts along time than it spreads
    // along frequency (a soft mask of the two medians).
    std::vector<std::vector<float>> harmonic(all, std::vector<float>(bins, 0.f));
    std::vector<float> values;
    for (int f = 0; f < all; ++f) {
        for (int b = 0; b < bins; ++b) {
            values.clear();
            for (int g = std::max(0, f - HarmonicHalfFrames);
                 g <= std::min(all - 1, f + HarmonicHalfFrames); ++g)
                values.push_back(spectrum[g][b]);
            const float along = MedianOf(values);
            values.clear();
            for (int c = std::max(0, b - PercussiveHalfBins);
                 c <= std::min(bins - 1, b + PercussiveHalfBins); ++c)
                values.push_back(spectrum[f][c]);
            const float across = MedianOf(values);
            const float a2 = along * along, c2 = across * across;
            harmonic[f][b] = a2 + c2 > 0 ? spectrum[f][b] * a2 / (a2 + c2) : 0.f;
        }
    }
    // Log magnitudes with a floor 60 dB under the stretch's loudest bin, so that the rise of
    // faint noise does not count.
    float loudest = 0;
    for (const auto& frame : harmonic)
        for (float v : frame)
            loudest = std::max(loudest, v);
    const float floor = std::max(loudest * 1e-3f, 1e-9f);
    for (auto& frame : harmonic)
        for (float& v : frame)
            v = std::log(std::max(v, floor) / floor);
    curve.Onset.assign(frames, 0.f);
    float highest = 0;
    for (int k = 0; k < frames; ++k) {
        const int f = k + margin;
        float rise = 0;
        for (int b = 0; b < bins; ++b)
            rise += std::max(0.f, harmonic[f + RiseAfter][b] - harmonic[f - RiseBefore][b]);
        curve.Onset[k] = rise;
        highest = std::max(highest, rise);
    }
    if (highest > 0)
        for (float& v : curve.Onset)
            v /= highest;
    return curve;
}

QVector<int> PlaceFragments(const SyllableStartCurve& curve, const QVector<double>& weights,
                            int startMs, int endMs, const PlacingOptions& options) {
    const int count = int(weights.size());
    if (count == 0)
        return {};
    const int hop = std::max(1, curve.HopMs);
    // Frame k of the span is at startMs + k * hop; the curve must cover all of them.
    const int first = (startMs - curve.StartMs) / hop;
    const int frames = (endMs - startMs) / hop;
    const int minFrames = std::max(1, options.MinFragmentMs / hop);
    if (count == 1 || endMs <= startMs || (startMs - curve.StartMs) % hop != 0 || first < 0 ||
        first + frames > curve.Frames() || frames < count * minFrames)
        return SpreadApart(weights, startMs, endMs, options.MinFragmentMs);
    // Expected length in frames of each fragment.
    std::vector<double> expected(count);
    auto weightOf = [&](int i) {
        return (weights[i] > 0 ? weights[i] : 1) * (i == count - 1 ? LastHeld : 1);
    };
    double total = 0;
    for (int i = 0; i < count; ++i)
        total += weightOf(i);
    for (int i = 0; i < count; ++i)
        expected[i] = weightOf(i) / total * (double(endMs - startMs) / hop);
    auto lengthCost = [&](int i, int length) {
        const double ratio = std::log((length + 2.0) / (expected[i] + 2.0));
        return options.LengthWeight * ratio * ratio;
    };
    // best[i][k]: the best score of fragments 0 .. i-1 when fragment i starts at frame k.
    constexpr double None = -std::numeric_limits<double>::infinity();
    std::vector<std::vector<double>> best(count, std::vector<double>(frames + 1, None));
    std::vector<std::vector<int>> from(count, std::vector<int>(frames + 1, -1));
    best[0][0] = 0;
    for (int i = 1; i < count; ++i) {
        // Fragment i starts where fragments i .. count-1 still fit before the end.
        const int lowest = i * minFrames;
        const int highest = frames - (count - i) * minFrames;
        for (int k = lowest; k <= highest; ++k) {
            const double gain = curve.Onset[first + k];
            double top = None;
            int arg = -1;
            // A fragment far longer than expected is not looked for (it keeps long lines quick).
            const int longest = std::max(LongestFrames, int(6 * expected[i - 1]));
            for (int j = std::max((i - 1) * minFrames, k - longest); j <= k - minFrames; ++j) {
                if (best[i - 1][j] == None)
                    continue;
                const double score = best[i - 1][j] - lengthCost(i - 1, k - j);
                if (score > top) {
                    top = score;
                    arg = j;
                }
            }
            if (arg >= 0) {
                best[i][k] = top + gain;
                from[i][k] = arg;
            }
        }
    }
    double top = None;
    int arg = -1;
    for (int k = (count - 1) * minFrames; k <= frames - minFrames; ++k) {
        if (best[count - 1][k] == None)
            continue;
        const double score = best[count - 1][k] - lengthCost(count - 1, frames - k);
        if (score > top) {
            top = score;
            arg = k;
        }
    }
    if (arg < 0)
        return SpreadApart(weights, startMs, endMs, options.MinFragmentMs);
    QVector<int> starts(count);
    for (int i = count - 1; i >= 0; --i) {
        starts[i] = startMs + arg * hop;
        arg = from[i][arg];
    }
    starts[0] = startMs;
    return starts;
}

QVector<int> PlaceFragmentsOnSong(const DecodedSong& song, const QVector<double>& weights,
                                  int startMs, int endMs, const PlacingOptions& options) {
    if (weights.size() < 2 || endMs <= startMs)
        return SpreadApart(weights, startMs, endMs, options.MinFragmentMs);
    return PlaceFragments(VoiceOnsetCurve(song, startMs, endMs), weights, startMs, endMs, options);
}

int LatinSyllables(QStringView word) {
    static const QString vowels = QStringLiteral(u"aeiouyàáâãäåæèéêëìíîïòóôõöøùúûüýÿœ");
    int groups = 0;
    bool inVowel = false;
    for (QChar c : word) {
        const bool vowel = vowels.contains(c.toLower());
        if (vowel && !inVowel)
            ++groups;
        inVowel = vowel;
    }
    return std::max(1, groups);
}

QVector<double> PlacingWeights(const TimingLine& line, const QVector<double>& morae) {
    QVector<double> weights = morae;
    for (int k = 0; k < line.Fragments.size() && k < weights.size(); ++k) {
        const QString& text = line.Fragments[k].Text;
        bool letters = false, japanese = false;
        for (QChar c : text) {
            letters = letters || c.isLetter();
            japanese = japanese || IsKanji(c) || (c.unicode() >= 0x3040 && c.unicode() <= 0x30ff);
        }
        if (letters && !japanese)
            weights[k] = LatinSyllables(text);
    }
    return weights;
}

} // namespace tavelkor

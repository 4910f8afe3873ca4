#include "Spectrogram.h"

extern "C" {
#include <libavutil/tx.h>
}

#include <algorithm>
#include <cmath>
#include <new>

namespace tavelkor {

namespace {

constexpr double WindowMs = 40; // the transform is the smallest power of two this long or longer
constexpr int CancelEvery = 64; // columns between two looks at the cancel flag

// Which bins a row reads: the loudest of First .. Last, or, for a row narrower than a bin (the
// low rows), the power between bin Last and Last + 1 at Fraction. Empty rows are above the
// song's highest frequency.
struct RowBins {
    int First = 0;
    int Last = -1;
    double Fraction = -1;
    double GainDb = 0;
    bool Empty = true;
};

std::vector<RowBins> BinsOfRows(int size, int rate) {
    std::vector<RowBins> rows(Spectrogram::Rows);
    const double binHz = double(rate) / size;
    const double halfRow = std::exp2(0.5 / Spectrogram::RowsPerOctave);
    for (int r = 0; r < Spectrogram::Rows; ++r) {
        const double hz = Spectrogram::RowHz(r);
        RowBins& bins = rows[size_t(r)];
        if (hz >= rate / 2.0)
            continue;
        bins.Empty = false;
        bins.GainDb = Spectrogram::EmphasisDb(hz);
        bins.First = int(std::ceil(hz / halfRow / binHz));
        bins.Last = std::min(int(std::floor(hz * halfRow / binHz)), size / 2);
        if (bins.First > bins.Last) {
            const double at = hz / binHz;
            bins.Last = std::min(int(at), size / 2 - 1);
            bins.Fraction = at - bins.Last;
        }
    }
    return rows;
}

// The transform of one window length, freed with it.
struct RealTransform {
    explicit RealTransform(int size) {
        const float scale = 1;
        if (av_tx_init(&context, &run, AV_TX_FLOAT_RDFT, 0, size, &scale, AV_TX_UNALIGNED) < 0)
            throw std::bad_alloc();
    }
    ~RealTransform() { av_tx_uninit(&context); }
    RealTransform(const RealTransform&) = delete;
    RealTransform& operator=(const RealTransform&) = delete;

    AVTXContext* context = nullptr;
    av_tx_fn run = nullptr;
};

} // namespace

double Spectrogram::RowHz(int row) { return LowestHz * std::exp2(double(row) / RowsPerOctave); }

double Spectrogram::EmphasisDb(double hz) {
    double octaves = 0;
    if (hz < VoiceLowHz)
        octaves = std::log2(VoiceLowHz / hz);
    else if (hz > VoiceHighHz)
        octaves = std::log2(hz / VoiceHighHz);
    return -std::min(18.0, 6 * octaves);
}

std::shared_ptr<const Spectrogram> Spectrogram::Compute(const DecodedSong& song,
                                                        const std::atomic<bool>* cancel) {
    auto made = std::make_shared<Spectrogram>();
    if (song.SampleRate <= 0 || song.Frames() == 0)
        return made;
    const qint64 rate = song.SampleRate;
    int size = 16;
    while (size < rate * WindowMs / 1000)
        size *= 2;
    RealTransform transform(size);
    const std::vector<RowBins> rows = BinsOfRows(size, int(rate));
    std::vector<float> window(static_cast<size_t>(size));
    for (int i = 0; i < size; ++i)
        window[size_t(i)] = float(0.5 - 0.5 * std::cos(2 * M_PI * i / size));
    // A full-scale sine through the Hann window peaks at size / 4.
    const double fullScale = double(size) * size / 16;

    const float* left = song.Left.data();
    const float* right = song.Right.size() == song.Left.size() ? song.Right.data() : left;
    const qint64 frames = song.Frames();
    made->columns_ = int(song.DurationMs() / HopMs + 1);
    std::vector<quint8> level(size_t(made->columns_) * Rows);
    std::vector<float> in(static_cast<size_t>(size));
    std::vector<AVComplexFloat> out(size_t(size / 2 + 1));
    std::vector<double> power(size_t(size / 2 + 1));
    for (int c = 0; c < made->columns_; ++c) {
        if (c % CancelEvery == 0 && cancel && cancel->load(std::memory_order_relaxed))
            return nullptr;
        const qint64 first = qint64(c) * HopMs * rate / 1000 - size / 2;
        for (int i = 0; i < size; ++i) {
            const qint64 f = first + i;
            const float mixed = f >= 0 && f < frames ? (left[f] + right[f]) * 0.5f : 0.f;
            in[size_t(i)] = mixed * window[size_t(i)];
        }
        transform.run(transform.context, out.data(), in.data(), sizeof(float));
        for (size_t k = 0; k < power.size(); ++k)
            power[k] = double(out[k].re) * out[k].re + double(out[k].im) * out[k].im;
        quint8* column = level.data() + size_t(c) * Rows;
        for (int r = 0; r < Rows; ++r) {
            const RowBins& bins = rows[size_t(r)];
            if (bins.Empty)
                continue;
            double loudest = 0;
            if (bins.Fraction >= 0)
                loudest = power[size_t(bins.Last)] * (1 - bins.Fraction) +
                          power[size_t(bins.Last) + 1] * bins.Fraction;
            else
                for (int k = bins.First; k <= bins.Last; ++k)
                    loudest = std::max(loudest, power[size_t(k)]);
            const double db = 10 * std::log10(loudest / fullScale + 1e-30) + bins.GainDb;
            column[r] = quint8(
                std::clamp(std::lround((db - LevelFloorDb) / -LevelFloorDb * 255), 0L, 255L));
        }
    }
    // Levels of columns twice as wide, the louder of each pair, up to a single column.
    while (!level.empty()) {
        std::vector<quint8> upper(level.size() / Rows / 2 * Rows);
        for (size_t i = 0; i < upper.size(); ++i) {
            const size_t pair = i / Rows * 2 * Rows + i % Rows;
            upper[i] = std::max(level[pair], level[pair + Rows]);
        }
        made->levels_.push_back(std::move(level));
        level = std::move(upper);
    }
    return made;
}

quint8 Spectrogram::Level(int column, int row) const {
    if (column < 0 || column >= columns_ || row < 0 || row >= Rows)
        return 0;
    return levels_[0][size_t(column) * Rows + size_t(row)];
}

void Spectrogram::Loudest(qint64 from, qint64 to, quint8* out) const {
    std::fill(out, out + Rows, quint8(0));
    from = std::max<qint64>(from, 0);
    to = std::min<qint64>(to, columns_);
    auto add = [&](size_t k, qint64 i) {
        const quint8* column = levels_[k].data() + size_t(i) * Rows;
        for (int r = 0; r < Rows; ++r)
            out[r] = std::max(out[r], column[r]);
    };
    // At each level the odd column at either edge, then one level up.
    for (size_t k = 0; from < to && k < levels_.size(); ++k) {
        if (from & 1)
            add(k, from++);
        if (to & 1)
            add(k, --to);
        from >>= 1;
        to >>= 1;
    }
}

std::vector<quint8> Spectrogram::Picture(qint64 fromMs, qint64 toMs, int pixels) const {
    if (pixels <= 0 || toMs <= fromMs)
        return {};
    std::vector<quint8> out(size_t(pixels) * Rows);
    if (columns_ == 0)
        return out;
    const qint64 span = toMs - fromMs;
    const qint64 hopUs = qint64(HopMs) * 1000;
    auto edgeUs = [&](int pixel) { return fromMs * 1000 + span * 1000 * pixel / pixels; };
    // The first column centred at or after a time (microseconds, either sign).
    auto columnFrom = [&](qint64 us) {
        return us >= 0 ? (us + hopUs - 1) / hopUs : -(-us / hopUs);
    };
    for (int p = 0; p < pixels; ++p) {
        const qint64 a = edgeUs(p);
        const qint64 b = edgeUs(p + 1);
        qint64 first = columnFrom(a);
        qint64 last = columnFrom(b);
        if (last <= first) {
            first = columnFrom((a + b) / 2 - hopUs / 2);
            last = first + 1;
        }
        Loudest(first, last, out.data() + size_t(p) * Rows);
    }
    return out;
}

size_t Spectrogram::Bytes() const {
    size_t bytes = 0;
    for (const std::vector<quint8>& level : levels_)
        bytes += level.size();
    return bytes;
}

} // namespace tavelkor

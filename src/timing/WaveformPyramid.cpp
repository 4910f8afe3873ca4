#include "WaveformPyramid.h"

#include <algorithm>
#include <limits>

namespace tavelkor {

namespace {

struct PeakSum {
    float Min = std::numeric_limits<float>::infinity();
    float Max = -std::numeric_limits<float>::infinity();

    void Add(float value) {
        Min = std::min(Min, value);
        Max = std::max(Max, value);
    }
    void Add(const SamplePeak& peak) {
        Min = std::min(Min, peak.Min);
        Max = std::max(Max, peak.Max);
    }
    SamplePeak Result() const { return Min <= Max ? SamplePeak{Min, Max} : SamplePeak{}; }
};

} // namespace

WaveformPyramid::WaveformPyramid(std::shared_ptr<const DecodedSong> song) : song_(std::move(song)) {
    if (!song_ || song_->Frames() == 0)
        return;
    const float* left = song_->Left.data();
    const float* right = song_->Right.size() == song_->Left.size() ? song_->Right.data() : left;
    const qint64 frames = song_->Frames();
    const qint64 fullBlocks = frames / BlockFrames;
    std::vector<SamplePeak> level(static_cast<size_t>(fullBlocks));
    for (qint64 block = 0; block < fullBlocks; ++block) {
        const qint64 first = block * BlockFrames;
        float low = left[first];
        float high = low;
        for (qint64 f = first; f < first + BlockFrames; ++f) {
            low = std::min({low, left[f], right[f]});
            high = std::max({high, left[f], right[f]});
        }
        level[size_t(block)] = {low, high};
    }
    // A level of the blocks that are complete only: the rest of the song is read as samples.
    while (!level.empty()) {
        std::vector<SamplePeak> upper(level.size() / 2);
        for (size_t i = 0; i < upper.size(); ++i)
            upper[i] = {std::min(level[2 * i].Min, level[2 * i + 1].Min),
                        std::max(level[2 * i].Max, level[2 * i + 1].Max)};
        levels_.push_back(std::move(level));
        level = std::move(upper);
    }
}

SamplePeak WaveformPyramid::Peak(qint64 fromFrame, qint64 toFrame) const {
    if (!song_)
        return {};
    fromFrame = std::max<qint64>(fromFrame, 0);
    toFrame = std::min(toFrame, song_->Frames());
    if (toFrame <= fromFrame)
        return {};
    const std::vector<float>& left = song_->Left;
    const std::vector<float>& right = song_->Right.size() == left.size() ? song_->Right : left;
    PeakSum sum;
    auto sample = [&](qint64 f) {
        sum.Add(left[size_t(f)]);
        sum.Add(right[size_t(f)]);
    };
    while (fromFrame < toFrame && fromFrame % BlockFrames != 0)
        sample(fromFrame++);
    const qint64 fullEnd = LevelCount() > 0 ? qint64(levels_[0].size()) * BlockFrames : 0;
    while (toFrame > fromFrame && (toFrame % BlockFrames != 0 || toFrame > fullEnd))
        sample(--toFrame);
    // Whole blocks: at each level the odd block at either edge, then one level up.
    qint64 low = fromFrame / BlockFrames;
    qint64 high = toFrame / BlockFrames;
    for (size_t k = 0; low < high && k < levels_.size(); ++k) {
        if (low & 1)
            sum.Add(levels_[k][size_t(low++)]);
        if (high & 1)
            sum.Add(levels_[k][size_t(--high)]);
        low >>= 1;
        high >>= 1;
    }
    return sum.Result();
}

std::vector<SamplePeak> WaveformPyramid::Envelope(qint64 fromMs, qint64 toMs, int pixels) const {
    if (pixels <= 0 || toMs <= fromMs)
        return {};
    std::vector<SamplePeak> out(static_cast<size_t>(pixels));
    if (!song_ || song_->SampleRate <= 0)
        return out;
    const qint64 rate = song_->SampleRate;
    const qint64 span = toMs - fromMs;
    auto frameAt = [&](int pixel) {
        const qint64 ms1000 = fromMs * 1000 + span * 1000 * pixel / pixels; // microseconds
        return ms1000 >= 0 ? ms1000 * rate / 1000000 : -((-ms1000 * rate + 999999) / 1000000);
    };
    for (int p = 0; p < pixels; ++p) {
        const qint64 first = frameAt(p);
        const qint64 last = std::max(frameAt(p + 1), first + 1);
        out[size_t(p)] = Peak(first, last);
    }
    return out;
}

} // namespace tavelkor

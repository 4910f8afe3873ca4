// The waveform pyramid against a plain scan of the samples, on generated songs of many lengths
// (shorter than a block, not a whole number of blocks, long): random frame ranges, and whole
// envelopes at many zooms and widths, windows reaching before and past the song included.
#include "timing/WaveformPyramid.h"

#include <QRandomGenerator>
#include <cmath>
#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

std::shared_ptr<DecodedSong> GeneratedSong(QRandomGenerator& random, qint64 frames, int rate) {
    auto song = std::make_shared<DecodedSong>();
    song->SampleRate = rate;
    const int kind = random.bounded(3);
    for (qint64 f = 0; f < frames; ++f) {
        float l = 0;
        float r = 0;
        if (kind == 0) { // noise
            l = float(random.generateDouble() * 2 - 1);
            r = float(random.generateDouble() * 2 - 1);
        } else if (kind == 1) { // tone bursts, the channels apart
            const bool on = (f / 700) % 3 == 0;
            l = on ? float(std::sin(f * 0.05)) : 0.f;
            r = on ? float(0.5 * std::cos(f * 0.031)) : 0.f;
        } else { // rare clicks in silence
            l = random.bounded(400) == 0 ? float(random.generateDouble() * 2 - 1) : 0.f;
            r = -l * 0.25f;
        }
        song->Left.push_back(l);
        song->Right.push_back(r);
    }
    return song;
}

SamplePeak Scan(const DecodedSong& song, qint64 from, qint64 to) {
    from = std::max<qint64>(from, 0);
    to = std::min(to, song.Frames());
    if (to <= from)
        return {};
    SamplePeak peak{song.Left[size_t(from)], song.Left[size_t(from)]};
    for (qint64 f = from; f < to; ++f) {
        for (float v : {song.Left[size_t(f)], song.Right[size_t(f)]}) {
            peak.Min = std::min(peak.Min, v);
            peak.Max = std::max(peak.Max, v);
        }
    }
    return peak;
}

TEST(WaveformPyramid, PeaksOfAnyRangeAreThoseOfTheSamples) {
    QRandomGenerator random(21);
    for (qint64 frames : {qint64(0), qint64(1), qint64(63), qint64(64), qint64(65), qint64(1000),
                          qint64(64 * 37 + 5), qint64(200003)}) {
        const auto song = GeneratedSong(random, frames, 44100);
        const WaveformPyramid pyramid(song);
        for (int turn = 0; turn < 300; ++turn) {
            const qint64 a = qint64(random.bounded(int(frames + 200))) - 100;
            const qint64 b = a + random.bounded(int(std::min<qint64>(frames, 70000) + 2));
            const SamplePeak got = pyramid.Peak(a, b);
            const SamplePeak want = Scan(*song, a, b);
            ASSERT_EQ(got, want) << frames << " frames, " << a << ".." << b;
        }
    }
}

TEST(WaveformPyramid, EnvelopesAtEveryZoomAndWidthMatchTheSamples) {
    // At 1000 frames a second a millisecond is a frame, so the pixels' frames are plain.
    QRandomGenerator random(7);
    const auto song = GeneratedSong(random, 95000, 1000);
    const WaveformPyramid pyramid(song);
    for (int turn = 0; turn < 60; ++turn) {
        const qint64 span = 2000 + random.bounded(28001);
        const qint64 from = qint64(random.bounded(100000)) - 5000;
        const int pixels = 1 + random.bounded(3000);
        const std::vector<SamplePeak> envelope = pyramid.Envelope(from, from + span, pixels);
        ASSERT_EQ(envelope.size(), size_t(pixels));
        for (int p = 0; p < pixels; ++p) {
            const qint64 first = from + span * p / pixels;
            const qint64 last = std::max(from + span * (p + 1) / pixels, first + 1);
            ASSERT_EQ(envelope[size_t(p)], Scan(*song, first, last))
                << "pixel " << p << " of " << pixels << " over " << from << "+" << span;
        }
    }
    EXPECT_TRUE(pyramid.Envelope(10, 10, 100).empty());
    EXPECT_TRUE(WaveformPyramid().Envelope(0, 1000, 4) == std::vector<SamplePeak>(4));
}

} // namespace

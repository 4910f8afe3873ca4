// The spectrogram of generated songs at the common sample rates: a chirp lands on the rows of its
// frequency column by column and nowhere in the silence around it, the voice's band is drawn
// louder than the bass and the treble, pictures at any zoom hold the loudest of the columns in
// each pixel (against a plain scan), and a cancelled analysis gives nothing.
#include "timing/Spectrogram.h"

#include <QRandomGenerator>
#include <cmath>
#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

constexpr double ChirpFromHz = 150;
constexpr double ChirpToHz = 3500;
constexpr double ChirpStartS = 1;
constexpr double ChirpSeconds = 4;

// A second of silence, a logarithmic chirp at half scale, a second of silence.
DecodedSong ChirpSong(int rate) {
    DecodedSong song;
    song.SampleRate = rate;
    const qint64 frames = qint64((ChirpSeconds + 2 * ChirpStartS) * rate);
    const double octaves = std::log2(ChirpToHz / ChirpFromHz);
    const double k = octaves * std::log(2) / ChirpSeconds;
    for (qint64 f = 0; f < frames; ++f) {
        const double t = double(f) / rate - ChirpStartS;
        float v = 0;
        if (t >= 0 && t < ChirpSeconds)
            v = float(0.5 * std::sin(2 * M_PI * ChirpFromHz * (std::exp(k * t) - 1) / k));
        song.Left.push_back(v);
    }
    song.Right = song.Left;
    return song;
}

double ChirpHz(double seconds) {
    return ChirpFromHz * std::pow(ChirpToHz / ChirpFromHz, (seconds - ChirpStartS) / ChirpSeconds);
}

double RowOf(double hz) {
    return Spectrogram::RowsPerOctave * std::log2(hz / Spectrogram::LowestHz);
}

int LoudestRow(const quint8* column) {
    return int(std::max_element(column, column + Spectrogram::Rows) - column);
}

} // namespace

TEST(Spectrogram, AChirpLandsOnItsFrequencies) {
    for (int rate : {8000, 22050, 44100, 48000}) {
        SCOPED_TRACE(rate);
        const DecodedSong song = ChirpSong(rate);
        const auto spectrogram = Spectrogram::Compute(song);
        ASSERT_TRUE(spectrogram);
        ASSERT_EQ(spectrogram->Columns(), int(song.DurationMs() / Spectrogram::HopMs + 1));
        std::vector<quint8> column(Spectrogram::Rows);
        for (int c = 0; c < spectrogram->Columns(); ++c) {
            const double seconds = double(c) * Spectrogram::HopMs / 1000;
            for (int r = 0; r < Spectrogram::Rows; ++r)
                column[size_t(r)] = spectrogram->Level(c, r);
            const quint8 loudest = *std::max_element(column.begin(), column.end());
            if (seconds < ChirpStartS - 0.05 || seconds > ChirpStartS + ChirpSeconds + 0.05) {
                ASSERT_EQ(loudest, 0) << seconds << " s";
                continue;
            }
            if (seconds < ChirpStartS + 0.05 || seconds > ChirpStartS + ChirpSeconds - 0.05)
                continue; // the window straddles the chirp's edge
            // Within a row and a half, or, low down where a bin of the transform (about 20 Hz)
            // spans several rows, within 25 Hz.
            const int row = LoudestRow(column.data());
            if (std::abs(Spectrogram::RowHz(row) - ChirpHz(seconds)) > 25)
                ASSERT_NEAR(row, RowOf(ChirpHz(seconds)), 1.5) << seconds << " s";
            ASSERT_GT(loudest, 180) << seconds << " s";
        }
    }
}

TEST(Spectrogram, TheVoicesBandStandsOutFromTheBassAndTheTreble) {
    // Equal tones at 80 Hz, 1 kHz and 8 kHz, one after the other.
    DecodedSong song;
    song.SampleRate = 44100;
    for (double hz : {80.0, 1000.0, 8000.0})
        for (int f = 0; f < 44100; ++f)
            song.Left.push_back(float(0.5 * std::sin(2 * M_PI * hz * f / 44100)));
    const auto spectrogram = Spectrogram::Compute(song);
    auto levelAt = [&](double seconds, double hz) {
        return spectrogram->Level(int(seconds * 1000 / Spectrogram::HopMs), qRound(RowOf(hz)));
    };
    const int bass = levelAt(0.5, 80);
    const int voice = levelAt(1.5, 1000);
    const int treble = levelAt(2.5, 8000);
    EXPECT_NEAR(voice, 255 * (1 - 6.0 / 80), 6); // half scale: 6 dB under full scale
    EXPECT_NEAR(voice - bass, 255 * Spectrogram::EmphasisDb(80) / Spectrogram::LevelFloorDb, 6);
    EXPECT_NEAR(voice - treble, 255 * 6.0 / 80, 6);
    EXPECT_GT(treble, 0);
}

TEST(Spectrogram, PicturesHoldTheLoudestColumnOfEachPixelAtAnyZoom) {
    QRandomGenerator random(5);
    DecodedSong song;
    song.SampleRate = 16000;
    // Noise bursts of random colour and length between silences: columns differ a lot.
    while (song.Left.size() < 16000 * 40) {
        const int length = random.bounded(200, 8000);
        const bool loud = random.bounded(2) == 0;
        float held = 0;
        const double smooth = random.generateDouble();
        for (int i = 0; i < length; ++i) {
            held = float(smooth * held + (1 - smooth) * (random.generateDouble() * 2 - 1));
            song.Left.push_back(loud ? held : 0.f);
        }
    }
    const auto spectrogram = Spectrogram::Compute(song);
    for (int turn = 0; turn < 60; ++turn) {
        const qint64 span = random.bounded(1, 45000);
        const qint64 from = qint64(random.bounded(50000)) - 5000;
        const int pixels = random.bounded(1, 1500);
        const std::vector<quint8> picture = spectrogram->Picture(from, from + span, pixels);
        ASSERT_EQ(picture.size(), size_t(pixels) * Spectrogram::Rows);
        for (int p = 0; p < pixels; ++p) {
            // The columns centred in the pixel's microseconds, or the one nearest its middle.
            const qint64 a = from * 1000 + span * 1000 * p / pixels;
            const qint64 b = from * 1000 + span * 1000 * (p + 1) / pixels;
            auto columnFrom = [](qint64 us) {
                return int(std::ceil(double(us) / (Spectrogram::HopMs * 1000)));
            };
            int first = columnFrom(a);
            int last = columnFrom(b);
            if (last <= first) {
                first = columnFrom((a + b) / 2 - Spectrogram::HopMs * 500);
                last = first + 1;
            }
            for (int r = 0; r < Spectrogram::Rows; ++r) {
                quint8 loudest = 0;
                for (int c = first; c < last; ++c)
                    loudest = std::max(loudest, spectrogram->Level(c, r));
                ASSERT_EQ(picture[size_t(p) * Spectrogram::Rows + size_t(r)], loudest)
                    << from << " + " << span << " ms over " << pixels << ", pixel " << p;
            }
        }
    }
    EXPECT_TRUE(spectrogram->Picture(0, 1000, 0).empty());
    EXPECT_TRUE(Spectrogram::Compute(DecodedSong())->Picture(0, 1000, 4) ==
                std::vector<quint8>(4 * Spectrogram::Rows));
}

TEST(Spectrogram, ACancelledAnalysisGivesNothing) {
    const std::atomic<bool> cancelled(true);
    EXPECT_EQ(Spectrogram::Compute(ChirpSong(8000), &cancelled), nullptr);
}

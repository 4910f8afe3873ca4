// The waveform lane's and the onset detector's figures:
//  - with SONG (a 5-minute MP3): decoding it, building the waveform pyramid, computing the
//    spectrogram and finding its onsets, each against the decoding in the same run (goals:
//    pyramid ready within 0.3 s of decoding; pyramid and onsets together under 2 s);
//  - the onset methods of aubio on generated clicks, tone bursts, noise bursts and spoken
//    syllables: onsets found within 20 ms, onsets where there is silence, extra onsets;
//  - snapping simulated taps (normal error, 40 ms late on average, 60 ms deviation) of 240
//    spoken syllables to the onsets: the median error before and after.
//   tavelkor-bench-onsets [SONG]
#include "timing/OnsetDetector.h"
#include "timing/OnsetSnap.h"
#include "timing/Spectrogram.h"
#include "timing/SongOnsets.h"
#include "timing/WaveformPyramid.h"

#include "timing/OnsetMaterial.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <random>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Score {
    int Found = 0, Known = 0, InSilence = 0, Extra = 0;
};

Score Evaluate(const OnsetMaterial& material, const std::vector<int>& onsets) {
    Score score;
    score.Known = int(material.OnsetsMs.size());
    for (int known : material.OnsetsMs) {
        if (SnapToOnset(onsets, known, 20) != known ||
            std::binary_search(onsets.begin(), onsets.end(), known))
            ++score.Found;
    }
    for (int onset : onsets) {
        for (auto [from, to] : material.SilencesMs)
            score.InSilence += onset >= from && onset < to;
        if (SnapToOnset(material.OnsetsMs, onset, 20) == onset &&
            !std::binary_search(material.OnsetsMs.begin(), material.OnsetsMs.end(), onset))
            ++score.Extra;
    }
    return score;
}

struct Snapped {
    double Before = 0, After = 0;
    int MovedWithoutOnset = 0;
};

// Taps 40 ms late on average with 60 ms deviation, snapped within 60 ms.
Snapped SnapTaps(const OnsetMaterial& spoken, const std::vector<int>& onsets) {
    const int stay = SnapRules().StayMs;
    std::mt19937 random(20);
    std::normal_distribution<double> error(40, 60);
    std::vector<double> before, after;
    Snapped result;
    for (int known : spoken.OnsetsMs) {
        const int tap = known + int(std::lround(error(random)));
        const int snapped = SnapToOnset(onsets, tap, 60, stay);
        before.push_back(std::abs(tap - known));
        after.push_back(std::abs(snapped - known));
        result.MovedWithoutOnset +=
            snapped != tap && SnapToOnset(spoken.OnsetsMs, tap, 60) == tap &&
            !std::binary_search(spoken.OnsetsMs.begin(), spoken.OnsetsMs.end(), tap);
    }
    result.Before = Median(before);
    result.After = Median(after);
    return result;
}

void TimeSong(const QString& path) {
    std::vector<double> decode, pyramid, spectrogram, onsets, voice;
    qint64 seconds = 0;
    size_t spectrogramBytes = 0;
    for (int turn = 0; turn < 3; ++turn) {
        QElapsedTimer timer;
        timer.start();
        auto song = std::make_shared<const DecodedSong>(DecodeSong(path));
        decode.push_back(double(timer.nsecsElapsed()) / 1e9);
        seconds = song->DurationMs() / 1000;
        timer.restart();
        const WaveformPyramid built(song);
        pyramid.push_back(double(timer.nsecsElapsed()) / 1e9);
        timer.restart();
        spectrogramBytes = Spectrogram::Compute(*song)->Bytes();
        spectrogram.push_back(double(timer.nsecsElapsed()) / 1e9);
        timer.restart();
        const std::vector<int> found = DetectOnsets(*song);
        onsets.push_back(double(timer.nsecsElapsed()) / 1e9);
        timer.restart();
        const std::vector<int> sung = SongOnsets(*song, QStringLiteral("voice"));
        voice.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    auto line = [](const char* what, const std::vector<double>& s, const char* goal) {
        std::printf("  %-30s median %7.3f s   best %7.3f s   %s\n", what, Median(s),
                    *std::min_element(s.begin(), s.end()), goal);
    };
    std::printf("the waveform lane with a %lld-second MP3\n", (long long)seconds);
    line("decoding it (baseline)", decode, "");
    line("building the waveform pyramid", pyramid, "(goal: within 0.3 s of decoding)");
    line("computing its spectrogram", spectrogram, "");
    std::printf("  %-30s %7.1f MB\n", "the spectrogram's levels", spectrogramBytes / 1e6);
    line("finding its onsets", onsets, "");
    line("finding the voice's onsets", voice, "(goal: at most 3 s)");
    std::printf("  %-30s median %7.3f s                      (goal: under 2 s)\n",
                "pyramid and onsets together", Median(pyramid) + Median(onsets));
    std::printf("  %-30s %7.2fx of decoding (median)\n", "the pyramid",
                Median(pyramid) / Median(decode));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1)
        TimeSong(QString::fromLocal8Bit(argv[1]));

    std::vector<std::pair<const char*, OnsetMaterial>> materials;
    for (quint32 seed : {1u, 2u}) {
        materials.push_back({"clicks", MakeOnsetMaterial(OnsetSound::Clicks, seed)});
        materials.push_back({"tones", MakeOnsetMaterial(OnsetSound::ToneBursts, seed)});
        materials.push_back({"noise", MakeOnsetMaterial(OnsetSound::NoiseBursts, seed)});
    }
    const OnsetMaterial spoken = MakeSpokenMaterial(240, 5);
    if (spoken.Song.Frames() > 0)
        materials.push_back({"spoken", spoken});
    else
        std::printf("(espeak-ng or sox missing: no spoken syllables)\n");

    std::printf("\nonset methods: found within 20 ms / known, in silence, extra; spoken: "
                "median error of taps before -> after snapping\n");
    std::printf("  %-9s %4s %4s", "method", "thr", "gap");
    for (const auto& [name, material] : materials)
        std::printf(" %16s", name);
    std::printf("  %s\n", "snapped");
    for (const char* method : {"energy", "hfc", "complex", "mkl", "specdiff", "specflux"}) {
        for (double threshold : {0.3, 0.5, 0.8}) {
            for (double gap : {50.0, 150.0}) {
                OnsetOptions options;
                options.Method = QString::fromLatin1(method);
                options.Threshold = threshold;
                options.MinGapMs = gap;
                std::printf("  %-9s %4.1f %4.0f", method, threshold, gap);
                for (const auto& [name, material] : materials) {
                    const Score s = Evaluate(material, DetectOnsets(material.Song, options));
                    std::printf("   %3d/%3d %2d %3d", s.Found, s.Known, s.InSilence, s.Extra);
                }
                if (spoken.Song.Frames() > 0) {
                    const Snapped snapped = SnapTaps(spoken, DetectOnsets(spoken.Song, options));
                    std::printf("  %4.0f -> %4.0f ms", snapped.Before, snapped.After);
                }
                std::printf("\n");
            }
        }
    }

    // The voice's onsets (Timing/OnsetKind=voice) on the same material.
    std::printf("  %-19s", "voice");
    for (const auto& [name, material] : materials) {
        const Score s = Evaluate(material, SongOnsets(material.Song, QStringLiteral("voice")));
        std::printf("   %3d/%3d %2d %3d", s.Found, s.Known, s.InSilence, s.Extra);
    }
    if (spoken.Song.Frames() > 0) {
        const Snapped snapped = SnapTaps(spoken, SongOnsets(spoken.Song, QStringLiteral("voice")));
        std::printf("  %4.0f -> %4.0f ms", snapped.Before, snapped.After);
    }
    std::printf("\n");

    if (spoken.Song.Frames() == 0)
        return 0;
    const Snapped snapped = SnapTaps(spoken, DetectOnsets(spoken.Song));
    std::printf("\nsnapping %zu simulated taps (40 ms late, 60 ms deviation), window 60 ms, "
                "the default method\n",
                spoken.OnsetsMs.size());
    std::printf("  median error before %6.1f ms   after %6.1f ms   (goal: at least halved)\n",
                snapped.Before, snapped.After);
    std::printf("  stamps moved with no syllable start within the window: %d\n",
                snapped.MovedWithoutOnset);
    return 0;
}

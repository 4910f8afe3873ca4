// Onsets on real songs (../shared/real-songs: full mixes with hand-marked word starts, and
// Japanese singing over a drum-and-bass bed with its morae marked), per song and over each set:
// the share of true starts with a found onset within 20 and 30 ms; snapping simulated taps
// (true start + normal error, 40 ms late on average, 60 ms deviation, seed fixed) within 60 ms:
// the median error before and after and the share of taps made worse; automatic placing's median
// error where the program has placing. For the aubio detector and the voice detector, with the
// voice detector's time per 5 minutes of song.
//   tavelkor-bench-real-songs [FOLDER]            the table
//   tavelkor-bench-real-songs --sweep [FOLDER]    the voice detector's options, swept
#include "timing/OnsetSnap.h"
#include "timing/SongOnsets.h"
#include "timing/VoiceOnsets.h"

#include "timing/RealSongs.h"
#include "timing/VoiceMaterial.h"

#include <QCoreApplication>
#include <cstdio>
#include <ctime>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// The processor time of this thread: the machine is shared, its wall clock says little.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

constexpr unsigned kSeed = 7;
constexpr int kWindowMs = 60;

struct Loaded {
    RealSong Marks;
    DecodedSong Song;
};

struct Set {
    const char* Title;
    std::vector<Loaded> Songs;
};

std::vector<Set> Load(const QString& folder) {
    std::vector<Set> sets{{"full mixes (word starts)", {}}, {"Japanese singing (mora starts)", {}}};
    for (int japanese = 0; japanese < 2; ++japanese) {
        for (RealSong& marks : ListRealSongs(folder, japanese)) {
            DecodedSong song = DecodeSong(marks.Path);
            if (!song.Error.isEmpty()) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(marks.Path), qPrintable(song.Error));
                continue;
            }
            sets[size_t(japanese)].Songs.push_back({std::move(marks), std::move(song)});
        }
    }
    return sets;
}

OnsetScore Score(const std::vector<int>& starts, const std::vector<int>& found,
                 int stayMs = SnapRules().StayMs) {
    return ScoreOnsets(
        starts, found, [&](int tap) { return SnapToOnset(found, tap, kWindowMs, stayMs); }, kSeed);
}

std::vector<int> Times(const std::vector<VoiceOnset>& onsets) {
    std::vector<int> times;
    for (const VoiceOnset& onset : onsets)
        times.push_back(onset.Ms);
    return times;
}

void Row(const char* name, const OnsetScore& s, double seconds) {
    std::printf("  %-44s %5d %5.0f%% %5.0f%% %5d -> %3d ms %5.1f%%   n/a", name, s.Known,
                100 * s.Share20(), 100 * s.Share30(), OnsetScore::Median(s.Before),
                OnsetScore::Median(s.After), 100 * s.WorseShare());
    if (seconds >= 0)
        std::printf("   %5.2f s", seconds);
    std::printf("\n");
}

void Table(std::vector<Set>& sets) {
    for (int voice = 0; voice < 2; ++voice) {
        std::printf("\n%s\n", voice ? "the voice's onsets (Timing/OnsetKind=voice, the default)"
                                    : "aubio's onsets (Timing/OnsetKind=plain)");
        std::printf("  %-44s %5s %6s %6s %15s %6s %6s%s\n", "song", "marks", "20 ms", "30 ms",
                    "snapped median", "worse", "placed", voice ? "   CPU/5 min" : "");
        for (Set& set : sets) {
            std::printf(" %s\n", set.Title);
            OnsetScore all;
            for (Loaded& song : set.Songs) {
                const double started = ThreadSeconds();
                const std::vector<int> found = SongOnsets(
                    song.Song, voice ? QStringLiteral("voice") : QStringLiteral("plain"));
                const double perFive = (ThreadSeconds() - started) * 300000 /
                                       double(std::max<qint64>(song.Song.DurationMs(), 1));
                const OnsetScore s = Score(song.Marks.StartsMs, found);
                Row(qPrintable(song.Marks.Name.left(44)), s, voice ? perFive : -1);
                all.Add(s);
            }
            Row("all", all, -1);
        }
    }
    std::printf(
        "\n(goals: 20 ms at least 50%%; snapped median at most 35 ms; worse at most 5%%)\n");
}

// The spectrum options in turn; for each, the peak picking swept over the curves.
void Sweep(std::vector<Set>& sets) {
    struct Spectral {
        const char* Name;
        std::function<void(VoiceOnsetOptions&)> Set;
    };
    std::vector<Spectral> spectra{
        {"default", [](VoiceOnsetOptions&) {}},
        {"stronger", [](VoiceOnsetOptions& o) { o.KeepFirst = false; }},
        {"no centre", [](VoiceOnsetOptions& o) { o.CentreExponent = 0; }},
        {"centre^2", [](VoiceOnsetOptions& o) { o.CentreExponent = 2; }},
        {"hpss 17/17", [](VoiceOnsetOptions& o) { o.HarmonicFrames = 17; }},
        {"hpss 17/17 c100",
         [](VoiceOnsetOptions& o) { o.HarmonicFrames = 17, o.Compression = 100; }},
        {"hpss 9/9", [](VoiceOnsetOptions& o) { o.HarmonicFrames = 9, o.PercussiveBins = 9; }},
        {"band 300-3000", [](VoiceOnsetOptions& o) { o.LowHz = 300, o.HighHz = 3000; }},
        {"band 100-8000", [](VoiceOnsetOptions& o) { o.LowHz = 100, o.HighHz = 8000; }},
        {"window 23", [](VoiceOnsetOptions& o) { o.WindowMs = 23; }},
        {"lag 1", [](VoiceOnsetOptions& o) { o.FluxLagFrames = 1; }},
        {"lag 3", [](VoiceOnsetOptions& o) { o.FluxLagFrames = 3; }},
        {"compress 100", [](VoiceOnsetOptions& o) { o.Compression = 100; }},
        {"compress 10000", [](VoiceOnsetOptions& o) { o.Compression = 10000; }},
        {"hpss mask^1", [](VoiceOnsetOptions& o) { o.HarmonicFrames = 17, o.MaskPower = 1; }},
        {"hpss floor 0.3", [](VoiceOnsetOptions& o) { o.HarmonicFrames = 17, o.MaskFloor = 0.3; }},
    };
    const VoiceOverBand band = MakeVoiceOverBand(1);
    const OnsetMaterial spoken = MakeSpokenMaterial(240, 5);
    const QStringList only = QProcessEnvironment::systemEnvironment()
                                 .value(QStringLiteral("SWEEP_ONLY"))
                                 .split(u',', Qt::SkipEmptyParts);
    std::printf("%-16s %5s %4s %5s %5s | %-32s | %-32s\n", "spectrum", "thr", "gap", "stay",
                "shift", "full: rate 20ms 30ms before->after worse", "japanese: same");
    for (const Spectral& spectral : spectra) {
        if (!only.isEmpty() && !only.contains(QString::fromLatin1(spectral.Name)))
            continue;
        VoiceOnsetOptions base;
        spectral.Set(base);
        std::vector<std::vector<VoiceCurve>> curves(sets.size());
        for (size_t s = 0; s < sets.size(); ++s)
            for (Loaded& song : sets[s].Songs)
                curves[s].push_back(VoiceDetectionCurve(song.Song, base));
        const VoiceCurve bandCurve = VoiceDetectionCurve(band.Song, base);
        const VoiceCurve spokenCurve = VoiceDetectionCurve(spoken.Song, base);
        for (double threshold : {0.3, 0.5, 1.0, 2.0}) {
            for (double gap : {50.0, 100.0}) {
                for (int stay : {0, 20, 30}) {
                    for (int shift : {-10, 0}) {
                        VoiceOnsetOptions o = base;
                        o.Threshold = threshold, o.MinGapMs = gap;
                        o.ShiftMs = shift;
                        std::printf("%-16s %5.1f %4.0f %5d %5d", spectral.Name, threshold, gap,
                                    stay, shift);
                        for (size_t s = 0; s < sets.size(); ++s) {
                            OnsetScore all;
                            double found = 0, seconds = 0;
                            for (size_t i = 0; i < sets[s].Songs.size(); ++i) {
                                const std::vector<int> times =
                                    Times(PickVoiceOnsets(curves[s][i], o));
                                all.Add(Score(sets[s].Songs[i].Marks.StartsMs, times, stay));
                                found += double(times.size());
                                seconds += double(sets[s].Songs[i].Song.DurationMs()) / 1000;
                            }
                            std::printf(" | %4.1f/s %4.0f%% %4.0f%% %4d -> %3d %5.1f%%",
                                        found / seconds, 100 * all.Share20(), 100 * all.Share30(),
                                        OnsetScore::Median(all.Before),
                                        OnsetScore::Median(all.After), 100 * all.WorseShare());
                        }
                        // The generated band: notes found within 30 ms, lone drum hits taken.
                        const std::vector<int> found = Times(PickVoiceOnsets(bandCurve, o));
                        int notes = 0, drums = 0, lone = 0;
                        auto near = [](const std::vector<int>& in, int ms, int within) {
                            const auto at = std::lower_bound(in.begin(), in.end(), ms - within);
                            return at != in.end() && *at <= ms + within;
                        };
                        for (int note : band.NotesMs)
                            notes += near(found, note, 30);
                        for (int drum : band.DrumsMs) {
                            if (near(band.NotesMs, drum, 100))
                                continue;
                            ++lone;
                            drums += near(found, drum, 20);
                        }
                        std::printf(" | band %2d/%2d notes, %2d/%2d drums", notes,
                                    int(band.NotesMs.size()), drums, lone);
                        // Syllables spoken over a quiet chord: onsets found, taps snapped.
                        const OnsetScore said = Score(
                            spoken.OnsetsMs, Times(PickVoiceOnsets(spokenCurve, o)), stay);
                        std::printf(" | spoken %3.0f%% %2d -> %2d ms\n", 100 * said.Share20(),
                                    OnsetScore::Median(said.Before),
                                    OnsetScore::Median(said.After));
                        std::fflush(stdout);
                    }
                }
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool sweep = args.removeAll(QStringLiteral("--sweep")) > 0;
    const QString folder = args.isEmpty() ? RealSongsFolder() : args.first();
    if (folder.isEmpty() || !QDir(folder).exists()) {
        std::printf(
            "no real songs (../shared/real-songs beside the repository, or give a folder)\n");
        return 0;
    }
    std::vector<Set> sets = Load(folder);
    if (sweep)
        Sweep(sets);
    else
        Table(sets);
    return 0;
}

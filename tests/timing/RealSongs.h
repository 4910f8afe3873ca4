// Real songs with hand-marked starts of words (full mixes) and of morae (Japanese singing over a
// drum-and-bass bed), read from the shared folder beside the repository, and how onsets found in
// them score: the share of true starts with an onset within 20 and 30 ms, and what snapping
// simulated taps (the true start plus a normal error, 40 ms late on average, 60 ms deviation,
// fixed seed) within 60 ms does to the taps' error.
#pragma once

#include "timing/SongDecoder.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace tavelkor::test {

struct RealSong {
    QString Name;
    QString Path;
    std::vector<int> StartsMs; // sorted
};

// TAVELKOR_REAL_SONGS, else ../shared/real-songs beside the repository; empty when missing.
inline QString RealSongsFolder() {
    QString folder =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("TAVELKOR_REAL_SONGS"));
#ifdef TAVELKOR_SOURCE_DIR
    if (folder.isEmpty())
        folder = QStringLiteral(TAVELKOR_SOURCE_DIR "/../shared/real-songs");
#endif
    return QDir(folder).exists() && !folder.isEmpty() ? QDir(folder).absolutePath() : QString();
}

// The full mixes (`japanese` false: NAME.words.csv, starts in seconds) or the Japanese songs
// (japanese/NAME.morae.csv, starts in milliseconds).
inline std::vector<RealSong> ListRealSongs(const QString& folder, bool japanese) {
    std::vector<RealSong> songs;
    const QDir dir(japanese ? folder + QStringLiteral("/japanese") : folder);
    const QString suffix = japanese ? QStringLiteral(".morae.csv") : QStringLiteral(".words.csv");
    const QStringList marks =
        dir.entryList({QStringLiteral("*") + suffix}, QDir::Files, QDir::Name);
    for (const QString& file : marks) {
        QFile csv(dir.filePath(file));
        if (!csv.open(QIODevice::ReadOnly))
            continue;
        RealSong song;
        song.Name = file.chopped(suffix.size());
        song.Path = dir.filePath(song.Name + QStringLiteral(".mp3"));
        csv.readLine(); // the heading
        while (!csv.atEnd()) {
            const QList<QByteArray> cells = csv.readLine().trimmed().split(',');
            bool ok = false;
            const double start = cells.value(0).toDouble(&ok);
            if (ok)
                song.StartsMs.push_back(int(std::lround(japanese ? start : start * 1000)));
        }
        std::sort(song.StartsMs.begin(), song.StartsMs.end());
        songs.push_back(std::move(song));
    }
    return songs;
}

struct OnsetScore {
    int Known = 0;
    int Within20 = 0;
    int Within30 = 0;
    int Worse = 0;                  // taps that snapping moved further from the true start
    std::vector<int> Before, After; // absolute errors of the taps before and after snapping

    void Add(const OnsetScore& other) {
        Known += other.Known;
        Within20 += other.Within20;
        Within30 += other.Within30;
        Worse += other.Worse;
        Before.insert(Before.end(), other.Before.begin(), other.Before.end());
        After.insert(After.end(), other.After.begin(), other.After.end());
    }
    static int Median(std::vector<int> values) {
        if (values.empty())
            return 0;
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        return values[values.size() / 2];
    }
    double Share20() const { return Known ? double(Within20) / Known : 0; }
    double Share30() const { return Known ? double(Within30) / Known : 0; }
    double WorseShare() const { return Known ? double(Worse) / Known : 0; }
};

// `snap` maps a tap to where snapping puts it.
inline OnsetScore ScoreOnsets(const std::vector<int>& starts, const std::vector<int>& onsets,
                              const std::function<int(int)>& snap, unsigned seed) {
    OnsetScore score;
    // Each song draws its own errors: the seed with the song's marks.
    for (int start : starts)
        seed = seed * 31 + unsigned(start);
    std::mt19937 random(seed);
    std::normal_distribution<double> error(40, 60);
    for (int start : starts) {
        const auto after = std::lower_bound(onsets.begin(), onsets.end(), start - 20);
        score.Known += 1;
        score.Within20 += after != onsets.end() && *after <= start + 20;
        const auto wide = std::lower_bound(onsets.begin(), onsets.end(), start - 30);
        score.Within30 += wide != onsets.end() && *wide <= start + 30;
        const int tap = start + int(std::lround(error(random)));
        const int snapped = snap(tap);
        score.Before.push_back(std::abs(tap - start));
        score.After.push_back(std::abs(snapped - start));
        score.Worse += score.After.back() > score.Before.back();
    }
    return score;
}

} // namespace tavelkor::test

// The real songs of ../shared/real-songs as lines with known spans and known starts inside
// them, for measuring how well fragments are placed: the five mixes by word (each line's span
// from NAME.lines.csv, its words from NAME.words.csv), the ten Japanese songs by mora (each
// phrase from its first mora's start to its last mora's end).
#pragma once

#include "timing/LinePlacing.h"
#include "timing/MoraDistribution.h"
#include "timing/SongDecoder.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <vector>

namespace tavelkor::test {

struct KnownLine {
    int StartMs = 0, EndMs = 0;
    QVector<double> Weights; // syllables of each word, or 1 a mora
    QVector<int> StartsMs;   // the marked start of each fragment
};

struct KnownSong {
    QString Name;
    QString SongPath;
    QVector<KnownLine> Lines;
};

// The folder of the real songs beside the project (TAVELKOR_REAL_SONGS names another), or "".
inline QString RealSongsFolder(const QString& projectRoot) {
    QString folder = qEnvironmentVariable("TAVELKOR_REAL_SONGS");
    if (folder.isEmpty())
        folder = projectRoot + QStringLiteral("/../shared/real-songs");
    return QFile::exists(folder + QStringLiteral("/README.md")) ? QDir(folder).absolutePath()
                                                                 : QString();
}

inline QStringList CsvRows(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList rows = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    rows.removeFirst(); // the heading
    rows.removeAll(QString());
    return rows;
}

inline int Ms(const QString& seconds) { return int(std::lround(seconds.toDouble() * 1000)); }

// A mix: the lines of NAME.lines.csv, each holding the words NAME.words.csv gives up to the one
// with its line's end; a word weighs its syllables.
inline KnownSong LoadMix(const QString& folder, const QString& name) {
    KnownSong song{name, folder + QLatin1Char('/') + name + QStringLiteral(".mp3"), {}};
    QFile wordsFile(folder + QLatin1Char('/') + name + QStringLiteral(".words.txt"));
    if (!wordsFile.open(QIODevice::ReadOnly))
        return song;
    QStringList words = QString::fromUtf8(wordsFile.readAll()).split(QLatin1Char('\n'));
    words.removeAll(QString());
    const QStringList rows = CsvRows(folder + QLatin1Char('/') + name + QStringLiteral(".words.csv"));
    const QStringList lines = CsvRows(folder + QLatin1Char('/') + name + QStringLiteral(".lines.csv"));
    KnownLine line;
    for (int w = 0; w < rows.size() && w < words.size(); ++w) {
        const QStringList cells = rows[w].split(QLatin1Char(','));
        line.Weights.append(LatinSyllables(words[w]));
        line.StartsMs.append(Ms(cells.value(0)));
        if (cells.value(2).trimmed() != QStringLiteral("nan")) {
            const QStringList span = lines.value(song.Lines.size()).split(QLatin1Char(','));
            line.StartMs = Ms(span.value(0));
            line.EndMs = Ms(span.value(1));
            song.Lines.append(line);
            line = KnownLine();
        }
    }
    return song;
}

// A Japanese song: one line a phrase, one fragment a mora.
inline KnownSong LoadJapanese(const QString& folder, const QString& name) {
    const QString base = folder + QStringLiteral("/japanese/") + name;
    KnownSong song{name, base + QStringLiteral(".mp3"), {}};
    KnownLine line;
    for (const QString& row : CsvRows(base + QStringLiteral(".morae.csv"))) {
        const QStringList cells = row.split(QLatin1Char(','));
        if (line.StartsMs.isEmpty())
            line.StartMs = cells.value(0).toInt();
        line.Weights.append(1);
        line.StartsMs.append(cells.value(0).toInt());
        if (cells.value(3).trimmed() == QStringLiteral("yes")) {
            line.EndMs = cells.value(1).toInt();
            song.Lines.append(line);
            line = KnownLine();
        }
    }
    return song;
}

inline QVector<KnownSong> LoadRealSongs(const QString& folder) {
    QVector<KnownSong> songs;
    for (const QString& csv :
         QDir(folder).entryList({QStringLiteral("*.lines.csv")}, QDir::Files, QDir::Name))
        songs.append(LoadMix(folder, csv.chopped(QStringLiteral(".lines.csv").size())));
    for (const QString& csv : QDir(folder + QStringLiteral("/japanese"))
                                  .entryList({QStringLiteral("*.morae.csv")}, QDir::Files,
                                             QDir::Name))
        songs.append(LoadJapanese(folder, csv.chopped(QStringLiteral(".morae.csv").size())));
    return songs;
}

// The errors of every start after a line's first (which is given), in ms.
struct PlacingErrors {
    std::vector<double> Placed, Even;
};

inline void MeasurePlacing(const DecodedSong& audio, const KnownSong& song, PlacingErrors& errors,
                           const PlacingOptions& options = {}) {
    for (const KnownLine& line : song.Lines) {
        if (line.EndMs <= line.StartMs)
            continue;
        const QVector<int> placed =
            PlaceFragmentsOnSong(audio, line.Weights, line.StartMs, line.EndMs, options);
        const QVector<int> even =
            SpreadStarts(QVector<double>(line.Weights.size(), 1), line.StartMs, line.EndMs);
        for (int k = 1; k < line.StartsMs.size(); ++k) {
            errors.Placed.push_back(std::abs(placed[k] - line.StartsMs[k]));
            errors.Even.push_back(std::abs(even[k] - line.StartsMs[k]));
        }
    }
}

inline double MedianOf(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

} // namespace tavelkor::test

// Placing words inside known lines on the real songs of ../shared/real-songs: the median error
// of each start after a line's first, per song and over each set, placed on the voice against
// spread evenly by word or mora (as when nothing is known of the song). Goal: at most 100 ms
// over the five mixes and over the ten Japanese songs.
//   tavelkor-bench-place [REAL-SONGS-FOLDER]
#include "timing/RealSongLines.h"

#include <QCoreApplication>
#include <cstdio>

using namespace tavelkor;
using namespace tavelkor::test;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : RealSongsFolder(QStringLiteral(TAVELKOR_SOURCE_DIR));
    if (folder.isEmpty()) {
        std::fprintf(stderr, "no real songs (../shared/real-songs or TAVELKOR_REAL_SONGS)\n");
        return 1;
    }
    PlacingErrors mixes, japanese;
    std::printf("%-44s %6s %9s %9s\n", "song", "starts", "placed", "even");
    for (const KnownSong& song : LoadRealSongs(folder)) {
        const DecodedSong audio = DecodeSong(song.SongPath);
        if (!audio.Error.isEmpty()) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(song.Name), qPrintable(audio.Error));
            return 1;
        }
        PlacingErrors own;
        MeasurePlacing(audio, song, own);
        PlacingErrors& set = song.Name.startsWith(QStringLiteral("pjs")) ? japanese : mixes;
        set.Placed.insert(set.Placed.end(), own.Placed.begin(), own.Placed.end());
        set.Even.insert(set.Even.end(), own.Even.begin(), own.Even.end());
        std::printf("%-44s %6zu %6.0f ms %6.0f ms\n", qPrintable(song.Name), own.Placed.size(),
                    MedianOf(own.Placed), MedianOf(own.Even));
        std::fflush(stdout);
    }
    std::printf("%-44s %6zu %6.0f ms %6.0f ms\n", "five mixes, by word", mixes.Placed.size(),
                MedianOf(mixes.Placed), MedianOf(mixes.Even));
    std::printf("%-44s %6zu %6.0f ms %6.0f ms\n", "ten Japanese songs, by mora",
                japanese.Placed.size(), MedianOf(japanese.Placed), MedianOf(japanese.Even));
    return 0;
}

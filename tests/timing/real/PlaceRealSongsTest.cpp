// Placing on the real songs of ../shared/real-songs (a program of its own: decoding the
// songs takes a while on a loaded machine).
#include "timing/RealSongLines.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// The median start error over the real songs, against the level measured when the placing was
// made (bench/real-songs-place) with a little margin, and always better than even spacing.
TEST(LinePlacing, RealSongsKeepTheMeasuredLevel) {
    const QString folder = RealSongsFolder(QStringLiteral(TAVELKOR_SOURCE_DIR));
    if (folder.isEmpty()) {
        if (qEnvironmentVariable("CI") == u"true")
            FAIL() << "../shared/real-songs is missing";
        GTEST_SKIP() << "../shared/real-songs is missing";
    }
    PlacingErrors mixes, japanese;
    for (const KnownSong& song : LoadRealSongs(folder)) {
        const DecodedSong audio = DecodeSong(song.SongPath);
        ASSERT_TRUE(audio.Error.isEmpty()) << qPrintable(audio.Error);
        MeasurePlacing(audio, song, song.Name.startsWith(u"pjs") ? japanese : mixes);
    }
    ASSERT_GT(mixes.Placed.size(), 1000u);
    ASSERT_GT(japanese.Placed.size(), 350u);
    EXPECT_LE(MedianOf(mixes.Placed), 175);
    EXPECT_LE(MedianOf(japanese.Placed), 175);
    EXPECT_LT(MedianOf(mixes.Placed), MedianOf(mixes.Even) - 50);
    EXPECT_LT(MedianOf(japanese.Placed), MedianOf(japanese.Even) - 40);
}

} // namespace

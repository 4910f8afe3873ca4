// Modes 4 and 5 with the ID3v2 lyrics frames: SYLT times are the real times the SAMI writer
// gives, generated documents come back through SYLT with every fragment's text and time, mode 5
// chooses between a Lyrics3 block and the frames as M2T/PreferSylt says and deletes only what
// it saved, and with T2M/Id3v2Lyrics off a song changes exactly as before.
#include "app/BatchState.h"
#include "app/ResultCodes.h"
#include "audio/SongFileBuilders.h"
#include "audio/SongLyrics.h"
#include "base/Cp932.h"
#include "lyrics/TimeValues.h"
#include "modes/ModeTable.h"
#include "settings/Settings.h"

#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

class Id3LyricsModesTest : public ::testing::Test {
protected:
    short Run(int mode, const QString& file) {
        BatchState state;
        state.DroppedFiles = {file};
        EXPECT_TRUE(RunMode(mode, state, settings));
        return state.Results.value(0).Code;
    }
    TestFolder folder;
    Settings settings;
};

const QByteArray Song = Id3Tag(3, 0, Id3Frame(3, "TIT2", "\0title"), 256) + Frames(3);

// The SAMI writer's start times and the SYLT times of the same lyrics: the document's ratio,
// offset and time inversions are handled alike.
TEST_F(Id3LyricsModesTest, SyltTimesAreTheRealTimesOfTheSamiWriter) {
    const QString lyrics = folder.Put(
        "song.txt",
        EncodeCp932(U("[00:01:00]か[00:01:37]ら[00:01:99]\r\n[00:02:50]お\r\n"
                      "[00:02:40]け[00:03:33]\r\n@TimeRatio=0.9953125\r\n@Offset=120\r\n")));
    folder.Put("song.mp3", Song);
    ASSERT_EQ(Run(ModeTimeTagToSami, lyrics), Converted);
    QVector<qint64> sami;
    static const QRegularExpression sync(QStringLiteral("<SYNC Start=(\\d+)>"));
    for (auto it = sync.globalMatch(QString::fromLatin1(ReadBytes(folder.File("song.smi"))));
         it.hasNext();)
        sami.append(it.next().captured(1).toLongLong());
    ASSERT_EQ(sami.size(), 5);
    ASSERT_EQ(Run(ModeTimeTagToMp3, lyrics), Converted);
    QVector<qint64> sylt;
    for (const SyncedLyric& entry : ReadSongId3Lyrics(folder.File("song.mp3"), "jpn").Synced)
        sylt.append(entry.TimeMs);
    // SAMI shows a step only when it starts later than the one before.
    sylt.erase(std::unique(sylt.begin(), sylt.end()), sylt.end());
    EXPECT_EQ(sylt, sami);
}

// Generated karaoke documents with a ratio and an offset go in with mode 4 and come back out of
// mode 5 through SYLT: every fragment keeps its text, and its time once the real-time
// conversion is undone; mode 5 writes those real times as TimeTag holds them.
TEST_F(Id3LyricsModesTest, GeneratedDocumentsComeBackThroughSylt) {
    const QString characters =
        U("あいうえおかきくけこアイウエオー漢字歌詞愛夢空abcXYZ0189!?,.・～、。");
    const double ratios[] = {1, 0.9953125, 0.5, 0.987654321};
    settings.M2T.PreferSylt = true;
    settings.M2T.ExtNew = 1; // lrc
    for (int seed = 1; seed <= 60; ++seed) {
        std::mt19937 random{unsigned(seed)};
        const auto between = [&](int low, int high) {
            return std::uniform_int_distribution(low, high)(random);
        };
        const double ratio = ratios[between(0, 3)];
        const int offset = between(0, 1) * between(1, 5000);
        struct Fragment {
            int TagMs;
            QString Text;
        };
        QVector<QVector<Fragment>> lines(between(1, 8));
        QString text;
        int ms = between(0, 300) * 10;
        for (QVector<Fragment>& line : lines) {
            for (int f = between(1, 6); f > 0; --f) {
                QString piece;
                for (int c = between(f == 1 ? 0 : 1, 5); c > 0; --c)
                    piece += characters[between(0, int(characters.size()) - 1)];
                line.append({ms, piece});
                text += MsToTag(ms) + piece;
                ms += between(1, 300) * 10;
            }
            text += QStringLiteral("\r\n");
        }
        text +=
            QStringLiteral("@TimeRatio=%1\r\n@Offset=%2\r\n").arg(ratio, 0, 'g', 15).arg(offset);
        SCOPED_TRACE(text.toStdString());
        const QString lyrics = folder.Put("song.txt", EncodeCp932(text));
        const QString song = folder.Put("song.mp3", Song);
        ASSERT_EQ(Run(ModeTimeTagToMp3, lyrics), Converted);

        const SyncedLyrics entries = ReadSongId3Lyrics(song, "jpn").Synced;
        QString expected;
        qsizetype e = 0;
        for (const QVector<Fragment>& line : lines) {
            for (qsizetype f = 0; f < line.size(); ++f, ++e) {
                ASSERT_LT(e, entries.size());
                const QString lineFeed = f == 0 && e > 0 ? QStringLiteral("\n") : QString();
                EXPECT_EQ(entries[e].Text, lineFeed + line[f].Text);
                EXPECT_EQ(std::llround(double(entries[e].TimeMs - offset) * ratio), line[f].TagMs);
                expected += MsToTag(int(entries[e].TimeMs)) + line[f].Text;
            }
            expected += QStringLiteral("\r\n");
        }
        EXPECT_EQ(e, entries.size());
        ASSERT_EQ(Run(ModeMp3ToTimeTag, song), Converted);
        EXPECT_EQ(DecodeCp932(ReadBytes(folder.File("song.lrc"))),
                  expected + QStringLiteral("\r\n@TimeRatio=1\r\n"));
    }
}

// A song with a Lyrics3 block and both frames: the block wins unless a SYLT frame is preferred,
// and deleting after saving removes only what was saved.
// A reading ("@Ruby" line) goes into the Lyrics3 block with the file and comes back from it;
// SYLT and USLT hold no "@" line.
TEST_F(Id3LyricsModesTest, ModeFiveChoosesAndDeletesOnlyWhatItSaved) {
    const QString lyrics =
        folder.Put("song.txt", "[00:01:00]new\r\n@TimeRatio=1\r\n@Ruby1=new,nyu\r\n");
    const QString song = folder.Put("song.mp3", Song);
    ASSERT_EQ(Run(ModeTimeTagToMp3, lyrics), Converted);
    settings.M2T.ExtNew = 2; // kra
    settings.M2T.DeleteL3 = true;
    const QString output = folder.File("song.kra");
    const struct {
        bool preferSylt;
        QByteArray text;
        bool lyrics3, sylt, uslt; // what is left after
    } steps[] = {
        {true, "[00:01:00]new\r\n\r\n@TimeRatio=1\r\n", true, false, true},
        {true, "[00:01:00]new\r\n@TimeRatio=1\r\n@Ruby1=new,nyu\r\n", false, false, true},
        {false, "new\r\n", false, false, false},
    };
    for (const auto& step : steps) {
        settings.M2T.PreferSylt = step.preferSylt;
        ASSERT_EQ(Run(ModeMp3ToTimeTag, song), Converted);
        EXPECT_EQ(ReadBytes(output), step.text);
        const FoundId3Lyrics frames = ReadSongId3Lyrics(song, "jpn");
        EXPECT_EQ((vbmp3_getFileType(song) & AudioHasLyrics) != 0, step.lyrics3);
        EXPECT_EQ(frames.HasSynced, step.sylt);
        EXPECT_EQ(frames.HasUnsynced, step.uslt);
    }
    EXPECT_EQ(Run(ModeMp3ToTimeTag, song), NoEmbeddedLyrics);
    // The Lyrics3 block goes first without preference; a second embedding replaces the frames.
    ASSERT_EQ(Run(ModeTimeTagToMp3, lyrics), Converted);
    ASSERT_EQ(Run(ModeTimeTagToMp3, lyrics), Converted);
    settings.M2T.PreferSylt = false;
    ASSERT_EQ(Run(ModeMp3ToTimeTag, song), Converted);
    EXPECT_EQ(ReadBytes(output), "[00:01:00]new\r\n@TimeRatio=1\r\n@Ruby1=new,nyu\r\n");
    EXPECT_TRUE(ReadSongId3Lyrics(song, "jpn").HasSynced);
}

TEST_F(Id3LyricsModesTest, WithTheFramesSwitchedOffASongChangesAsBefore) {
    const QByteArray text = "[00:01:00]a\r\n";
    const QString lyrics = folder.Put("song.txt", text);
    const QString song = folder.Put("song.mp3", Song);
    const QString before = folder.Put("before.mp3", Song);
    settings.T2M.Id3v2Lyrics = false;
    ASSERT_EQ(Run(ModeTimeTagToMp3, lyrics), Converted);
    ASSERT_EQ(Embed(before, text), 1);
    EXPECT_EQ(ReadBytes(song), ReadBytes(before));
    // A language a frame cannot carry refuses the embedding and leaves the song.
    settings.T2M.Id3v2Lyrics = true;
    settings.T2M.Id3v2Language = U("日本");
    const QByteArray unchanged = ReadBytes(song);
    EXPECT_EQ(Run(ModeTimeTagToMp3, lyrics), EmbedError);
    EXPECT_EQ(ReadBytes(song), unchanged);
}

} // namespace

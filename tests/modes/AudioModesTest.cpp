// The embedding, extraction and TimeTag-to-TimeTag modes with real songs beside the lyrics.
#include "app/BatchState.h"
#include "app/ResultCodes.h"
#include "audio/Vbmp3.h"
#include "lyrics/TimeValues.h"
#include "modes/ModeTable.h"
#include "settings/Settings.h"

#include "TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

QByteArray Fixture(const char* name) {
    return ReadBytes(QStringLiteral(TAVELKOR_TEST_FIXTURES) + u'/' + QString::fromUtf8(name));
}

class AudioModesTest : public ::testing::Test {
protected:
    TestFolder folder;
    Settings settings;
    BatchState state;

    QString Put(const char* name, const QByteArray& bytes) { return folder.Put(name, bytes); }
    void Run(int mode, const QStringList& files) {
        state.DroppedFiles = files;
        ASSERT_TRUE(RunMode(mode, state, settings));
    }
};

// Lyrics with CP932 text and a byte CP932 does not define: they come back byte for byte.
const QByteArray Lyrics = "[00:01:00]\x89\xcc\x8e\x8c\xa0x\r\n[00:02:00]two\r\n";

// With the ID3v2 frames switched off, the song changes exactly as the Lyrics3 block alone
// changes it.
TEST_F(AudioModesTest, LyricsGoInAndComeBackOutByteForByte) {
    settings.T2M.Id3v2Lyrics = false;
    const QString lyrics = Put("song.txt", Lyrics);
    const QString song = Put("song.mp3", Fixture("lyrics-tone.mp3"));
    Run(ModeTimeTagToMp3, {lyrics});
    ASSERT_EQ(state.Results.size(), 1);
    EXPECT_EQ(state.Results[0].Code, Converted);
    EXPECT_EQ(state.Results[0].FileName, lyrics);

    settings.M2T.ExtNew = 1; // lrc, so the lyrics file itself is not replaced
    settings.M2T.DeleteL3 = true;
    Run(ModeMp3ToTimeTag, {song});
    EXPECT_EQ(state.Results[0].Code, Converted);
    EXPECT_EQ(ReadBytes(folder.File("song.lrc")), Lyrics);
    EXPECT_EQ(ReadBytes(song), Fixture("lyrics-tone.mp3") + ReadBytes(song).right(128))
        << "deleting removes the block and nothing else (an ID3v1 tag was added)";

    Run(ModeMp3ToTimeTag, {song});
    EXPECT_EQ(state.Results[0].Code, NoEmbeddedLyrics);
}

TEST_F(AudioModesTest, Utf8LyricsAreStoredAsCp932AndUtf8StoredByOthersComesOutAsUtf8) {
    const QString lyrics =
        Put("song.txt", QByteArray("\xef\xbb\xbf") + U("[00:01:00]歌😀\r\n").toUtf8());
    const QString song = Put("song.mp3", Fixture("lyrics-tone.mp3"));
    Run(ModeTimeTagToMp3, {lyrics});
    EXPECT_EQ(state.Results[0].Code, Converted);
    EXPECT_EQ(state.Results[0].Replaced, 1);
    settings.M2T.ExtNew = 1;
    Run(ModeMp3ToTimeTag, {song});
    EXPECT_EQ(ReadBytes(folder.File("song.lrc")), QByteArray("[00:01:00]\x89\xcc?\r\n"));
    EXPECT_EQ(state.Results[0].EncodingReason, QStringLiteral("CP932 by default"));

    // UTF-8 lyrics another tool stored come out as UTF-8, or in the encoding the user chose.
    const QString other = Put("other.mp3", Fixture("lyrics-tone.mp3"));
    Lyrics3InfoRecord info;
    QByteArray text = U("[00:01:00]歌😀").toUtf8();
    text.append(LyricsBufferBytes - text.size(), ' ');
    const QByteArray empty(LyricsBufferBytes, '\0');
    ASSERT_NE(vbmp3_setFileLyrics3InfoVB(other, info, text, empty, empty), 0);
    Run(ModeMp3ToTimeTag, {other});
    EXPECT_EQ(ReadBytes(folder.File("other.lrc")), U("[00:01:00]歌😀\r\n").toUtf8());
    settings.Init.OutputEncoding = OutputEncodingChoice::Utf8Bom;
    Run(ModeMp3ToTimeTag, {other});
    EXPECT_EQ(ReadBytes(folder.File("other.lrc")),
              QByteArray("\xef\xbb\xbf") + U("[00:01:00]歌😀\r\n").toUtf8());
}

TEST_F(AudioModesTest, TheMp3WinsOverTheRmpAndAFileWithoutSongIsReported) {
    const QString lyrics = Put("a.b.txt", Lyrics);
    Put("a.b.mp3", Fixture("lyrics-tone.mp3"));
    const QByteArray rmp = "RIFF\x04\x00\x00\x00RMP3";
    const QString other = Put("a.b.rmp", rmp);
    const QString alone = Put("alone.txt", Lyrics);
    Run(ModeTimeTagToMp3, {lyrics, alone});
    EXPECT_EQ(state.Results[0].Code, Converted);
    EXPECT_EQ(ReadBytes(other), rmp);
    EXPECT_EQ(state.Results[1].Code, NoAudioFile);
}

TEST_F(AudioModesTest, LyricsThatCannotGoInGetTheirCodes) {
    Put("big.mp3", Fixture("lyrics-tone.mp3"));
    Put("exact.mp3", Fixture("lyrics-tone.mp3"));
    Put("empty.mp3", Fixture("lyrics-tone.mp3"));
    Put("sami.mp3", Fixture("lyrics-tone.mp3"));
    const QString noise = Put("noise.mp3", QByteArray(5000, 'x'));
    QByteArray exact = "[00:01:00]";
    exact += QByteArray(60000 - exact.size(), 'a');
    const QStringList files = {
        Put("big.txt", exact + "b"), Put("exact.txt", exact), Put("empty.txt", ""),
        Put("sami.txt", "<SAMI><SYNC Start=1000>x</SAMI>"), Put("noise.txt", Lyrics)};
    Run(ModeTimeTagToMp3, files);
    ASSERT_EQ(state.Results.size(), 5);
    EXPECT_EQ(state.Results[0].Code, LyricsSizeError);
    EXPECT_EQ(state.Results[1].Code, Converted);
    EXPECT_EQ(state.Results[2].Code, EmptyFile);
    EXPECT_EQ(state.Results[3].Code, NotEmbeddable);
    EXPECT_EQ(state.Results[3].FileName, files[3]); // the lyrics were refused
    EXPECT_EQ(state.Results[4].Code, NotEmbeddable);
    EXPECT_EQ(state.Results[4].FileName, noise); // the song was refused
    EXPECT_EQ(ReadBytes(noise), QByteArray(5000, 'x'));
    EXPECT_EQ(ReadBytes(folder.File("big.mp3")), Fixture("lyrics-tone.mp3"));
}

TEST_F(AudioModesTest, ExtractionKeepsTheSongWhenTheTextCannotBeSaved) {
    const QString song = Put("song.MP3", Fixture("lyrics-tone.mp3"));
    Put("song.txt", Lyrics);
    Run(ModeTimeTagToMp3, {folder.File("song.txt")});
    ASSERT_EQ(state.Results[0].Code, NoAudioFile); // ".MP3" is not the companion ".mp3"
    QFile::rename(song, folder.File("song.mp3"));
    Run(ModeTimeTagToMp3, {folder.File("song.txt")});
    ASSERT_EQ(state.Results[0].Code, Converted);
    QFile::rename(folder.File("song.mp3"), song);
    const QByteArray embedded = ReadBytes(song);

    settings.M2T.DeleteL3 = true;
    settings.Init.OverWrite = false; // song.txt is there
    Run(ModeMp3ToTimeTag, {song, Put("plain.mp3", Fixture("lyrics-tone.mp3"))});
    EXPECT_EQ(state.Results[0].Code, NotOverwritten);
    EXPECT_EQ(state.Results[1].Code, NoEmbeddedLyrics);
    EXPECT_EQ(ReadBytes(song), embedded);

    settings.Init.SameFolder = false;
    settings.Init.AnotherFolder = folder.File("missing");
    Run(ModeMp3ToTimeTag, {song});
    EXPECT_EQ(state.Results[0].Code, SaveError);
    EXPECT_EQ(ReadBytes(song), embedded);
}

TEST_F(AudioModesTest, TimeTagToTimeTagTakesSilenceAndTagsFromTheSong) {
    // The song starts with 1.0 s of digital silence and carries an ID3v2 title.
    Put("song.mp3", Fixture("silence1000-cbr32-id3.mp3"));
    const QString lyrics = Put("song.txt", "[00:02:00]a\r\n");
    settings.T2T.CorrectAdd = true;
    settings.T2T.AtArtist = 2;
    settings.T2T.ExtNew = 1;
    Run(ModeTimeTagToTimeTag, {lyrics});
    EXPECT_EQ(state.Results[0].Code, Converted);
    const QByteArray out = ReadBytes(folder.File("song.lrc"));
    EXPECT_TRUE(out.contains("@Title=Tavelkor silence\r\n")) << out.toStdString();
    const qsizetype at = out.indexOf("@SilencemSec=");
    ASSERT_GE(at, 0) << out.toStdString();
    const int silence = out.mid(at + 13, out.indexOf('\r', at) - at - 13).toInt();
    EXPECT_NEAR(silence, 1000, 27) << "within one frame of the silence the song was made with";

    // Converting moves the times from that silence to the song's.
    settings.T2T.CorrectAdd = false;
    settings.T2T.CorrectTrans = true;
    settings.T2T.TimeRatio[2] = 1;
    Put("song.txt", "[00:02:00]a\r\n@TimeRatio=1\r\n@SilencemSec=0\r\n");
    Run(ModeTimeTagToTimeTag, {lyrics});
    const QByteArray moved = ReadBytes(folder.File("song.lrc"));
    EXPECT_TRUE(moved.startsWith(MsToTag(2000 + silence).toLatin1() + "a\r\n"))
        << moved.toStdString();
    EXPECT_TRUE(moved.contains(QStringLiteral("@SilencemSec=%1\r\n").arg(silence).toLatin1()));
}

} // namespace

// Cases where the library or the modes once lost or damaged a user's file.
#include "SongFileBuilders.h"
#include "app/BatchState.h"
#include "app/ResultCodes.h"
#include "audio/Vbmp3.h"
#include "modes/ModeTable.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

class ReviewedCasesTest : public ::testing::Test {
protected:
    TestFolder folder;
    Settings settings;
    BatchState state;
};

TEST_F(ReviewedCasesTest, AnRmpWhoseLastChunkLacksItsPadByteStaysValid) {
    // A data chunk of odd length without the pad byte RIFF asks for, and no LIST chunk.
    QByteArray mp3 = Frames(3);
    if (mp3.size() % 2 == 0)
        mp3 += Frame().left(1); // a stray byte after the frames
    ASSERT_EQ(mp3.size() % 2, 1);
    const QByteArray body = "RMP3" + QByteArray("data") + Le32(quint32(mp3.size())) + mp3;
    const QString path = folder.File("song.rmp");
    ASSERT_TRUE(WriteBytes(path, "RIFF" + Le32(quint32(body.size())) + body));
    ASSERT_EQ(vbmp3_getFileType(path), AudioRmp);
    ASSERT_EQ(Embed(path, "[00:01:00]a\r\n"), 1);
    EXPECT_EQ(vbmp3_getFileType(path), AudioRmp | AudioHasLyrics);
    EXPECT_EQ(Extract(path), "[00:01:00]a\r\n");
    EXPECT_EQ(ReadBytes(path).mid(20, mp3.size()), mp3);
    EXPECT_EQ(vbmp3_delFileLyrics3Info(path), 1);
    EXPECT_EQ(vbmp3_getFileType(path), AudioRmp);
}

TEST_F(ReviewedCasesTest, LyricsOrAnApeTagHoldingTagPlusWhereAnExtendedTagWouldBeginStayWhole) {
    // The lyrics block is 44 bytes longer than its text and ends right before the 128-byte
    // ID3v1 tag; "TAG+" 227 bytes before that tag would read as an extended tag.
    QByteArray lyrics(300, 'a');
    lyrics.replace(300 - 212, 4, "TAG+");
    const QString path = folder.File("song.mp3");
    ASSERT_TRUE(WriteBytes(path, Frames(2) + Id3v1Tag("t")));
    ASSERT_EQ(Embed(path, lyrics), 1);
    ASSERT_EQ(ReadBytes(path).right(128 + 227).left(4), "TAG+");
    EXPECT_EQ(vbmp3_getFileType(path), AudioHasLyrics);
    EXPECT_EQ(Extract(path), lyrics);
    EXPECT_EQ(vbmp3_delFileLyrics3Info(path), 1);
    EXPECT_EQ(ReadBytes(path), Frames(2) + Id3v1Tag("t"));

    // The same in an APE tag that ends right before the ID3v1 tag: the tag stays whole.
    QByteArray value(300, 'v');
    value.replace(300 - 195, 4, "TAG+");
    const QByteArray ape = ApeTag("Title", value, false);
    ASSERT_TRUE(WriteBytes(path, Frames(2) + ape + Id3v1Tag("t")));
    ASSERT_EQ(ReadBytes(path).right(128 + 227).left(4), "TAG+");
    ASSERT_EQ(Embed(path, "[00:01:00]a"), 1);
    EXPECT_TRUE(ReadBytes(path).startsWith(Frames(2) + ape + "LYRICSBEGIN"));
    EXPECT_EQ(Extract(path), "[00:01:00]a");
}

TEST_F(ReviewedCasesTest, ASongIsNotChangedIntoWhatReadsAsAMacBinaryWrapper) {
    // A song that starts with 128 bytes shaped like an unsigned MacBinary header, whose data
    // fork length matches the size the song would have with the lyrics in it.
    const QByteArray lyrics = "[00:01:00]a\r\n";
    const qint64 blockLength = 44 + lyrics.size();
    QByteArray header(128, '\0');
    header[1] = 8;
    header.replace(2, 8, "song.mp3");
    header[125] = 1; // no signature, no matching CRC
    const QByteArray song = Frames(2) + Id3v1Tag("t");
    header.replace(83, 4, Be32(quint32(song.size() + blockLength)));
    const QString path = folder.File("song.mp3");
    ASSERT_TRUE(WriteBytes(path, header + song));
    ASSERT_EQ(vbmp3_getFileType(path), 0);

    EXPECT_EQ(Embed(path, lyrics), 0);
    EXPECT_EQ(ReadBytes(path), header + song);
    EXPECT_EQ(vbmp3_getFileType(path), 0);
    // Lyrics of another length go in, and the song keeps being read as one.
    ASSERT_EQ(Embed(path, lyrics + "b"), 1);
    EXPECT_EQ(vbmp3_getFileType(path), AudioHasLyrics);
    EXPECT_EQ(Extract(path), lyrics + "b");
}

TEST_F(ReviewedCasesTest, LyricsLongerThanTheBufferAreNotDeletedAfterExtraction) {
    const QByteArray lyrics(70000, 'a');
    const QString song = folder.File("song.mp3");
    const QByteArray bytes =
        Frames(4) + Lyrics3v2({{"IND", "11"}, {"LYR", lyrics}}) + Id3v1Tag("t");
    ASSERT_TRUE(WriteBytes(song, bytes));
    settings.M2T.DeleteL3 = true;
    settings.M2T.ExtNew = 1;
    state.DroppedFiles = {song};
    ASSERT_TRUE(RunMode(ModeMp3ToTimeTag, state, settings));
    EXPECT_EQ(state.Results[0].Code, DeleteLyricsError);
    EXPECT_EQ(ReadBytes(folder.File("song.lrc")), QByteArray(60000, 'a') + "\r\n");
    EXPECT_EQ(ReadBytes(song), bytes);
}

TEST_F(ReviewedCasesTest, ASongFileThatCannotBeReadGivesNoSilence) {
    ASSERT_TRUE(WriteBytes(folder.File("song.mp3"), "not an mp3 at all"));
    const QString lyrics = folder.File("song.txt");
    ASSERT_TRUE(WriteBytes(lyrics, "[00:01:00]a\r\n@TimeRatio=1\r\n@SilencemSec=500\r\n"));
    settings.T2T.CorrectTrans = true;
    settings.T2T.TimeRatio[2] = 1;
    settings.T2T.ExtNew = 1;
    state.DroppedFiles = {lyrics};
    ASSERT_TRUE(RunMode(ModeTimeTagToTimeTag, state, settings));
    EXPECT_EQ(state.Results[0].Code, Converted);
    EXPECT_EQ(ReadBytes(folder.File("song.lrc")),
              "[00:01:00]a\r\n\r\n@TimeRatio=1\r\n@SilencemSec=500\r\n");
}

TEST_F(ReviewedCasesTest, AnOutputThatIsALinkToAnotherSourceKeepsTheOrder) {
    // a.lrc links to b.txt: a's output replaces b's source before b is read.
    const QString a = folder.File("a.txt");
    const QString b = folder.File("b.txt");
    settings.T2T.ExtNew = 1;
    for (int round = 0; round < 10; ++round) {
        ASSERT_TRUE(WriteBytes(a, "[00:01:00]from a\r\n"));
        ASSERT_TRUE(WriteBytes(b, "[00:02:00]from b\r\n"));
        QFile::remove(folder.File("a.lrc"));
        ASSERT_EQ(::symlink("b.txt", QFile::encodeName(folder.File("a.lrc")).constData()), 0);
        state.DroppedFiles = {a, b};
        ASSERT_TRUE(RunMode(ModeTimeTagToTimeTag, state, settings));
        EXPECT_TRUE(ReadBytes(folder.File("b.lrc")).contains("from a"));
    }
}

} // namespace

#include "app/BatchState.h"
#include "app/ResultCodes.h"
#include "modes/ModeTable.h"
#include "settings/Settings.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

class TimeTagModeTest : public ::testing::Test {
protected:
    TestFolder folder;
    Settings settings;
    BatchState state;

    // Runs mode 6 on one file written with `input` and gives its output (song.lrc).
    QByteArray Convert(const QByteArray& input, short expected = Converted) {
        const QString source = folder.File("song.txt");
        EXPECT_TRUE(WriteBytes(source, input));
        settings.T2T.ExtNew = 1; // lrc
        state.DroppedFiles = {source};
        EXPECT_TRUE(RunMode(ModeTimeTagToTimeTag, state, settings));
        EXPECT_EQ(state.Results.size(), 1);
        if (!state.Results.isEmpty())
            EXPECT_EQ(state.Results[0].Code, expected);
        return ReadBytes(folder.File("song.lrc"));
    }
};

TEST_F(TimeTagModeTest, WithEveryOptionOffTheFileIsStillRewritten) {
    EXPECT_EQ(Convert("@Title=T\r\n@Unknown=1\r\nx[00:01:00]y\r\n[00:02:00]z\r\n"),
              "[00:01:00]xy\r\n[00:02:00]z\r\n\r\n@Title=T\r\n");
}

TEST_F(TimeTagModeTest, ShortTagsAndLineOrderFollowTheirOptions) {
    settings.T2T.Normalize = true;
    EXPECT_EQ(Convert("[00:30][01:10]chorus\r\n[00:50:00]verse\r\n"),
              "[00:30:00]chorus\r\n[00:50:00]verse\r\n[01:10:00]chorus\r\n");
    settings.T2T.mSec = false;
    settings.T2T.Normalize = false;
    EXPECT_EQ(Convert("[00:30]a\r\n"), "[00:30]a\r\n");
}

TEST_F(TimeTagModeTest, KaraokeReshapingRunsInItsFixedOrder) {
    settings.T2T.KaraokeNise = true;
    EXPECT_EQ(Convert("[00:01:00]ka[00:01:50]ra\r\n"), "[00:01:00]ka\r\n[00:01:50]kara\r\n");
    settings.T2T.KaraokeNise = false;
    settings.T2T.KaraokeNormalize = true;
    EXPECT_EQ(Convert("[00:05:00]a[00:04:00]b\r\n[00:06:00]c\r\n"),
              "[00:04:00]a[00:04:00]b\r\n[00:06:00]c\r\n");
    // Line-head tags first, then the repair: the repair sees single-tag lines.
    settings.T2T.KaraokeLineTop = true;
    EXPECT_EQ(Convert("[00:05:00]a[00:04:00]b\r\n[00:03:00]c\r\n"),
              "[00:03:00]ab\r\n[00:03:00]c\r\n");
}

TEST_F(TimeTagModeTest, AddingCorrectionDataKeepsTheTimes) {
    settings.T2T.CorrectAdd = true;
    settings.T2T.CorrectTrans = true; // adding wins
    settings.T2T.TimeRatio[0] = 0.5;
    settings.T2T.Name = QStringLiteral("me");
    EXPECT_EQ(Convert("artist: Singer\r\ntitle: Song\r\n[00:01:00]a\r\n@TimeRatio=1\r\n"
                      "@EditedBy=old\r\n"),
              "artist: Singer\r\ntitle: Song\r\n[00:01:00]a\r\n\r\n@Artist=Singer\r\n"
              "@Title=Song\r\n@TimeRatio=0.5\r\n@TaggingBy=me\r\n");
    settings.T2T.AtArtist = 0;
    EXPECT_EQ(Convert("@Artist=A\r\n@TaggingBy=other\r\n@EditedBy=x\r\n[00:01:00]a\r\n"),
              "[00:01:00]a\r\n\r\n@TimeRatio=0.5\r\n@TaggingBy=other\r\n@EditedBy=x\r\n");
}

TEST_F(TimeTagModeTest, ConvertingByTheCorrectionDataFoldsTheOffset) {
    settings.T2T.CorrectTrans = true;
    settings.T2T.TimeRatio[2] = 1;
    settings.T2T.Name = QStringLiteral("me");
    EXPECT_EQ(Convert("[00:01:00]a\r\n@TimeRatio=1\r\n@Offset=-500\r\n@TaggingBy=you\r\n"),
              "[00:00:50]a\r\n\r\n@TimeRatio=1\r\n@TaggingBy=you\r\n@EditedBy=me\r\n");
    // A file without a ratio takes the assumed one and is converted to the target.
    settings.T2T.TimeRatio[1] = 0.5;
    EXPECT_EQ(Convert("[00:01:00]a\r\n"), "[00:02:00]a\r\n\r\n@TimeRatio=1\r\n@TaggingBy=me\r\n");
}

TEST_F(TimeTagModeTest, ATargetRatioOutsideZeroToOneReadsOneAfterTheRun) {
    settings.T2T.CorrectTrans = true;
    settings.T2T.TimeRatio[2] = 1.5;
    EXPECT_EQ(Convert("[00:01:00]a\r\n@TimeRatio=1\r\n"), "[00:01:00]a\r\n\r\n@TimeRatio=1\r\n");
    EXPECT_EQ(settings.T2T.TimeRatio[2], 1.0);
}

TEST_F(TimeTagModeTest, SameExtensionBesideTheSourceRewritesTheSource) {
    const QString source = folder.File("song.txt");
    ASSERT_TRUE(WriteBytes(source, "@Title=T\r\n[00:01:00]a\r\n"));
    state.DroppedFiles = {source};
    ASSERT_TRUE(RunMode(ModeTimeTagToTimeTag, state, settings));
    EXPECT_EQ(state.Results[0].Code, Converted);
    EXPECT_EQ(ReadBytes(source), "[00:01:00]a\r\n\r\n@Title=T\r\n");
}

TEST_F(TimeTagModeTest, AnEmptyFileGivesALineBreak) { EXPECT_EQ(Convert(""), "\r\n"); }

TEST_F(TimeTagModeTest, ReadingLinesComeBackByteForByte) {
    const QByteArray text = "[00:01:00]\xe7\x82\xba\xe6\x9b\xbf\r\n\r\n@TimeRatio=1\r\n"
                            "@Ruby1=\xe7\x82\xba\xe6\x9b\xbf,\xe3\x81\x8b\xe3\x82\x8f\xe3\x81\x9b"
                            ",,[01:00:00]\r\n";
    settings.T2T.Normalize = true;
    EXPECT_EQ(Convert("\xef\xbb\xbf" + text), "\xef\xbb\xbf" + text);
}

} // namespace

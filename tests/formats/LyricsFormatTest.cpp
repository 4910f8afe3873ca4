#include "formats/LyricsFormat.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

struct FormatCase {
    const char* content;
    LyricsFormat format;
};

class DetectFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(DetectFormatTest, RecognisesContent) {
    TestFolder folder;
    const QString path = folder.File("input.dat");
    ASSERT_TRUE(WriteBytes(path, QByteArray(GetParam().content)));
    EXPECT_EQ(DetectLyricsFormat(path), GetParam().format) << GetParam().content;
}

INSTANTIATE_TEST_SUITE_P(
    Contents, DetectFormatTest,
    ::testing::Values(FormatCase{"words\r\n[00:01:00]x", LyricsFormat::TimeTag},
                      FormatCase{"[01:02]short", LyricsFormat::TimeTag},
                      FormatCase{"<SAMI><BODY><SYNC Start=1000><P>x", LyricsFormat::Sami},
                      FormatCase{"<sync start=1000 [00:01:00]>", LyricsFormat::TimeTag},
                      FormatCase{"<sync start=1000", LyricsFormat::Unknown},
                      FormatCase{"00:01:234=text", LyricsFormat::Dsmp},
                      FormatCase{"x\r\n12:34:567=a", LyricsFormat::Dsmp},
                      FormatCase{"00:01:23=text", LyricsFormat::Unknown},
                      FormatCase{"plain words [chorus]", LyricsFormat::Unknown},
                      // LRC: a stamp TimeTag does not write, a word stamp or an ID tag.
                      FormatCase{"words\r\n  [0:01.5]a", LyricsFormat::Lrc},
                      FormatCase{"[ti:a]\r\n[00:01]x", LyricsFormat::Lrc},
                      FormatCase{"[00:01]x<00:02>y", LyricsFormat::Lrc},
                      FormatCase{"[00:01]x\r\n[00:02]y", LyricsFormat::TimeTag},
                      FormatCase{"[00:01:00]x\r\n[00:02.00]y", LyricsFormat::TimeTag},
                      FormatCase{"[ti:a]\r\nno stamps", LyricsFormat::Unknown},
                      FormatCase{"<SYNC Start=1000><P>[0:01.5]x", LyricsFormat::Sami},
                      FormatCase{"", LyricsFormat::Unknown}));

TEST(DetectFormatFileTest, MissingFileAndTagBeyondFirst10000Bytes) {
    TestFolder folder;
    EXPECT_EQ(DetectLyricsFormat(folder.File("missing.txt")), LyricsFormat::Unknown);
    EXPECT_EQ(DetectLyricsFormat(folder.Path()), LyricsFormat::Unknown);
    const QString late = folder.File("late.txt");
    ASSERT_TRUE(WriteBytes(late, QByteArray(9995, 'a') + "[00:01:00]"));
    EXPECT_EQ(DetectLyricsFormat(late), LyricsFormat::Unknown);
    const QString early = folder.File("early.txt");
    ASSERT_TRUE(WriteBytes(early, QByteArray(9990, 'a') + "[00:01:00]"));
    EXPECT_EQ(DetectLyricsFormat(early), LyricsFormat::TimeTag);
}

} // namespace

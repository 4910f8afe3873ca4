// Lyrics3 blocks on their own: the bytes written, and the blocks whose sizes lie.
#include "audio/Lyrics3Block.h"

#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

TEST(Lyrics3Block, WritesTheBlockReadersExpect) {
    // IND "11" and 37 bytes of lyrics take 81 bytes, of which the size counts 66.
    const QByteArray lyrics(37, 'w');
    const QByteArray block = BuildLyrics3v2({{"IND", "11"}, {"LYR", lyrics}});
    EXPECT_EQ(block, "LYRICSBEGININD0000211LYR00037" + lyrics + "000066LYRICS200");
    EXPECT_EQ(Lyrics3v2BlockLength(block.right(15)), 81);

    Lyrics3Content content;
    ASSERT_TRUE(ParseLyrics3v2(block, content));
    EXPECT_EQ(content.Version, 2);
    ASSERT_EQ(content.Fields.size(), 2);
    EXPECT_EQ(content.Find("LYR")->Data, lyrics);
    EXPECT_EQ(content.Find("INF"), nullptr);
}

TEST(Lyrics3Block, FieldsItCannotWriteGiveNoBlock) {
    EXPECT_FALSE(BuildLyrics3v2({{"LYR", QByteArray(99999, 'x')}}).isEmpty());
    for (const Lyrics3Field& field :
         {Lyrics3Field{"LYR", QByteArray(100000, 'x')}, Lyrics3Field{"lyr", "x"},
          Lyrics3Field{"LY", "x"}, Lyrics3Field{"LY1", "x"}})
        EXPECT_TRUE(BuildLyrics3v2({{"IND", "10"}, field}).isEmpty()) << field.Id.toStdString();
}

TEST(Lyrics3Block, BlocksWhoseSizesOrFieldsLieAreRejected) {
    const QByteArray good = BuildLyrics3v2({{"IND", "10"}, {"LYR", "la la"}, {"INF", "i"}});
    const auto withSize = [&](const char* digits) {
        QByteArray block = good;
        return block.replace(block.size() - 15, 6, digits);
    };
    const auto replaced = [&](const char* from, const char* to) {
        return QByteArray(good).replace(from, to);
    };
    struct BadCase {
        const char* name;
        QByteArray block;
    };
    const BadCase cases[] = {
        {"size one too small", withSize("000042")},
        {"size one too large", withSize("000044")},
        {"size not digits", withSize("00004x")},
        {"size smaller than LYRICSBEGIN", withSize("000010")},
        {"field length past the block", replaced("LYR00005", "LYR00050")},
        {"field length short of the next field", replaced("LYR00005", "LYR00004")},
        {"field length not digits", replaced("LYR00005", "LYR0000-")},
        {"field ID in small letters", replaced("INF", "inf")},
        {"no LYRICSBEGIN", replaced("LYRICSBEGIN", "LYRICSBEGIX")},
        {"wrong end keyword", replaced("LYRICS200", "LYRICS300")},
    };
    EXPECT_EQ(good.mid(good.size() - 15, 6), "000043");
    Lyrics3Content content;
    EXPECT_TRUE(ParseLyrics3v2(good, content));
    for (const BadCase& c : cases)
        EXPECT_FALSE(ParseLyrics3v2(c.block, content)) << c.name;
}

TEST(Lyrics3Block, Version1TextIsFoundWithinItsLengthLimit) {
    EXPECT_EQ(FindLyrics3v1Begin("audioLYRICSBEGINsome text\r\nLYRICSEND"), 5);
    const QByteArray longest(5100, 't');
    EXPECT_EQ(FindLyrics3v1Begin("xLYRICSBEGIN" + longest + "LYRICSEND"), 1);
    EXPECT_EQ(FindLyrics3v1Begin("LYRICSBEGIN" + longest + "t" + "LYRICSEND"), -1);
    EXPECT_EQ(FindLyrics3v1Begin("LYRICSBEGINtext"), -1);
    // The text cannot hold the keyword, so the last one starts the block.
    EXPECT_EQ(FindLyrics3v1Begin("LYRICSBEGINaLYRICSBEGINbLYRICSEND"), 12);
}

} // namespace

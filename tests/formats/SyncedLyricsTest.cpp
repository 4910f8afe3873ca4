// Synchronised lyrics entries from a TimeTag document and back: which text and time each
// fragment gives, and how entries with line feeds in any place become lines.
#include "formats/SyncedLyrics.h"
#include "FormatsTestHelpers.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

TEST(SyncedLyrics, OneEntryPerTagOfEveryTimedLine) {
    const LyricsDocument document = ParseDoc("abc[00:01:00]歌[00:02:00]\r\nuntimed\r\n\r\n"
                                             "[00:03:00][00:03:50]x y\r\n@Title=t\r\n");
    EXPECT_EQ(
        MakeSyncedLyrics(document),
        SyncedLyrics({{U("abc歌"), 1000}, {QString(), 2000}, {U("\n"), 3000}, {U("x y"), 3500}}));
    EXPECT_EQ(MakeUnsyncedLyrics(document), U("abc歌\nuntimed\n\nx y"));
}

TEST(SyncedLyrics, LineFeedsAnywhereInAnEntryMakeLines) {
    const struct {
        SyncedLyrics entries;
        const char* timeTag;
    } cases[] = {
        // The line feed in front of a line's first syllable, as the ID3v2 standard shows it.
        {{{U("Strang"), 10}, {U("ers"), 20}, {U("\nEx"), 30}, {U("ing"), 40}},
         "[00:00:01]Strang[00:00:02]ers\r\n[00:00:03]Ex[00:00:04]ing\r\n"},
        // Every entry starting with one, the first too; CR LF; a line feed at a line's end.
        {{{U("\n歌"), 1000}, {U("\r\n詞\n"), 2000}, {U("end"), 3000}},
         "[00:01:00]歌\r\n[00:02:00]詞\r\n[00:03:00]end\r\n"},
        // Text before the last line feed goes on with its line; an entry of line feeds only
        // starts an empty timed line after an empty untimed one.
        {{{U("a"), 1000}, {U("b\nc"), 2000}, {U("\n\n"), 3000}},
         "[00:01:00]ab\r\n[00:02:00]c\r\n\r\n[00:03:00]\r\n"},
        // Times beyond the tag range are held at [99:59:99].
        {{{U("x"), 9999999999ll}}, "[99:59:99]x\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadSyncedLyrics(c.entries).Text,
                  U(c.timeTag) + QStringLiteral("\r\n@TimeRatio=1\r\n"));
    EXPECT_EQ(ReadSyncedLyrics({}).Text, QString());
    EXPECT_EQ(UnsyncedLyricsText(U("a\r\nb\rc\n")), U("a\r\nb\r\nc\r\n"));
}

} // namespace

// Lines shown at once (a duet's two voices, a line and its translation) through x2t and back
// through t2x: each keeps its own time, so neither becomes a cue shown for no time.
#include "formats/FormatsTestHelpers.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

TEST(SimultaneousLines, BothStayVisibleThroughTimeTag) {
    TestFolder folder;
    const QString source = folder.File("duet.ass");
    ASSERT_TRUE(WriteBytes(source,
                           "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, "
                           "MarginR, MarginV, Effect, Text\n"
                           "Dialogue: 0,0:00:01.00,0:00:03.00,A,,0,0,0,,Hello\n"
                           "Dialogue: 0,0:00:01.00,0:00:03.00,B,,0,0,0,,Bonjour\n"
                           "Dialogue: 0,0:00:02.00,0:00:04.00,A,,0,0,0,,{\\k50}Sing{\\k50}!\n"
                           "Dialogue: 0,0:00:05.00,0:00:06.00,A,,0,0,0,,Next\n"));
    Settings settings;
    settings.Init.TimeRatio = 1;
    settings.Init.OverWrite = true;
    settings.T2X.Formats = U("srt");
    ASSERT_EQ(RunDriver(ModeWordFormatsToTimeTag, {source}, settings).Results[0].Code, Converted);
    ASSERT_EQ(
        RunDriver(ModeTimeTagToWordFormats, {folder.File("duet.txt")}, settings).Results[0].Code,
        Converted);
    EXPECT_EQ(ReadBytes(folder.File("duet.srt")).toStdString(),
              U("1\r\n00:00:01,000 --> 00:00:03,000\r\nHello\r\n\r\n"
                "2\r\n00:00:01,000 --> 00:00:03,000\r\nBonjour\r\n\r\n"
                "3\r\n00:00:02,000 --> 00:00:04,000\r\nSing!\r\n\r\n"
                "4\r\n00:00:05,000 --> 00:00:06,000\r\nNext\r\n")
                  .toStdString());
}

} // namespace

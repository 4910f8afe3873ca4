// The caption readers on small made-up files: each case one kind of file the readers met in
// the wild, with the lines its players show.
#include "FormatsTestHelpers.h"
#include "TimedLinesText.h"
#include "formats/WordFormats.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

TEST(CaptionReaders, LinesAsThePlayersShowThem) {
    const struct {
        const char* extension;
        const char* text;
        const char* lines;
    } cases[] = {
        // Plain TTML counts a begin from its parent's; the players' dialect does not.
        {"ttml",
         "<tt xmlns=\"http://www.w3.org/ns/ttml\"><body><div begin=\"10s\"><p begin=\"1s\" "
         "end=\"3s\"><span begin=\"0.5s\" end=\"1s\">a</span><span begin=\"1s\">b</span></p>"
         "</div></body></tt>",
         "11000-13000 a/b"},
        {"ttml",
         "<tt xmlns=\"http://www.w3.org/ns/ttml\"><body><div begin=\"10s\"><p begin=\"10s\" "
         "end=\"12s\"><span begin=\"10.5s\" end=\"11s\">a</span><span begin=\"11s\">b</span></p>"
         "</div></body></tt>",
         "10000-12000 a/b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LinesReading(ReadWordFormatText(U(c.text), U(c.extension))), U(c.lines))
            << c.text;
}

} // namespace

// The caption readers on small made-up files: each case one kind of file the readers met in
// the wild, with the lines its players show.
#include "FormatsTestHelpers.h"
#include "TimedLinesText.h"
#include "formats/WordFormats.h"
#include "lyrics/TimeTagWriter.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// The TimeTag lines x2t makes of a caption text (without the closing @TimeRatio), "" when no
// reader takes it.
QString TimeTagOf(const QString& text, const QString& extension) {
    std::optional<TimedLyrics> lyrics = ReadWordFormatText(text, extension);
    if (!lyrics)
        return QString();
    LyricsDocument document = DocumentOfTimedLyrics(std::move(*lyrics));
    ComposeLyricsText(document);
    return document.Text.left(document.Text.indexOf(U("\r\n\r\n@"))).replace(U("\r\n"), U("\n"));
}

// A caption text and what is expected of it.
struct Case {
    const char* extension;
    const char* text;
    const char* expected;
};

TEST(CaptionReaders, LinesAsThePlayersShowThem) {
    const Case cases[] = {
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
        // SRT: ffmpeg hides SubStation and MicroDVD style blocks and breaks at \N.
        {"srt", "1\n00:00:01,000 --> 00:00:02,000\n{\\an8}{Y:i}A\\NB {c} {\\i1\n",
         "1000-2000 A B {c} {\\i1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LinesReading(ReadWordFormatText(U(c.text), U(c.extension))), U(c.expected))
            << c.text;
}

// A line keeps its end when its last word lasts no time, and a cue shown for no time stays
// a line that is never shown.
TEST(CaptionReaders, EndsAtTheLastWordStay) {
    const Case cases[] = {
        {"ass",
         "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
         "Text\nDialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\k100}A{\\k0}!\n"
         "Dialogue: 0,0:00:02.00,0:00:03.00,Default,,0,0,0,,{\\k100}B{\\k0}?\n",
         "[00:01:00]A[00:02:00]![00:02:00]\n[00:02:00]B[00:03:00]?[00:03:00]"},
        {"vtt",
         "WEBVTT\n\n00:01.000 --> 00:02.000\nA<00:01.500>B<00:03.000>C\n\n"
         "00:05.000 --> 00:06.000\nD\n",
         "[00:01:00]A[00:01:50]B[00:02:00]C[00:02:00]\n[00:05:00]D[00:06:00]"},
        {"srt",
         "1\n00:00:01,000 --> 00:00:01,000\nHidden\n\n2\n00:00:02,000 --> 00:00:03,000\n"
         "Shown\n",
         "[00:01:00]Hidden[00:01:00]\n[00:02:00]Shown[00:03:00]"},
        // A TTML line without an end lasts until the next one.
        {"ttml",
         "<tt xmlns=\"http://www.w3.org/ns/ttml\"><body><p begin=\"1s\">A</p>"
         "<p begin=\"2s\">B</p></body></tt>",
         "[00:01:00]A\n[00:02:00]B"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TimeTagOf(U(c.text), U(c.extension)), U(c.expected)) << c.text;
}

// A "|" of our lyrics is written so that no reader takes it for a reading's mark.
TEST(CaptionReaders, OurBarsStayText) {
    for (const bool furigana : {false, true}) {
        WordFormatOptions options;
        options.Ass.Furigana = furigana;
        TimedLyrics lyrics;
        lyrics.Lines = {{1000, 3000, true, {{U("A|B"), 1000}, {U("C"), 2000}}, {}}};
        EXPECT_EQ(LinesReading(ReadWordFormatText(
                      MakeWordFormatText(WordFormat::Ass, lyrics, options), U("ass"))),
                  U("1000-3000 A｜B/C"))
            << furigana;
    }
}

} // namespace

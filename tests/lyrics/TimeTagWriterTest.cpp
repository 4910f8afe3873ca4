// Writing a lyrics document back as TimeTag text with its header block.
#include "lyrics/TimeTagWriter.h"
#include "lyrics/TimeTagReader.h"

#include <gtest/gtest.h>

using namespace tavelkor;

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

// Reads the text as a file would be read, then composes it again.
QString Recompose(const char* utf8) {
    LyricsDocument document;
    document.Text = S(utf8);
    ParseLyricsText(document, false, true);
    ComposeLyricsText(document);
    return document.Text;
}

TEST(ComposeTest, LayoutOfBodyAndHeader) {
    // Karaoke layout: written back as read, text before the first tag included.
    EXPECT_EQ(Recompose("x[00:01:00]ka[00:01:50]ra\r\nplain\r\n[00:02:00]one"),
              S("x[00:01:00]ka[00:01:50]ra\r\nplain\r\n[00:02:00]one\r\n\r\n"));
    // Line-head layout: the tag moves to the head of its line.
    EXPECT_EQ(Recompose("x[00:01:00]y\r\nplain"), S("[00:01:00]xy\r\nplain\r\n\r\n"));
    // No tags at all.
    EXPECT_EQ(Recompose("a\r\n[b]"), S("a\r\n[b]\r\n\r\n"));
    // Trailing empty lines collapse to the one empty line before the (here empty) header.
    EXPECT_EQ(Recompose("a\r\n\r\n\r\n"), S("a\r\n\r\n"));
    EXPECT_EQ(Recompose("@Title=T\r\na\r\n\r\n\r\n"), S("a\r\n\r\n@Title=T\r\n"));
    // Directive lines move to the end; unknown ones disappear; inner empty lines stay.
    EXPECT_EQ(Recompose("@Title=T\r\n@Unknown=1\r\n[00:01:00]a\r\n\r\n[00:02:00]b"),
              S("[00:01:00]a\r\n\r\n[00:02:00]b\r\n\r\n@Title=T\r\n"));
    // Only directives: the header block alone, without a leading empty line.
    EXPECT_EQ(Recompose("@Artist=A\r\n@Title=T"), S("@Artist=A\r\n@Title=T\r\n"));
    // Credit lines stay where they were and are not written into the header.
    EXPECT_EQ(Recompose("title: X\r\n[00:01:00]a"), S("title: X\r\n[00:01:00]a\r\n\r\n"));
    // Short tags read as expanded are written in full.
    EXPECT_EQ(Recompose("[00:01]a"), S("[00:01:00]a\r\n\r\n"));
}

TEST(ComposeTest, SetsRawTextOfLyricLines) {
    LyricsDocument document;
    document.Text = S("@Title=T\r\nx[00:01:00]y");
    ParseLyricsText(document, false, false);
    ComposeLyricsText(document);
    EXPECT_EQ(document.Lines[0].RawText, S("@Title=T")); // directive line untouched
    EXPECT_EQ(document.Lines[1].RawText, S("[00:01:00]xy"));
}

TEST(ComposeTest, EmptyDocumentComposesToNothing) {
    LyricsDocument document;
    document.Text = S("stale");
    document.Header.Title = S("T");
    document.Header.HasTimeRatio = true;
    document.Header.TimeRatio = 1;
    ComposeLyricsText(document);
    EXPECT_EQ(document.Text, QString());
}

TEST(ComposeTest, UsesFragmentsNotStaleRawText) {
    LyricsDocument document;
    document.Text = S("[00:01:00]ka[00:02:00]ra\r\n[00:03:00]x");
    ParseLyricsText(document, false, false);
    document.Lines[0].Fragments[2].TagText = S("[00:01:50]");
    document.Lines[1].Fragments[0].TagText = S("[00:02:50]");
    document.Lines[1].Fragments[1].TagText = S("[00:02:50]");
    ComposeLyricsText(document);
    EXPECT_EQ(document.Text, S("[00:01:00]ka[00:01:50]ra\r\n[00:02:50]x\r\n\r\n"));
}

TEST(HeaderTest, FixedOrderTrimmedValues) {
    LyricsHeader header;
    header.EditedBy = S(" e ");
    header.TaggingBy = S("t");
    header.Offset = -2000;
    header.HasOffset = true;
    header.SilencemSec = 350;
    header.HasSilencemSec = true;
    header.TimeRatio = 0.9953125;
    header.HasTimeRatio = true;
    header.BgFolder = S("bg");
    header.BgFile = S("f.jpg");
    header.Album = S("Al");
    header.Title = S("  Ti  ");
    header.Artist = S("   "); // spaces only: a line with an empty value
    header.CreditTitle = S("ct");
    header.CreditArtist = S("ca");
    header.CreditLyricist = S("cl");
    header.CreditComposer = S("cc");
    header.Frames = 10;
    header.HasFrames = true;
    header.TotalSec = 20;
    header.HasTotalSec = true;
    header.TimeType = S("normal");
    EXPECT_EQ(ComposeHeaderText(header),
              S("@Artist=\r\n@Title=Ti\r\n@Album=Al\r\n@BgFile=f.jpg\r\n@BgFolder=bg\r\n"
                "@TimeRatio=0.9953125\r\n@SilencemSec=350\r\n@Offset=-2000\r\n"
                "@TaggingBy=t\r\n@EditedBy=e\r\n"));
    // A stated ratio is not replaced by the time type's.
    EXPECT_EQ(header.TimeRatio, 0.9953125);
}

TEST(HeaderTest, EmptyHeaderAndRatioForms) {
    LyricsHeader header;
    EXPECT_EQ(ComposeHeaderText(header), QString());
    header.HasTimeRatio = true;
    header.TimeRatio = 1;
    EXPECT_EQ(ComposeHeaderText(header), S("@TimeRatio=1\r\n"));
    header.TimeRatio = 0.5;
    EXPECT_EQ(ComposeHeaderText(header), S("@TimeRatio=0.5\r\n"));
    header.TimeRatio = 0;
    EXPECT_EQ(ComposeHeaderText(header), S("@TimeRatio=0\r\n"));
    header.TimeRatio = 1.0 / 3.0;
    EXPECT_EQ(ComposeHeaderText(header), S("@TimeRatio=0.333333333333333\r\n"));
    LyricsHeader zeros;
    zeros.HasOffset = true;
    zeros.HasSilencemSec = true;
    EXPECT_EQ(ComposeHeaderText(zeros), S("@SilencemSec=0\r\n@Offset=0\r\n"));
}

TEST(HeaderTest, RatioResolvedFromTimeType) {
    LyricsHeader normal;
    normal.TimeType = S("normal");
    normal.HasFrames = true;
    normal.HasTotalSec = true;
    EXPECT_EQ(ComposeHeaderText(normal), S("@TimeRatio=1\r\n"));
    EXPECT_TRUE(normal.HasTimeRatio);
    EXPECT_EQ(normal.TimeRatio, 1.0);
    EXPECT_FALSE(normal.HasFrames);
    EXPECT_FALSE(normal.HasTotalSec);

    LyricsHeader winamp;
    winamp.TimeType = S("winamp");
    winamp.Frames = 10000;
    winamp.TotalSec = 261;
    EXPECT_EQ(ComposeHeaderText(winamp), S("@TimeRatio=0.9953125\r\n"));
    EXPECT_EQ(winamp.TimeRatio, 0.9953125);

    LyricsHeader noSeconds = winamp;
    noSeconds.HasTimeRatio = false;
    noSeconds.TotalSec = 0;
    EXPECT_EQ(ComposeHeaderText(noSeconds), QString());
    EXPECT_FALSE(noSeconds.HasTimeRatio);
    EXPECT_EQ(noSeconds.TimeRatio, 0.0);
}

TEST(HeaderTest, ReadDirectivesComeBackResolved) {
    LyricsDocument document;
    document.Text = S("@TimeType=Normal\r\n@Frames=5\r\n@TotalSec=6\r\n[00:01:00]a");
    ParseLyricsText(document, false, false);
    ComposeLyricsText(document);
    EXPECT_EQ(document.Text, S("[00:01:00]a\r\n\r\n@TimeRatio=1\r\n"));
}

TEST(ResolveRatioTest, OnlyKnownTimeTypesResolve) {
    LyricsHeader none;
    none.Frames = 10000;
    none.TotalSec = 261;
    none.HasFrames = true;
    none.TimeRatio = 0.7;
    EXPECT_FALSE(ResolveTimeRatio(none));
    EXPECT_EQ(none.TimeRatio, 0.7);
    EXPECT_FALSE(none.HasTimeRatio);
    EXPECT_TRUE(none.HasFrames);

    // Frames and seconds count whether or not their flags are set.
    LyricsHeader winamp;
    winamp.TimeType = S("winamp");
    winamp.Frames = 10000;
    winamp.TotalSec = 240; // 48000 Hz
    winamp.HasFrames = true;
    EXPECT_TRUE(ResolveTimeRatio(winamp));
    EXPECT_EQ(winamp.TimeRatio, 1.0);
    EXPECT_TRUE(winamp.HasTimeRatio);
    EXPECT_FALSE(winamp.HasFrames);

    LyricsHeader failing;
    failing.TimeType = S("winamp");
    failing.TimeRatio = 0.5;
    failing.HasTimeRatio = true;
    failing.HasFrames = true;
    EXPECT_FALSE(ResolveTimeRatio(failing));
    EXPECT_EQ(failing.TimeRatio, 0.0);
    EXPECT_FALSE(failing.HasTimeRatio);
}

struct WinampCase {
    int frames;
    int seconds;
    double ratio; // 0: the estimate fails
};

class WinampRatioTest : public ::testing::TestWithParam<WinampCase> {};

TEST_P(WinampRatioTest, SnapsToSampleRate) {
    double ratio = -1;
    const bool ok = EstimateWinampRatio(GetParam().frames, GetParam().seconds, ratio);
    EXPECT_EQ(ok, GetParam().ratio != 0);
    EXPECT_EQ(ratio, GetParam().ratio)
        << GetParam().frames << " frames, " << GetParam().seconds << " s";
}

// With 2304 seconds the estimated rate is frames / 2, so an odd frame count lands half a
// hertz above or below a bound of the rate table.
INSTANTIATE_TEST_SUITE_P(Rates, WinampRatioTest,
                         ::testing::Values(WinampCase{10000, 261, 0.9953125}, // 44100 Hz
                                           WinampCase{10000, 240, 1.0},       // 48000 Hz
                                           WinampCase{10000, 522, 0.9953125}, // 22050 Hz
                                           WinampCase{1000, 104, 0.9953125},  // 11025 Hz
                                           WinampCase{1000, 36, 1.0},         // 32000 Hz
                                           WinampCase{1000, 48, 1.0},         // 24000 Hz
                                           WinampCase{1000, 144, 1.0},        // 8000 Hz
                                           WinampCase{1, 100000, 1.0},     // far below every rate
                                           WinampCase{2000000000, 1, 1.0}, // far above every rate
                                           WinampCase{92103, 2304, 1.0},   // 46051: 48000
                                           WinampCase{92101, 2304, 0.9953125}, // 46050: 44100
                                           WinampCase{76103, 2304, 0.9953125}, // 38051: 44100
                                           WinampCase{76101, 2304, 1.0},       // 38050: 32000
                                           WinampCase{46053, 2304, 1.0},       // 23026: 24000
                                           WinampCase{46051, 2304, 0.9953125}, // 23025: 22050
                                           WinampCase{38053, 2304, 0.9953125}, // 19026: 22050
                                           WinampCase{38051, 2304, 1.0},       // 19025: 16000
                                           WinampCase{23027, 2304, 1.0},       // 11513: 12000
                                           WinampCase{23025, 2304, 0.9953125}, // 11512: 11025
                                           WinampCase{19027, 2304, 0.9953125}, // 9513: 11025
                                           WinampCase{19025, 2304, 1.0},       // 9512: 8000
                                           WinampCase{0, 261, 0.0}, WinampCase{10000, 0, 0.0},
                                           WinampCase{-5, 261, 0.0}, WinampCase{10000, -1, 0.0}));

TEST(TrailingBreaksTest, ExactlyOneCrLfWhenAnythingIsLeft) {
    EXPECT_EQ(NormalizeTrailingBreaks(S("a\r\n\r\n\r\n")), S("a\r\n"));
    EXPECT_EQ(NormalizeTrailingBreaks(S("a")), S("a\r\n"));
    EXPECT_EQ(NormalizeTrailingBreaks(S("\r\n\r\n")), QString());
    EXPECT_EQ(NormalizeTrailingBreaks(QString()), QString());
    EXPECT_EQ(NormalizeTrailingBreaks(S("\r\na\r\n")), S("\r\na\r\n"));
    EXPECT_EQ(NormalizeTrailingBreaks(S("a\n")), S("a\n\r\n")); // only CR LF pairs count
}

} // namespace

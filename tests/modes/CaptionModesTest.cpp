// The caption modes on files: x2t reads caption files in the encodings they come in (UTF-8
// unless a byte order mark says otherwise, plain ASCII too; Japanese CP932; European
// Windows-1252), refuses with a note a file no encoding reads, never converting it with
// characters lost (the LRC reader keeps the rule of the lyrics files); lines shown at once
// (a duet's two voices, a line and its translation) keep their own times through x2t and
// back through t2x.
#include "formats/FormatsTestHelpers.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

QByteArray Utf16Le(const QString& text) {
    return QByteArray("\xFF\xFE", 2) +
           QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

TEST(CaptionEncodings, EachFileReadInItsEncodingOrRefusedWithANote) {
    const QByteArray srt("1\r\n00:00:01,000 --> 00:00:02,000\r\n");
    const struct {
        const char* name;
        QByteArray bytes;
        int mode;
        const char* outcome;
        QByteArray timeTag; // the output's first line, in its bytes
    } cases[] = {
        {"ascii.vtt", "WEBVTT\n\n00:01.000 --> 00:02.000\nA&nbsp;B\n", ModeWordFormatsToTimeTag,
         "00.変換成功",
         "[00:01:00]A\xC2\xA0"
         "B[00:02:00]"},
        {"western.srt",
         srt + "\xC9V\xC9NEMENTS du c\xE2"
               "ble\r\n",
         ModeWordFormatsToTimeTag, "00.変換成功（Windows-1252として読み込み）",
         "[00:01:00]\xC3\x89V\xC3\x89NEMENTS du c\xC3\xA2"
         "ble[00:02:00]"},
        {"japanese.srt", srt + "\x89\xCC\x82\xA4\r\n", ModeWordFormatsToTimeTag, "00.変換成功",
         "[00:01:00]\x89\xCC\x82\xA4[00:02:00]"},
        {"utf16.srt", Utf16Le(U("1\n00:00:01,000 --> 00:00:02,000\nAé\n")),
         ModeWordFormatsToTimeTag, "00.変換成功", Utf16Le(U("[00:01:00]Aé[00:02:00]"))},
        {"broken.srt", srt + "\x81\x81\x9D\r\n", ModeWordFormatsToTimeTag,
         "06.対象ファイル外（文字コード不明：1バイトが読めない）", ""},
        {"ascii.lrc", "[00:01.00]A\r\n", ModeLrcToTimeTag, "00.変換成功", "[00:01:00]A"},
    };
    for (const auto& c : cases) {
        TestFolder folder;
        const QString source = folder.File(c.name);
        ASSERT_TRUE(WriteBytes(source, c.bytes));
        Settings settings;
        settings.Init.TimeRatio = 1;
        const BatchState state = RunDriver(c.mode, {source}, settings);
        ASSERT_EQ(state.Results.size(), 1);
        EXPECT_EQ(ResultOutcomeText(state.Results[0]), U(c.outcome)) << c.name;
        if (!c.timeTag.isEmpty()) {
            const QByteArray written = ReadBytes(source.left(source.lastIndexOf(u'.')) + U(".txt"));
            EXPECT_EQ(written.left(c.timeTag.size()), c.timeTag)
                << c.name << " " << written.toStdString();
        }
    }
}

// Neither of two lines shown at once becomes a cue shown for no time.
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

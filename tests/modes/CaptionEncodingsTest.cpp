// Caption files through x2t in the encodings they come in: UTF-8 unless a byte order mark says
// otherwise (plain ASCII too), Japanese CP932, European Windows-1252; a file no encoding reads
// is refused with a note, never converted with characters lost. The LRC reader keeps the rule
// of the lyrics files.
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

} // namespace

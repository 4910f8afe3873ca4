// TimeTag -> LRC, LRC -> TimeTag and the time shift of LRC files, run end to end on real files.
#include "formats/FormatsTestHelpers.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace tavelkor {
namespace {

using test::ReadBytes;
using test::RunDriver;
using test::TestFolder;
using test::U;

QByteArray Cp932Lines(const char* barred) {
    return EncodeCp932(U(barred).replace(u'|', QStringLiteral("\r\n")));
}

// "name:code" for every result, then "name:01" for every rejected file.
QStringList Codes(const BatchState& state) {
    QStringList out;
    for (const ResultRecord& record : state.Results)
        out << QFileInfo(record.FileName).fileName() + u':' + QString::number(record.Code);
    for (const QString& path : state.RejectedFiles)
        out << QFileInfo(path).fileName() + QStringLiteral(":01");
    return out;
}

TEST(LrcModes, TimeTagToLrcWritesRealTimeBesideTheSource) {
    TestFolder folder;
    // No ratio in the file: the default ratio makes tag time real time; the offset is folded in.
    const QString source =
        folder.Put("歌.txt", Cp932Lines("@Title=歌|@Offset=-1000|title: 歌|"
                                        "[00:01:00]か[00:02:00]な|[00:03:00]ひ"));
    const QString lrc = folder.Put("x.lrc", "[00:01.00]an LRC file holds no TimeTag tag\r\n");
    Settings settings;
    EXPECT_EQ(Codes(RunDriver(ModeTimeTagToLrc, {source, lrc}, settings)),
              (QStringList{U("歌.txt:0"), U("x.lrc:01")}));
    // LRC players read UTF-8: a CP932 source gives a UTF-8 .lrc unless T2L/Encoding says Source.
    const QString lrcText = U("[ti:歌]|title: 歌|[00:00.00]<00:00.00>か<00:01.01>な|[00:02.01]ひ|")
                                .replace(u'|', QStringLiteral("\r\n"));
    EXPECT_EQ(ReadBytes(folder.File("歌.lrc")), lrcText.toUtf8());
    for (const auto& [choice, bytes] :
         {std::pair{OutputEncodingChoice::Source, EncodeCp932(lrcText)},
          std::pair{OutputEncodingChoice::Utf8Bom, "\xef\xbb\xbf" + lrcText.toUtf8()},
          std::pair{OutputEncodingChoice::Cp932, EncodeCp932(lrcText)}}) {
        Settings encoded;
        encoded.T2L.Encoding = choice;
        RunDriver(ModeTimeTagToLrc, {source}, encoded);
        EXPECT_EQ(ReadBytes(folder.File("歌.lrc")), bytes);
    }
    settings.T2L = {1, 1, false, true, false}; // .lrc into .txt, no word stamps, ms, no ID tags
    EXPECT_EQ(Codes(RunDriver(ModeTimeTagToLrc, {lrc}, settings)), QStringList{U("x.lrc:6")});
}

TEST(LrcModes, LrcToTimeTagReadsUtf8AndCp932AtTheDefaultRatio) {
    TestFolder folder;
    const QStringList dropped = {
        folder.Put("a.lrc", "\xEF\xBB\xBF[ti:\xE6\xAD\x8C]\n[offset:500]\n[00:02.00]<00:02.00>"
                            "\xE3\x81\x8b<00:03.00>\xE3\x81\xaa\n[00:01.50]first\n"),
        folder.Put("b.lrc", Cp932Lines("[00:01.00]か[00:01.50]な")),
        folder.Put("timetag.lrc", "[00:01:00]a TimeTag file\r\n"),
        folder.Put("tags.lrc", "[ti:only tags]\r\nand words\r\n"),
        folder.Put("empty.lrc", ""),
        folder.Put("huge.lrc", (QStringLiteral("[00:01.00]").repeated(10000) +
                                QStringLiteral("<00:01.00>a").repeated(10000))
                                   .toUtf8())};
    Settings settings;
    settings.Init.TimeRatio = 1;
    EXPECT_EQ(Codes(RunDriver(ModeLrcToTimeTag, dropped, settings)),
              (QStringList{U("a.lrc:0"), U("b.lrc:0"), U("timetag.lrc:6"), U("tags.lrc:6"),
                           U("empty.lrc:12"), U("huge.lrc:6")}));
    // Written in the encoding the LRC file was read in, its byte order mark included.
    EXPECT_EQ(ReadBytes(folder.File("a.txt")),
              "\xEF\xBB\xBF" + U("[00:01:00]first\r\n[00:01:50]か[00:02:50]な\r\n\r\n"
                                 "@Title=歌\r\n@TimeRatio=1\r\n")
                                   .toUtf8());
    // The player ratio: 995 ms is the tag 00:00:99 (a tag's hundredths stay in their second).
    settings.Init.TimeRatio = DefaultRatio;
    settings.L2T = {0, 2, false}; // into .kra, line-head tags only
    EXPECT_EQ(Codes(RunDriver(ModeLrcToTimeTag, {dropped[1]}, settings)),
              QStringList{U("b.lrc:0")});
    EXPECT_EQ(ReadBytes(folder.File("b.kra")), Cp932Lines("[00:00:99]かな||@TimeRatio=0.9953125|"));
}

class ShiftBy : public NoQuestions {
public:
    ShiftAnswer AskShift(const QString&, int) override { return {false, 1000, false}; }
};

TEST(LrcModes, TheTimeShiftKeepsAnLrcFilesFormAndEncoding) {
    TestFolder folder;
    const QString lrc =
        folder.Put("a.lrc", "[ti:x]\n[offset:+100]\n[0:01.5][00:02]a<00:02.345>b\n");
    const QString timeTag = folder.Put("b.lrc", "[00:01:00]TimeTag under .lrc\r\n");
    const QString utf8 = folder.Put("c.lrc", "[ti:a]\r\n[00:01.00]\xE3\x81\x8b\r\n");
    Settings settings;
    BatchState state;
    state.DroppedFiles = {lrc, timeTag, utf8};
    ShiftBy questions;
    ASSERT_TRUE(RunMode(ModeTimeShift, state, settings, questions));
    EXPECT_EQ(Codes(state), (QStringList{U("a.lrc:0"), U("b.lrc:0"), U("c.lrc:0")}));
    EXPECT_EQ(ReadBytes(lrc), "[ti:x]\n[offset:+100]\n[0:02.5][00:03]a<00:03.345>b\n"); // LF kept
    EXPECT_EQ(ReadBytes(timeTag), "[00:02:00]TimeTag under .lrc\r\n");
    EXPECT_EQ(ReadBytes(utf8), "[ti:a]\r\n[00:02.00]\xE3\x81\x8b\r\n");
    EXPECT_EQ(FindMode(QStringLiteral("t2l")), &ModeTable()[9]);
    EXPECT_EQ(FindMode(QStringLiteral("10")), FindMode(QStringLiteral("l2t")));
}

} // namespace
} // namespace tavelkor

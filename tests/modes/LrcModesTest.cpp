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
using test::WriteBytes;

QByteArray Cp932Lines(const char* barred) {
    return EncodeCp932(U(barred).replace(u'|', QStringLiteral("\r\n")));
}

QStringList Codes(const BatchState& state) {
    QStringList out;
    for (const ResultRecord& record : state.Results)
        out << QFileInfo(record.FileName).fileName() + u':' + QString::number(record.Code);
    for (const QString& path : state.RejectedFiles)
        out << QFileInfo(path).fileName() + QStringLiteral(":01");
    return out;
}

TEST(TimeTagToLrcMode, WritesEnhancedLrcInRealTimeBesideTheSource) {
    TestFolder folder;
    // No ratio in the file: the default ratio turns tag time into real time, the offset is
    // folded in, and the credit line stays an ordinary line.
    const QString source = folder.Put(
        "歌.txt", Cp932Lines("@Title=歌|@Offset=-1000|title: 歌|[00:01:00]か[00:02:00]な|"
                             "[00:03:00]ひとつ"));
    Settings settings;
    EXPECT_EQ(Codes(RunDriver(ModeTimeTagToLrc, {source}, settings)), QStringList{U("歌.txt:0")});
    EXPECT_EQ(ReadBytes(folder.File("歌.lrc")),
              Cp932Lines("[ti:歌]|title: 歌|[00:00.00]<00:00.00>か<00:01.01>な|[00:02.01]ひとつ|"));

    // TimeTag files named .lrc into .txt, line stamps in milliseconds, no ID tags.
    settings.Init.TimeRatio = 1;
    settings.T2L = {1, 1, false, true, false};
    const QString named = folder.Put("x.lrc", Cp932Lines("@Title=t|[00:01:00]a[00:01:50]b"));
    EXPECT_EQ(Codes(RunDriver(ModeTimeTagToLrc, {source, named}, settings)),
              (QStringList{U("x.lrc:0"), U("歌.txt:01")}));
    EXPECT_EQ(ReadBytes(folder.File("x.txt")), "[00:01.000]ab\r\n");
}

TEST(TimeTagToLrcMode, AFileWithoutTimeTagsIsNotConverted) {
    TestFolder folder;
    const QString lrc = folder.Put("a.txt", "[00:01.00]already LRC\r\n");
    const QString words = folder.Put("b.txt", "just words\r\n");
    Settings settings;
    EXPECT_EQ(Codes(RunDriver(ModeTimeTagToLrc, {lrc, words}, settings)),
              (QStringList{U("a.txt:6"), U("b.txt:6")}));
    EXPECT_FALSE(QFileInfo::exists(folder.File("a.lrc")));
}

TEST(LrcToTimeTagMode, ReadsUtf8AndCp932AndWritesTimeTagAtTheDefaultRatio) {
    TestFolder folder;
    const QString utf8 = folder.Put(
        "a.lrc", "\xEF\xBB\xBF[ti:\xE6\xAD\x8C]\n[offset:500]\n[00:02.00]<00:02.00>\xE3\x81\x8b"
                 "<00:03.00>\xE3\x81\xaa\n[00:01.50]first\n");
    const QString cp932 = folder.Put("b.lrc", Cp932Lines("[00:01.00]か[00:01.50]な"));
    Settings settings;
    settings.Init.TimeRatio = 1;
    EXPECT_EQ(Codes(RunDriver(ModeLrcToTimeTag, {utf8, cp932}, settings)),
              (QStringList{U("a.lrc:0"), U("b.lrc:0")}));
    EXPECT_EQ(ReadBytes(folder.File("a.txt")),
              Cp932Lines("[00:01:00]first|[00:01:50]か[00:02:50]な||@Title=歌|@TimeRatio=1|"));
    EXPECT_EQ(ReadBytes(folder.File("b.txt")),
              Cp932Lines("[00:01:00]か[00:01:50]な||@TimeRatio=1|"));

    // The player ratio: tag time = real time x 0.9953125 (995 ms is the tag 00:00:99, as a
    // tag's hundredths stay within their second); without karaoke, line-head tags.
    settings.Init.TimeRatio = DefaultRatio;
    settings.L2T = {0, 2, false}; // into .kra
    EXPECT_EQ(Codes(RunDriver(ModeLrcToTimeTag, {cp932}, settings)), QStringList{U("b.lrc:0")});
    EXPECT_EQ(ReadBytes(folder.File("b.kra")), Cp932Lines("[00:00:99]かな||@TimeRatio=0.9953125|"));
}

TEST(LrcToTimeTagMode, ResultCodesOfABatch) {
    TestFolder folder;
    const QStringList dropped = {
        folder.Put("timetag.lrc", "[00:01:00]a TimeTag file\r\n"),
        folder.Put("tags.lrc", "[ti:only tags]\r\nand words\r\n"),
        folder.Put("empty.lrc", ""),
        folder.Put("huge.lrc", (QStringLiteral("[00:01.00]").repeated(10000) +
                                QStringLiteral("<00:01.00>a").repeated(10000))
                                   .toUtf8()),
        folder.Put("short.lrc", "[00:01]short stamps read either way\r\n"),
        folder.Put("song.smi", "<SYNC Start=1000>\r\n")};
    Settings settings;
    EXPECT_EQ(Codes(RunDriver(ModeLrcToTimeTag, dropped, settings)),
              (QStringList{U("timetag.lrc:6"), U("tags.lrc:6"), U("empty.lrc:12"), U("huge.lrc:6"),
                           U("short.lrc:0"), U("song.smi:01")}));
}

// Answers every time-shift question with the same amount.
class ShiftBy : public NoQuestions {
public:
    explicit ShiftBy(int ms) : ms_(ms) {}
    ShiftAnswer AskShift(const QString&, int) override { return {false, ms_, false}; }

private:
    int ms_;
};

TEST(TimeShiftMode, ShiftsLrcFilesInPlaceInTheirOwnForm) {
    TestFolder folder;
    const QString lrc =
        folder.Put("a.lrc", "[ti:x]\n[offset:+100]\n[0:01.5][00:02]a<00:02.345>b\n");
    const QString timeTag = folder.Put("b.lrc", "[00:01:00]TimeTag under .lrc\r\n");
    const QString utf8 = folder.Put("c.lrc", "[00:01.00]\xE3\x81\x8b\r\n");
    const QString marked = folder.Put("d.lrc", "\xEF\xBB\xBF[ti:a]\r\n[00:01.00]a\r\n");
    Settings settings;
    BatchState state;
    state.DroppedFiles = {lrc, timeTag, utf8, marked};
    ShiftBy questions(1000);
    ASSERT_TRUE(RunMode(ModeTimeShift, state, settings, questions));
    // A UTF-8 file would be saved as CP932: it is left alone until saving keeps its encoding.
    EXPECT_EQ(Codes(state), (QStringList{U("a.lrc:0"), U("b.lrc:0"), U("c.lrc:6"), U("d.lrc:6")}));
    EXPECT_EQ(ReadBytes(lrc), "[ti:x]\r\n[offset:+100]\r\n[0:02.5][00:03]a<00:03.345>b\r\n");
    EXPECT_EQ(ReadBytes(timeTag), "[00:02:00]TimeTag under .lrc\r\n");
    EXPECT_EQ(ReadBytes(utf8), "[00:01.00]\xE3\x81\x8b\r\n");
    EXPECT_EQ(settings.Init.SlidemSec, 1000);
}

TEST(ModeTable, NamesAndNumbersOfTheLrcModes) {
    ASSERT_EQ(ModeTable().size(), ModeCount);
    for (int i = 0; i < ModeCount; ++i)
        EXPECT_EQ(ModeTable()[i].Index, i);
    EXPECT_EQ(FindMode(QStringLiteral("9")), FindMode(QStringLiteral("t2l")));
    EXPECT_EQ(FindMode(QStringLiteral("10")), FindMode(QStringLiteral("l2t")));
    EXPECT_EQ(FindMode(QStringLiteral("t2l"))->Index, ModeTimeTagToLrc);
    EXPECT_EQ(FindMode(QStringLiteral("l2t"))->Caption, U("LRC → TimeTag"));
    EXPECT_EQ(FindMode(QStringLiteral("11")), nullptr);
}

} // namespace
} // namespace tavelkor

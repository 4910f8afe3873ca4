#include "app/BatchFrame.h"
#include "app/ResultCodes.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using tavelkor::test::U;

namespace {

TEST(ResultCodeTexts, EveryCodeHasItsNumberedText) {
    EXPECT_EQ(ResultCodeText(0), U("00.変換成功"));
    EXPECT_EQ(ResultCodeText(1), U("01.拡張子エラー"));
    EXPECT_EQ(ResultCodeText(2), U("02.セーブエラー"));
    EXPECT_EQ(ResultCodeText(10), U("10.Ｄ＆Ｄ数エラー"));
    EXPECT_EQ(ResultCodeText(18), U("18.埋め込みエラー"));
    for (int code = 0; code < ResultCodeCount; ++code)
        EXPECT_TRUE(
            ResultCodeText(code).startsWith(QStringLiteral("%1.").arg(code, 2, 10, QChar(u'0'))));
    EXPECT_EQ(ResultCodeText(19), QString());
    EXPECT_EQ(ResultCodeText(-1), QString());
}

TEST(ResultReport, PadsNamesToOneColumnOfCp932Bytes) {
    BatchState state;
    state.DropCount = 3;
    state.Results = {{QStringLiteral("/a/ab.txt"), 0}};
    state.RejectedFiles = {QStringLiteral("/a/x.wav")};
    EXPECT_EQ(MakeResultReport(state), U("Ｄ＆Ｄファイル数 : 3\r\n\r\n"
                                         "ab.txt : 00.変換成功\r\n"
                                         "x.wav  : 01.拡張子エラー\r\n"));
}

TEST(ResultReport, CountsFullWidthCharactersAsTwoBytes) {
    BatchState state;
    state.DropCount = 2;
    state.Results = {{U("/a/歌詞.txt"), 4}, {U("/a/abcdefg.txt"), 2}};
    // "歌詞.txt" is 8 bytes, "abcdefg.txt" 11: the column is 12 bytes wide.
    EXPECT_EQ(MakeResultReport(state), U("Ｄ＆Ｄファイル数 : 2\r\n\r\n"
                                         "歌詞.txt    : 04.上書きしない\r\n"
                                         "abcdefg.txt : 02.セーブエラー\r\n"));
}

TEST(ResultReport, AllRejectedAndEmptyNames) {
    BatchState state;
    state.DropCount = 2;
    state.RejectedFiles = {QStringLiteral("/a/b.wav"), QString()};
    EXPECT_EQ(MakeResultReport(state), U("Ｄ＆Ｄファイル数 : 2\r\n\r\n"
                                         "b.wav : 01.拡張子エラー\r\n"
                                         "      : 01.拡張子エラー\r\n"));
}

TEST(HasFailures, RejectedFilesOrAnyNonZeroCode) {
    BatchState state;
    EXPECT_FALSE(HasFailures(state));
    state.Results = {{QStringLiteral("/a"), 0}, {QStringLiteral("/b"), 0}};
    EXPECT_FALSE(HasFailures(state));
    state.Results[1].Code = NotOverwritten;
    EXPECT_TRUE(HasFailures(state));
    state.Results[1].Code = 0;
    state.RejectedFiles = {QStringLiteral("/c.wav")};
    EXPECT_TRUE(HasFailures(state));
}

} // namespace

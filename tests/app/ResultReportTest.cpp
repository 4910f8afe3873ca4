#include "app/BatchFrame.h"
#include "app/ResultCodes.h"
#include "app/ResultNotes.h"
#include "app/RunQuestions.h"
#include "modes/ModeTable.h"
#include "settings/Settings.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

namespace {

// What a result line says beyond its code, found out right after the run: why a save failed
// (each cause its own words), that a file without a target was empty, and the run's summary.
TEST(ResultNotes, SayWhyASaveFailedAndThatAFileWasEmpty) {
    tavelkor::test::TestFolder folder;
    const QString readOnly = folder.Put("ro.smi", "x");
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    QDir().mkpath(folder.File("taken.smi"));
    struct Case {
        QString path;
        const char* words;
    } cases[] = {
        {folder.File("missing/a.smi"), "フォルダがありません"},
        {readOnly, "読み取り専用"},
        {folder.File("taken.smi"), "ファイル以外のもの"},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(SaveFailureText(c.path).contains(U(c.words)))
            << qPrintable(c.path) << " " << qPrintable(SaveFailureText(c.path));

    BatchState state;
    state.Results = {{folder.File("missing/a.smi"), SaveError},
                     {folder.Put("empty.txt", ""), NotTargetFile},
                     {folder.Put("full.txt", "no tags"), NotTargetFile},
                     {folder.Put("ok.txt", "x"), Converted},
                     {folder.Put("c.txt", "x"), Cancelled}};
    state.RejectedFiles = {folder.File("x.wav")};
    AddResultNotes(state);
    EXPECT_EQ(state.Results[0].Note, SaveFailureText(folder.File("missing/a.smi")));
    EXPECT_EQ(ResultOutcomeText(state.Results[1]), U("06.対象ファイル外（空のファイル）"));
    EXPECT_EQ(state.Results[2].Note, QString());
    EXPECT_EQ(state.Results[3].Note, QString());
    EXPECT_EQ(RunSummaryText(state), U("1件成功・4件エラー・1件キャンセル"));
    EXPECT_EQ(RunSummaryText(BatchState{}), QString());
}

// A run that is asked to stop starts no further file: the files done stay done (with their
// outputs), the rest get 07 and no output; the progress counts every file, on every thread.
// The stop comes from this thread's progress display while other threads go on, so on a busy
// machine they may have begun or even finished every file by then: each thread may finish the
// one file it had begun, and a run that ended before the stop is tried again.
TEST(RunProgress, AStoppedRunKeepsWhatIsDoneAndCancelsTheRest) {
    constexpr int files = 40;
    for (const int mode : {int(ModeTimeTagToSami), int(ModeTimeTagToMp3), int(ModeTimeShift)}) {
        bool stoppedMidRun = false;
        for (int attempt = 0; attempt < 20 && !stoppedMidRun; ++attempt) {
            tavelkor::test::TestFolder folder;
            BatchState state;
            for (int i = 0; i < files; ++i)
                state.DroppedFiles.append(
                    folder.Put(QStringLiteral("f%1.txt").arg(i), "[00:01:00]a\r\n"));
            BatchProgress progress;
            qsizetype shownLast = 0;
            qsizetype doneAtStop = -1;
            int shownCalls = 0;
            progress.Shown = [&](qsizetype done, qsizetype total) {
                EXPECT_EQ(total, files);
                shownLast = done;
                if (++shownCalls == 6) {
                    progress.StopRequested = true; // after five files of this thread
                    doneAtStop = progress.Done;
                }
            };
            state.Progress = &progress;
            Settings settings;
            struct SameShift : NoQuestions {
                ShiftAnswer AskShift(const QString&, int) override { return {false, 10, true}; }
            } questions;
            ASSERT_TRUE(RunMode(mode, state, settings, questions));
            ASSERT_EQ(state.Results.size(), files) << mode;
            int done = 0;
            for (const ResultRecord& record : state.Results) {
                EXPECT_TRUE(record.Code == Cancelled || !record.FileName.isEmpty());
                if (record.Code == Cancelled)
                    EXPECT_TRUE(record.OutputPath.isEmpty()) << mode;
                done += record.Code != Cancelled;
            }
            EXPECT_EQ(progress.Done, files) << mode;
            EXPECT_LE(shownLast, files);
            if (doneAtStop >= 0)
                EXPECT_LE(done, doneAtStop + 8) << mode; // eight threads at most, one file each
            stoppedMidRun = done < files;
            if (mode == ModeTimeTagToSami) {
                for (int i = 0; i < files; ++i)
                    EXPECT_EQ(QFile::exists(folder.File(QStringLiteral("f%1.smi").arg(i))),
                              state.Results[i].Code == Converted)
                        << i;
            }
        }
        EXPECT_TRUE(stoppedMidRun) << mode;
    }
}

} // namespace

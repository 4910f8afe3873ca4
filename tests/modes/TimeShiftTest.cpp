#include "app/BatchState.h"
#include "app/ResultCodes.h"
#include "app/RunQuestions.h"
#include "formats/DsmpShift.h"
#include "formats/SamiShift.h"
#include "lyrics/TimeTagReader.h"
#include "lyrics/TimeTagShift.h"
#include "modes/ModeTable.h"
#include "settings/Settings.h"

#include "TestFiles.h"

#include <QFile>
#include <QStringEncoder>
#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// Answers from a script, and counts the questions.
class ScriptedAnswers : public NoQuestions {
public:
    QList<ShiftAnswer> answers;
    int asked = 0;
    QList<int> shown;
    ShiftAnswer AskShift(const QString&, int currentMs) override {
        shown.append(currentMs);
        return answers.value(asked++, ShiftAnswer{});
    }
};

TEST(ShiftTexts, EachFormatMovesEveryTime) {
    LyricsDocument document;
    document.Text = QStringLiteral("[00:01:00]a[00:02:00]b\r\nplain\r\n");
    ParseLyricsText(document, false, false);
    struct Case {
        int shift;
        const char* first;
    };
    for (const Case& c : {Case{-1500, "[00:00:00]"}, Case{5, "[00:01:00]"}, Case{15, "[00:01:02]"},
                          Case{std::numeric_limits<int>::max(), "[99:59:99]"}}) {
        const LyricsDocument shifted = ShiftLyricsDocument(document, c.shift);
        EXPECT_EQ(shifted.Lines[0].Fragments[1].TagText, QString::fromUtf8(c.first)) << c.shift;
        EXPECT_GE(shifted.Lines[0].Fragments[2].TimeMs, shifted.Lines[0].Fragments[1].TimeMs);
        EXPECT_EQ(shifted.Lines[1].PlainText, QStringLiteral("plain"));
    }

    EXPECT_EQ(ShiftSamiText(-1500, QStringLiteral("<SYNC Start=1000>\r\n<P>x")),
              QStringLiteral("<SYNC Start=0>\r\n<P>x"));
    EXPECT_EQ(ShiftSamiText(10, QStringLiteral("  <sync start=5 >rest\r\n<SYNC Start=\"5\">")),
              QStringLiteral("<SYNC Start=15>rest\r\n<SYNC Start=\"5\">"));
    // Never wrapped around: the largest time stays the largest.
    EXPECT_EQ(ShiftSamiText(10, QStringLiteral("<SYNC Start=2147483640>")),
              QStringLiteral("<SYNC Start=2147483647>"));
    EXPECT_EQ(ShiftSamiText(5, QString()), QString());

    // Held at the latest time the form holds: three digits of minutes would read as a lyric.
    EXPECT_EQ(ShiftDsmpText(1000, U("99:59:500=あ\r\n[Text]\r\n00:00:100=b")),
              U("99:59:999=あ\r\n[Text]\r\n00:01:100=b"));
    EXPECT_EQ(ShiftDsmpText(-200, QStringLiteral("00:00:100=x\n00:01:000=y\rtail")),
              QStringLiteral("00:00:000=x\r\n00:00:800=y\r\ntail"));
}

class TimeShiftRunTest : public ::testing::Test {
protected:
    TestFolder folder;
    Settings settings;
    BatchState state;
    ScriptedAnswers questions;

    QString Put(const char* name, const QByteArray& bytes) { return folder.Put(name, bytes); }
    void Run(const QStringList& files) {
        state.DroppedFiles = files;
        ASSERT_TRUE(RunMode(ModeTimeShift, state, settings, questions));
    }
};

TEST_F(TimeShiftRunTest, RewritesEachKindInPlaceAskingOncePerFile) {
    settings.Init.SlidemSec = 250;
    questions.answers = {{false, 1000, false}, {false, -500, false}, {false, 20, false}};
    const QStringList files = {
        Put("a.txt", "@Title=T\r\n[00:01:00]a\r\n"), Put("b.smi", "<SYNC Start=1000>\r\n<P>x\r\n"),
        Put("c.lyr", "00:01:000=x\r\n"), Put("d.txt", "no times\r\n"), Put("e.wav", "")};
    Run(files);
    ASSERT_EQ(state.Results.size(), 4);
    EXPECT_EQ(state.RejectedFiles, QStringList{files[4]});
    EXPECT_EQ(state.Results[0].Code, Converted);
    EXPECT_EQ(state.Results[1].Code, Converted);
    EXPECT_EQ(state.Results[2].Code, Converted);
    EXPECT_EQ(state.Results[3].Code, NotTargetFile);
    EXPECT_EQ(questions.asked, 3); // nothing is asked for a file of no known kind
    EXPECT_EQ(questions.shown, QList<int>({250, 1000, -500}));
    EXPECT_EQ(ReadBytes(files[0]), "[00:02:00]a\r\n\r\n@Title=T\r\n");
    EXPECT_EQ(ReadBytes(files[1]), "<SYNC Start=500>\r\n<P>x\r\n");
    EXPECT_EQ(ReadBytes(files[2]), "00:01:020=x\r\n");
    EXPECT_EQ(ReadBytes(files[3]), "no times\r\n");
    EXPECT_EQ(settings.Init.SlidemSec, 20);
}

TEST_F(TimeShiftRunTest, ACancelEndsTheQuestionsAndZeroShiftsNothing) {
    const QStringList files = {Put("a.txt", "[00:01:00]a\r\n"), Put("b.txt", "[00:01:00]b\r\n")};
    questions.answers = {{true, 0, false}};
    Run(files);
    EXPECT_EQ(state.Results[0].Code, Cancelled);
    EXPECT_EQ(state.Results[1].Code, Cancelled);
    EXPECT_EQ(questions.asked, 1);
    EXPECT_EQ(ReadBytes(files[0]), "[00:01:00]a\r\n");

    questions = ScriptedAnswers();
    questions.answers = {{false, 0, true}};
    Run(files);
    EXPECT_EQ(state.Results[0].Code, Cancelled);
    EXPECT_EQ(state.Results[1].Code, Cancelled);
    EXPECT_EQ(questions.asked, 1); // "same for all"

    questions = ScriptedAnswers();
    questions.answers = {{false, 100, true}};
    Run(files);
    EXPECT_EQ(questions.asked, 1);
    EXPECT_EQ(ReadBytes(files[1]), "[00:01:10]b\r\n");
}

TEST_F(TimeShiftRunTest, AReadOnlyFileStaysAsItWas) {
    const QString file = Put("a.smi", "<SYNC Start=1000>\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
    questions.answers = {{false, 10, false}};
    Run({file});
    EXPECT_EQ(state.Results[0].Code, SaveError);
    EXPECT_TRUE(state.Results[0].Note.contains(U("読み取り専用")))
        << qPrintable(state.Results[0].Note);
    EXPECT_EQ(ReadBytes(file), "<SYNC Start=1000>\r\n");
}

TEST_F(TimeShiftRunTest, NoAcceptedFileLeavesTheAmountAlone) {
    settings.Init.SlidemSec = 77;
    Run({Put("x.wav", "")});
    EXPECT_TRUE(state.Results.isEmpty());
    EXPECT_EQ(settings.Init.SlidemSec, 77);
}

} // namespace

// The bytes a shift leaves alone: LRC files and UTF-8 files of every format keep every byte
// outside the times, line ends included (CR LF, LF or CR, with or without a last one); CP932
// TimeTag, SAMI and DSMP files come out as the program writes them, every line ended by CR LF.
TEST_F(TimeShiftRunTest, LineEndsStayWhereTheFormatOrEncodingKeepsThem) {
    struct Format {
        const char* extension;
        QStringList before;
        QStringList after; // +100 ms
        bool cp932KeepsBytes;
    };
    const Format formats[] = {
        {"txt",
         {U("[00:01:00]あ[00:01:50]い"), U("うた"), U("[00:02:00]え")},
         {U("[00:01:10]あ[00:01:60]い"), U("うた"), U("[00:02:10]え")},
         false},
        {"smi",
         {U("<SYNC Start=1000>"), U("<P>あ"), U("<SYNC Start=2000><P>い")},
         {U("<SYNC Start=1100>"), U("<P>あ"), U("<SYNC Start=2100><P>い")},
         false},
        {"lyr",
         {U("[Text]"), U("00:01:000=あ"), U("00:02:500=い")},
         {U("[Text]"), U("00:01:100=あ"), U("00:02:600=い")},
         false},
        {"lrc",
         {U("[ti:歌]"), U("[00:01.00]あ<00:01.50>い"), U("[00:02.00][00:03.00]え")},
         {U("[ti:歌]"), U("[00:01.10]あ<00:01.60>い"), U("[00:02.10][00:03.10]え")},
         true},
    };
    questions.answers = {RunQuestions::ShiftAnswer{false, 100, true}};
    int n = 0;
    for (const Format& format : formats) {
        for (const char* end : {"\r\n", "\n", "\r"}) {
            for (const bool lastEnded : {true, false}) {
                for (const bool utf8 : {true, false}) {
                    const QString endText = QString::fromLatin1(end);
                    auto join = [&](const QStringList& lines, const QString& lineEnd, bool last) {
                        return lines.join(lineEnd) + (last ? lineEnd : QString());
                    };
                    auto bytes = [&](const QString& text) {
                        return utf8 ? text.toUtf8() : QStringEncoder("CP932").encode(text);
                    };
                    const bool keeps = utf8 || format.cp932KeepsBytes;
                    const QByteArray expected =
                        bytes(keeps ? join(format.after, endText, lastEnded)
                                    : join(format.after, QStringLiteral("\r\n"), true));
                    const QString name =
                        QStringLiteral("f%1.").arg(++n) + QString::fromLatin1(format.extension);
                    const QString path =
                        folder.Put(name, bytes(join(format.before, endText, lastEnded)));
                    questions.asked = 0;
                    Run({path});
                    ASSERT_EQ(state.Results.size(), 1);
                    EXPECT_EQ(state.Results[0].Code, Converted) << qPrintable(name);
                    EXPECT_EQ(ReadBytes(path), expected)
                        << format.extension << " " << (utf8 ? "UTF-8" : "CP932") << " end "
                        << QByteArray(end).toHex().constData() << (lastEnded ? " ended" : " open");
                }
            }
        }
    }
    // A UTF-8 TimeTag file keeps the order of its lines, header lines where they stand; the
    // times of its readings move with the lyrics.
    const QString tagged = folder.Put(
        "order.txt", U("@Title=T\n[00:01:00]為替\n@Ruby1=為替,かわせ,,[00:02:00]\n").toUtf8());
    questions.asked = 0;
    Run({tagged});
    EXPECT_EQ(ReadBytes(tagged),
              U("@Title=T\n[00:01:10]為替\n@Ruby1=為替,かわせ,,[00:02:10]\n").toUtf8());

    // A CP932 file is composed anew: the header block comes after the lyrics, and the
    // directives the program does not know (or cannot read) stay there in their order.
    const QString composed = folder.Put(
        "unknown.txt", QStringEncoder("CP932").encode(U(
                           "@Foo=bar\r\n@Title=T\r\n@Offset=soon\r\n[00:01:00]為替\r\n"
                           "@Ruby1=為替,かわせ,[00:01:00]\r\n@Ruby=x\r\n@TimeType=odd\r\n")));
    questions.asked = 0;
    Run({composed});
    EXPECT_EQ(ReadBytes(composed),
              QStringEncoder("CP932").encode(
                  U("[00:01:10]為替\r\n\r\n@Title=T\r\n@Ruby1=為替,かわせ,[00:01:10]\r\n"
                    "@Foo=bar\r\n@Offset=soon\r\n@Ruby=x\r\n@TimeType=odd\r\n")));
}

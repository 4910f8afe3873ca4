#include "app/BatchState.h"
#include "app/ResultCodes.h"
#include "app/RunQuestions.h"
#include "modes/ModeTable.h"
#include "settings/Settings.h"

#include "TestFiles.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

class Choice : public NoQuestions {
public:
    int winner = -1;
    int asked = 0;
    int AskWhichNameWins(const QString&, const QString&) override {
        ++asked;
        return winner;
    }
};

class NameMatchTest : public ::testing::Test {
protected:
    TestFolder folder;
    Settings settings;
    BatchState state;
    Choice choice;

    QString Put(const char* name) { return folder.Put(name, name); }
    ResultRecord Run(const QStringList& files) {
        state.DroppedFiles = files;
        EXPECT_TRUE(RunMode(ModeNameMatch, state, settings, choice));
        EXPECT_EQ(state.Results.size(), 1);
        EXPECT_TRUE(state.RejectedFiles.isEmpty());
        return state.Results.value(0);
    }
};

TEST_F(NameMatchTest, RefusalsComeBeforeTheQuestion) {
    const QString a = Put("a.txt");
    EXPECT_EQ(Run({a}).Code, DropCountError);
    EXPECT_EQ(Run({a}).FileName, QString());
    EXPECT_EQ(Run({a, Put("b.mp3"), Put("c.lrc")}).Code, DropCountError);
    const ResultRecord same = Run({Put("one/song.MP3"), Put("two/other.mp3")});
    EXPECT_EQ(same.Code, SameExtension);
    EXPECT_EQ(same.FileName, folder.File("one/song.MP3"));
    EXPECT_EQ(Run({Put("Lyrics.txt"), Put("lyrics.mp3")}).Code, SameNameAlready);
    EXPECT_EQ(choice.asked, 0);
}

TEST_F(NameMatchTest, TheChosenNameWinsInTheOtherFilesFolder) {
    const QString a = Put("a.txt");
    const QString b = Put("sub/b.mp3");
    choice.winner = 0;
    const ResultRecord upper = Run({a, b});
    EXPECT_EQ(upper.Code, Converted);
    // The result names the file that was renamed and its new name.
    EXPECT_EQ(upper.FileName, b);
    EXPECT_EQ(upper.OutputPath, folder.File("sub/a.mp3"));
    EXPECT_EQ(ResultOutcomeText(upper), U("00.変換成功（a.mp3 に名前を変更）"));
    EXPECT_EQ(ReadBytes(folder.File("sub/a.mp3")), "sub/b.mp3");
    EXPECT_FALSE(QFile::exists(b));

    const QString c = Put("c.lrc");
    choice.winner = 1;
    EXPECT_EQ(Run({c, folder.File("sub/a.mp3")}).Code, Converted);
    EXPECT_EQ(ReadBytes(folder.File("a.lrc")), "c.lrc");

    choice.winner = -1;
    const ResultRecord cancelled = Run({Put("d.txt"), Put("e.mp3")});
    EXPECT_EQ(cancelled.Code, Cancelled);
    EXPECT_EQ(cancelled.FileName, folder.File("d.txt"));
}

TEST_F(NameMatchTest, NeverRenamesOverAnExistingName) {
    const QString a = Put("a.txt");
    const QString b = Put("b.mp3");
    Put("a.mp3");
    choice.winner = 0;
    const ResultRecord taken = Run({a, b});
    EXPECT_EQ(taken.Code, AlreadyExists);
    EXPECT_EQ(taken.FileName, folder.File("a.mp3"));
    EXPECT_EQ(ReadBytes(folder.File("a.mp3")), "a.mp3");
    EXPECT_EQ(ReadBytes(b), "b.mp3");

    // A folder of that name counts as taken too.
    QDir().mkpath(folder.File("x.mp3"));
    EXPECT_EQ(Run({Put("x.txt"), Put("y.mp3")}).Code, AlreadyExists);
}

} // namespace

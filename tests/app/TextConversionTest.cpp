#include "app/BatchFrame.h"
#include "modes/ModeTable.h"
#include "settings/Settings.h"

#include "TestFiles.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

const QByteArray Lyrics = "[00:01:00]a\r\n@TimeRatio=1\r\n";

class TextConversionTest : public ::testing::Test {
protected:
    TestFolder folder;
    Settings settings;
    BatchState state;
};

TEST_F(TextConversionTest, TheOutputFolderSettingFollowsTheLastFileThatGotAnOutput) {
    const QString first = folder.Put(QStringLiteral("one/a.txt"), Lyrics);
    const QString second = folder.Put(QStringLiteral("two/b.txt"), Lyrics);
    const QString untagged = folder.Put(QStringLiteral("three/c.txt"), "no tags\r\n");
    settings.Init.AnotherFolder = QStringLiteral("/unchanged/");
    state.DroppedFiles = {first, second, untagged};
    ASSERT_TRUE(RunMode(ModeTimeTagToSami, state, settings));
    ASSERT_EQ(state.Results.size(), 3);
    EXPECT_EQ(state.Results[0].Code, Converted);
    EXPECT_EQ(state.Results[1].Code, Converted);
    EXPECT_EQ(state.Results[2].Code, NotTargetFile);
    EXPECT_EQ(settings.Init.AnotherFolder, folder.File("two/"));

    state.DroppedFiles = {untagged};
    ASSERT_TRUE(RunMode(ModeTimeTagToSami, state, settings));
    EXPECT_EQ(settings.Init.AnotherFolder, folder.File("two/"));
}

TEST_F(TextConversionTest, FilesWritingTheSameOutputKeepTheirOrder) {
    // Both write out/x.smi: the first creates it, the second finds it and must not replace it.
    const QString first = folder.Put(QStringLiteral("a/x.txt"), "[00:01:00]first\r\n");
    const QString second = folder.Put(QStringLiteral("b/x.txt"), "[00:02:00]second\r\n");
    QDir().mkpath(folder.File("out"));
    settings.Init.SameFolder = false;
    settings.Init.AnotherFolder = folder.File("out");
    settings.Init.OverWrite = false;
    for (int round = 0; round < 20; ++round) {
        QFile::remove(folder.File("out/x.smi"));
        state.DroppedFiles = {first, second};
        ASSERT_TRUE(RunMode(ModeTimeTagToSami, state, settings));
        EXPECT_EQ(state.Results[0].Code, Converted);
        EXPECT_EQ(state.Results[1].Code, NotOverwritten);
        EXPECT_TRUE(ReadBytes(folder.File("out/x.smi")).contains("first"));
    }
}

TEST_F(TextConversionTest, AnOutputThatIsALaterFilesSourceIsWrittenFirst) {
    // DSMP to TimeTag with "txt" on both sides: the first file's output replaces the second
    // file's source before the second file is read, as in a one-by-one run.
    settings.D2T.ExtOrg = 2;
    settings.D2T.ExtNew = 0;
    settings.Init.SameFolder = false;
    settings.Init.AnotherFolder = folder.File("b");
    const QString first = folder.Put(QStringLiteral("a/x.txt"), "00:01:000=from a\r\n");
    const QString second = folder.Put(QStringLiteral("b/x.txt"), "00:02:000=from b\r\n");
    state.DroppedFiles = {first, second};
    ASSERT_TRUE(RunMode(ModeDsmpToTimeTag, state, settings));
    EXPECT_EQ(state.Results[0].Code, Converted);
    EXPECT_EQ(state.Results[1].Code, Converted);
    EXPECT_TRUE(ReadBytes(second).contains("from a"));
}

TEST_F(TextConversionTest, ManyFilesGiveTheirResultsInDropOrder) {
    QStringList expected;
    for (int i = 0; i < 300; ++i) {
        const bool tagged = i % 7 != 3;
        expected.append(folder.Put(QStringLiteral("many/%1.txt").arg(i),
                                   tagged ? QByteArray("[00:01:00]x\r\n") : QByteArray("x\r\n")));
    }
    state.DroppedFiles = expected;
    ASSERT_TRUE(RunMode(ModeTimeTagToSami, state, settings));
    ASSERT_EQ(state.Results.size(), 300);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(state.Results[i].FileName, expected[i]);
        EXPECT_EQ(state.Results[i].Code, i % 7 != 3 ? Converted : NotTargetFile);
    }
    EXPECT_EQ(state.DropCount, 300);
    EXPECT_TRUE(state.DroppedFiles.isEmpty());
}

} // namespace

namespace {

TEST_F(TextConversionTest, OneFileUnderTwoNamesIsConvertedOneAfterTheOther) {
    // DSMP to TimeTag with "txt" on both sides writes each output over its own source; the
    // link names the same file, so its conversion must read what the first one wrote.
    settings.D2T.ExtOrg = 2;
    settings.D2T.ExtNew = 0;
    settings.D2T.Karaoke = false;
    const QString real = folder.Put(QStringLiteral("song.txt"), "00:01:000=ab\r\n");
    const QString link = folder.File("link.txt");
    ASSERT_EQ(::symlink("song.txt", QFile::encodeName(link).constData()), 0);
    for (int round = 0; round < 10; ++round) {
        ASSERT_TRUE(WriteBytes(real, "00:01:000=ab\r\n"));
        state.DroppedFiles = {real, link};
        ASSERT_TRUE(RunMode(ModeDsmpToTimeTag, state, settings));
        EXPECT_EQ(state.Results[0].Code, Converted);
        // The second conversion reads the TimeTag text the first one wrote: its lines come
        // back as untimed lyrics, the ratio line among them, and a new ratio line follows.
        EXPECT_EQ(state.Results[1].Code, Converted);
        EXPECT_EQ(ReadBytes(real).count("@TimeRatio="), 2) << ReadBytes(real).toStdString();
        EXPECT_TRUE(QFileInfo(link).isSymLink());
    }
}

TEST_F(TextConversionTest, ANegativeDefaultRatioRetimesAsOneAndTheSettingReadsOne) {
    const QString dsmp = folder.Put(QStringLiteral("a.lyr"), "Adjust=300\r\n00:01:000=ab\r\n");
    const QString empty = folder.Put(QStringLiteral("e.smi"), "<SAMI></SAMI>\r\n");
    settings.Init.TimeRatio = -0.5;
    state.DroppedFiles = {empty};
    ASSERT_TRUE(RunMode(ModeSamiToTimeTag, state, settings));
    EXPECT_EQ(settings.Init.TimeRatio, -0.5); // no document had lines to re-time

    state.DroppedFiles = {dsmp};
    ASSERT_TRUE(RunMode(ModeDsmpToTimeTag, state, settings));
    EXPECT_EQ(state.Results[0].Code, Converted);
    EXPECT_EQ(ReadBytes(folder.File("a.txt")), "[00:01:30]ab\r\n\r\n@TimeRatio=1\r\n");
    EXPECT_EQ(settings.Init.TimeRatio, 1.0);
}

} // namespace

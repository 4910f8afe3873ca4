#include "app/BatchFrame.h"

#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

mode_t ModeOf(const QString& path) {
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(FilterByExtension, KeepsAcceptedExtensionsInAnyLetterCaseAndRejectsTheRest) {
    BatchState state;
    state.DroppedFiles = {QStringLiteral("/a/one.LRC"), QStringLiteral("/a/two.txt"),
                          QStringLiteral("/a/noext"), QStringLiteral("/a/folder.d"),
                          QStringLiteral("/a/three.lrc")};
    state.RejectedFiles = {QStringLiteral("/old/left.over")};
    FilterByExtension(state, {QStringLiteral("lrc")});
    EXPECT_EQ(state.DroppedFiles,
              QStringList({QStringLiteral("/a/one.LRC"), QStringLiteral("/a/three.lrc")}));
    EXPECT_EQ(state.RejectedFiles,
              QStringList({QStringLiteral("/a/two.txt"), QStringLiteral("/a/noext"),
                           QStringLiteral("/a/folder.d")}));
}

TEST(FilterByExtension, AnEmptyListFiltersNothing) {
    BatchState state;
    state.DroppedFiles = {QStringLiteral("/a/x.wav"), QStringLiteral("/a/y")};
    FilterByExtension(state, {});
    EXPECT_EQ(state.DroppedFiles.size(), 2);
    EXPECT_TRUE(state.RejectedFiles.isEmpty());
}

TEST(MakeOutputPath, BesideTheSourceRecordsTheSourceFolder) {
    QString folder = QStringLiteral("/elsewhere/");
    EXPECT_EQ(MakeOutputPath(QStringLiteral("/music/song.backup.txt"), QStringLiteral("smi"), true,
                             folder),
              QStringLiteral("/music/song.backup.smi"));
    EXPECT_EQ(folder, QStringLiteral("/music/"));
}

TEST(MakeOutputPath, IntoTheOutputFolderAddsTheSeparatorToTheSetting) {
    QString folder = QStringLiteral("/out");
    EXPECT_EQ(
        MakeOutputPath(QStringLiteral("/music/song.txt"), QStringLiteral("lyr"), false, folder),
        QStringLiteral("/out/song.lyr"));
    EXPECT_EQ(folder, QStringLiteral("/out/"));
    QString none;
    EXPECT_EQ(MakeOutputPath(QStringLiteral("/music/song.txt"), QStringLiteral("lyr"), false, none),
              QString());
}

class SavingTest : public ::testing::Test {
protected:
    TestFolder folder;
    QString target = folder.File("out.smi");
};

TEST_F(SavingTest, CheckOutputPathNeverCreatesOrChangesAnything) {
    EXPECT_EQ(CheckOutputPath(target, true), Converted);
    EXPECT_FALSE(QFileInfo::exists(target));

    ASSERT_TRUE(WriteBytes(target, "old"));
    EXPECT_EQ(CheckOutputPath(target, false), NotOverwritten);
    EXPECT_EQ(CheckOutputPath(target, true), Converted);
    EXPECT_EQ(ReadBytes(target), QByteArray("old"));

    EXPECT_EQ(CheckOutputPath(QString(), true), Converted);
    EXPECT_EQ(CheckOutputPath(folder.File("missing/out.smi"), true), SaveError);
    ASSERT_TRUE(QDir(folder.Path()).mkdir(QStringLiteral("dir.smi")));
    EXPECT_EQ(CheckOutputPath(folder.File("dir.smi"), true), SaveError);
    EXPECT_EQ(CheckOutputPath(folder.File("dir.smi"), false), SaveError);
}

TEST_F(SavingTest, WritesCp932WithExactlyOneFinalLineBreak) {
    ASSERT_TRUE(SaveTextFile(target, U("a～\r\n\r\n\r\n")));
    EXPECT_EQ(ReadBytes(target), QByteArray("a\x81\x60\r\n"));
    ASSERT_TRUE(SaveTextFile(target, QStringLiteral("no break")));
    EXPECT_EQ(ReadBytes(target), QByteArray("no break\r\n"));
    ASSERT_TRUE(SaveTextFile(target, QString()));
    EXPECT_EQ(ReadBytes(target), QByteArray("\r\n"));
    EXPECT_EQ(Entries(folder.Path()), QStringList({QStringLiteral("out.smi")}));
}

TEST_F(SavingTest, ReplacingKeepsTheTargetsPermissions) {
    ASSERT_TRUE(WriteBytes(target, "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    ASSERT_TRUE(SaveTextFile(target, QStringLiteral("new")));
    EXPECT_EQ(ReadBytes(target), QByteArray("new\r\n"));
    EXPECT_EQ(ModeOf(target), mode_t(0640));
}

TEST_F(SavingTest, ANewFileGetsTheUsualPermissions) {
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(SaveTextFile(target, QStringLiteral("new")));
    ::umask(mask);
    EXPECT_EQ(ModeOf(target), mode_t(0644));
}

TEST_F(SavingTest, AReadOnlyTargetIsRefusedAndLeftByteForByte) {
    // Judged by the file's own permission bits, also when root runs the program.
    ASSERT_TRUE(WriteBytes(target, QByteArray("keep\x81\x60", 6)));
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0444), 0);
    EXPECT_EQ(CheckOutputPath(target, true), SaveError);
    EXPECT_FALSE(SaveTextFile(target, QStringLiteral("new")));
    EXPECT_EQ(ReadBytes(target), QByteArray("keep\x81\x60", 6));
    EXPECT_EQ(ModeOf(target), mode_t(0444));
    EXPECT_EQ(Entries(folder.Path()), QStringList({QStringLiteral("out.smi")}));
}

TEST_F(SavingTest, ALinkStaysALinkAndItsTargetGetsTheText) {
    const QString real = folder.File("real.smi");
    ASSERT_TRUE(WriteBytes(real, "old"));
    ASSERT_EQ(::symlink("real.smi", QFile::encodeName(target).constData()), 0);
    EXPECT_EQ(CheckOutputPath(target, true), Converted);
    ASSERT_TRUE(SaveTextFile(target, QStringLiteral("new")));
    EXPECT_TRUE(QFileInfo(target).isSymLink());
    EXPECT_EQ(ReadBytes(real), QByteArray("new\r\n"));
}

TEST_F(SavingTest, ALongNameStillSaves) {
    const QString longName = folder.File(QString(240, u'n') + QStringLiteral(".smi"));
    ASSERT_TRUE(SaveTextFile(longName, QStringLiteral("x")));
    EXPECT_EQ(ReadBytes(longName), QByteArray("x\r\n"));
}

TEST_F(SavingTest, NoFolderNoFile) {
    EXPECT_FALSE(SaveTextFile(QString(), QStringLiteral("x")));
    EXPECT_FALSE(SaveTextFile(folder.File("missing/out.smi"), QStringLiteral("x")));
    EXPECT_FALSE(SaveTextFile(folder.Path() + u'/', QStringLiteral("x")));
}

// The two ways a text is saved: on its own, and as a batch saves an output (check and save in
// one step).
const std::pair<const char*, std::function<bool(const QString&, const QString&)>> Savers[] = {
    {"SaveTextFile",
     [](const QString& path, const QString& text) { return SaveTextFile(path, text); }},
    {"SaveOutput",
     [](const QString& path, const QString& text) {
         ResultRecord record;
         SaveOutput(path, text, TextEncoding::Cp932, true, record);
         return record.Code == Converted && record.OutputPath == path;
     }},
};

// A write that fails part-way (a file-size limit in a child) leaves an old target byte for
// byte, and where there was none, no file at all: the file created for the text is removed.
TEST_F(SavingTest, AWriteThatFailsPartWayLeavesTheFolderAsItWas) {
    const QByteArray old = "old content that must survive\r\n";
    const QString text(100000, u'x');
    for (const auto& [name, save] : Savers) {
        for (const bool existing : {true, false}) {
            SCOPED_TRACE(std::string(name) + (existing ? ", over a file" : ", no file yet"));
            QFile::remove(target);
            if (existing)
                ASSERT_TRUE(WriteBytes(target, old));
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                // The child may write at most 4 KB per file: the save runs out part-way.
                std::signal(SIGXFSZ, SIG_IGN);
                struct rlimit limit {
                    4096, 4096
                };
                ::setrlimit(RLIMIT_FSIZE, &limit);
                ::_exit(save(target, text) ? 1 : 0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed save was reported as written";
            if (existing)
                EXPECT_EQ(ReadBytes(target), old);
            EXPECT_EQ(Entries(folder.Path()),
                      existing ? QStringList({QStringLiteral("out.smi")}) : QStringList());
        }
    }
}

// An existing file is never opened for writing: the new text comes as a new file renamed over
// it, so a second name of the old file (a hard link, a reader holding it open) keeps the old
// bytes. A missing target is made without a temporary file.
TEST_F(SavingTest, AnExistingFileIsReplacedNeverWrittenInPlace) {
    const QString second = folder.File("second.smi");
    for (const auto& [name, save] : Savers) {
        SCOPED_TRACE(name);
        QFile::remove(target);
        QFile::remove(second);
        ASSERT_TRUE(save(target, QStringLiteral("first")));
        EXPECT_EQ(Entries(folder.Path()), QStringList({QStringLiteral("out.smi")}));
        ASSERT_EQ(
            ::link(QFile::encodeName(target).constData(), QFile::encodeName(second).constData()),
            0);
        ASSERT_TRUE(save(target, QStringLiteral("again")));
        EXPECT_EQ(ReadBytes(target), QByteArray("again\r\n"));
        EXPECT_EQ(ReadBytes(second), QByteArray("first\r\n"));
        EXPECT_NE(StatOf(target).st_ino, StatOf(second).st_ino);
        EXPECT_EQ(Entries(folder.Path()),
                  QStringList({QStringLiteral("out.smi"), QStringLiteral("second.smi")}));
    }
}

} // namespace

#include "app/BatchFrame.h"
#include "settings/Settings.h"

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

// ---- Paths: every check of the batch frame with links, dangling links and folders --------

// What is at `path`, following links: "missing", "folder", "file <content>" (with
// "read-only"), "link to " one of these, or "link to nothing".
std::string Describe(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info;
    if (::lstat(native.constData(), &info) != 0)
        return "missing";
    std::string link;
    if (S_ISLNK(info.st_mode)) {
        if (::stat(native.constData(), &info) != 0)
            return "link to nothing";
        link = "link to ";
    }
    if (S_ISDIR(info.st_mode))
        return link + "folder";
    const std::string readOnly = (info.st_mode & 0222) == 0 ? "read-only " : "";
    return link + readOnly + "file " + ReadBytes(path).trimmed().toStdString();
}

TEST(OutputPathTest, EveryCheckFollowsLinksAndRefusesFolders) {
    // What stands at the output's name ("out") or in place of the output folder ("dest"):
    // made inside the test folder, links pointing at "real"; Absent: an output folder that is
    // not there.
    enum Thing {
        Nothing,
        File,
        ReadOnlyFile,
        Folder,
        LinkToFile,
        LinkToReadOnly,
        LinkToFolder,
        LinkToLinkToFile,
        Dangling,
        Absent
    };
    struct Row {
        const char* name;
        Thing output;       // at song.out beside the source
        Thing outputFolder; // Nothing: the output goes beside the source
        bool overwrite;
        ResultCode code;
        std::string after; // Describe() of the output afterwards
    };
    const Row rows[] = {
        {"no output yet", Nothing, Nothing, false, Converted, "file new"},
        {"a file, kept", File, Nothing, false, NotOverwritten, "file old"},
        {"a file, overwritten", File, Nothing, true, Converted, "file new"},
        {"a read-only file", ReadOnlyFile, Nothing, true, SaveError, "read-only file old"},
        {"a link to a file, kept", LinkToFile, Nothing, false, NotOverwritten, "link to file old"},
        {"a link to a file, overwritten", LinkToFile, Nothing, true, Converted, "link to file new"},
        {"a link to a link to a file, kept", LinkToLinkToFile, Nothing, false, NotOverwritten,
         "link to file old"},
        {"a link to a link to a file, overwritten", LinkToLinkToFile, Nothing, true, Converted,
         "link to file new"},
        {"a link to a read-only file, kept", LinkToReadOnly, Nothing, false, NotOverwritten,
         "link to read-only file old"},
        {"a link to a read-only file, overwritten", LinkToReadOnly, Nothing, true, SaveError,
         "link to read-only file old"},
        {"a link to a folder, kept", LinkToFolder, Nothing, false, SaveError, "link to folder"},
        {"a link to a folder, overwritten", LinkToFolder, Nothing, true, SaveError,
         "link to folder"},
        {"a dangling link, kept", Dangling, Nothing, false, Converted, "file new"},
        {"a dangling link, overwritten", Dangling, Nothing, true, Converted, "file new"},
        {"a folder, kept", Folder, Nothing, false, SaveError, "folder"},
        {"a folder, overwritten", Folder, Nothing, true, SaveError, "folder"},
        {"output folder", Nothing, Folder, false, Converted, "file new"},
        {"output folder missing", Nothing, Absent, false, SaveError, "missing"},
        {"output folder is a link to a folder", Nothing, LinkToFolder, false, Converted,
         "file new"},
        {"output folder is a link to a file", Nothing, LinkToFile, false, SaveError, "missing"},
        {"output folder is a dangling link", Nothing, Dangling, false, SaveError, "missing"},
        {"output folder is a file", Nothing, File, false, SaveError, "missing"},
        {"a link to a file in the output folder, kept", LinkToFile, Folder, false, NotOverwritten,
         "link to file old"},
    };
    ModeInfo mode{};
    mode.AcceptedExtensions = [](const Settings&) { return QStringList{QStringLiteral("txt")}; };
    mode.OutputExtension = [](const Settings&) { return QStringLiteral("out"); };
    const TextConverter convert = [](const QString&) {
        return ConvertedText{Converted, QStringLiteral("new"), {}};
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TestFolder folder;
        const QString source = folder.Put("song.txt", "[00:01:00]a");
        const auto make = [&](Thing thing, const QString& at) {
            const QByteArray native = QFile::encodeName(at);
            const QByteArray real = QFile::encodeName(folder.File("real"));
            switch (thing) {
            case Nothing:
            case Absent:
                return;
            case File:
            case ReadOnlyFile:
                folder.Put(at.mid(folder.Path().size() + 1), "old");
                if (thing == ReadOnlyFile)
                    ASSERT_EQ(::chmod(native.constData(), 0444), 0);
                return;
            case Folder:
                ASSERT_TRUE(QDir().mkpath(at));
                return;
            case LinkToFile:
            case LinkToReadOnly:
                folder.Put("real", "old");
                if (thing == LinkToReadOnly)
                    ASSERT_EQ(::chmod(real.constData(), 0444), 0);
                break;
            case LinkToLinkToFile:
                folder.Put("real2", "old");
                ASSERT_EQ(::symlink("real2", real.constData()), 0);
                break;
            case LinkToFolder:
                ASSERT_TRUE(QDir().mkpath(folder.File("real")));
                break;
            case Dangling:
                break;
            }
            ASSERT_EQ(::symlink(real.constData(), native.constData()), 0);
        };
        const QString dest = folder.File("dest");
        make(row.outputFolder, dest);
        const QString output = row.outputFolder == Nothing ? folder.File("song.out")
                                                           : dest + QStringLiteral("/song.out");
        make(row.output, output);

        Settings settings;
        settings.Init.OverWrite = row.overwrite;
        settings.Init.SameFolder = row.outputFolder == Nothing;
        settings.Init.AnotherFolder = dest;
        BatchState state;
        state.DroppedFiles = {source};
        RunTextConversion(mode, state, settings, convert);
        ASSERT_EQ(state.Results.size(), 1);
        EXPECT_EQ(state.Results[0].Code, row.code);
        EXPECT_EQ(Describe(output), row.after);
        EXPECT_EQ(ReadBytes(source), "[00:01:00]a");
    }
}

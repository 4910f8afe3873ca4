// Changes to audio files are all or nothing: a write that fails part-way, or a program that
// stops in the middle of one, leaves the file byte for byte as it was; the file keeps its
// inode, permissions and links, and a read-only file is never touched.
#include "SongFileBuilders.h"
#include "audio/UndoJournal.h"
#include "audio/Vbmp3.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// Lets writes reach at most `limit` bytes into any file: the write that crosses it stops
// short and the next one fails, as on a full disk. SIGXFSZ is ignored, so the failure is
// reported to the program as an error.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = old_;
        limited.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

struct Song {
    const char* name;
    const char* file;
    QByteArray bytes;
};

QVector<Song> Songs() {
    const QByteArray audio = Frames(40);
    return {
        {"MP3 with lyrics", "song.mp3",
         audio + ApeTag("Title", "t", true) + Lyrics3v2({{"IND", "10"}, {"LYR", "old"}}) +
             Id3v1Tag("t")},
        {"MP3 without tags", "song.mp3", audio},
        {"RMP", "song.rmp",
         RmpFile(audio, InfoList(RiffChunk("ILYC", QByteArray("old", 4)) +
                                 RiffChunk("IID3", Id3v1Tag("t"))))},
    };
}

const QByteArray LongLyrics = QByteArray("[00:01:00]") + QByteArray(3000, 'x') + "\r\n";

class SafeChangeTest : public ::testing::Test {
protected:
    TestFolder folder;
};

TEST_F(SafeChangeTest, AWriteThatFailsPartWayLeavesTheFileAsItWas) {
    for (const Song& song : Songs()) {
        SCOPED_TRACE(song.name);
        const QString path = folder.File(song.file);
        ASSERT_TRUE(WriteBytes(path, song.bytes));
        short result = 0;
        {
            // Room for the journal and for a few bytes of the new end, not for all of it.
            FileSizeLimit limit(rlim_t(song.bytes.size() + 100));
            result = Embed(path, LongLyrics);
        }
        EXPECT_EQ(result, 0);
        EXPECT_EQ(ReadBytes(path), song.bytes);
        EXPECT_EQ(Entries(folder.Path()), QStringList(QString::fromUtf8(song.file)));
        QFile::remove(path);
    }
}

// Gives the file at `path` new bytes in a new inode, as a FAT file system numbers its files
// anew at every mount, or as another file taking the name does.
void Renumber(const QString& path, const QByteArray& bytes) {
    const QString other = path + QStringLiteral(".other");
    ASSERT_TRUE(WriteBytes(other, bytes));
    ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()),
              0);
}

// A child process is killed by SIGXFSZ in the middle of writing the new end of the song.
void CutShort(const QString& path, const QByteArray& song) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        rlimit limited{};
        ::getrlimit(RLIMIT_FSIZE, &limited);
        limited.rlim_cur = rlim_t(song.size() + 100);
        ::setrlimit(RLIMIT_FSIZE, &limited);
        Embed(path, LongLyrics);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
    ASSERT_NE(ReadBytes(path), song); // half-changed
}

// Also when the song's number changed meanwhile (the journal's anchors find it), and a journal
// whose song was replaced by another is dropped without touching it.
TEST_F(SafeChangeTest, AChangeCutShortByTheProgramStoppingIsUndoneOnTheNextLook) {
    for (const Song& song : Songs()) {
        for (const char* then : {"the same file", "renumbered", "another song"}) {
            SCOPED_TRACE(testing::Message() << song.name << ", " << then);
            const QString path = folder.File(song.file);
            ASSERT_TRUE(WriteBytes(path, song.bytes));
            CutShort(path, song.bytes);
            ASSERT_EQ(Entries(folder.Path()).size(), 2); // with its journal
            QByteArray other;                            // another recording: every frame differs
            for (int i = 0; i < 41; ++i)
                other += Frame(char(100 + i));
            other += Id3v1Tag("other");
            if (then != std::string("the same file"))
                Renumber(path, then == std::string("renumbered") ? ReadBytes(path) : other);

            EXPECT_EQ(vbmp3_getFileType(path) & AudioDamaged, 0);
            EXPECT_EQ(ReadBytes(path), then == std::string("another song") ? other : song.bytes);
            EXPECT_EQ(Entries(folder.Path()), QStringList(QString::fromUtf8(song.file)));
            QFile::remove(path);
        }
    }
}

TEST_F(SafeChangeTest, AnIncompleteOrForeignJournalIsDroppedWithoutTouchingTheFile) {
    const QString path = folder.File("song.mp3");
    const QByteArray song = Frames(3) + Id3v1Tag("t");
    for (const QByteArray& journal :
         {QByteArray("TVKUNDO1 cut short"), QByteArray(), QByteArray("something else entirely")}) {
        ASSERT_TRUE(WriteBytes(path, song));
        ASSERT_TRUE(WriteBytes(UndoJournalPath(path), journal));
        EXPECT_EQ(vbmp3_getFileType(path), 0);
        EXPECT_EQ(ReadBytes(path), song);
        EXPECT_EQ(Entries(folder.Path()), QStringList(QStringLiteral("song.mp3")));
    }
}

TEST_F(SafeChangeTest, TheFileKeepsItsInodePermissionsAndLinks) {
    const QString real = folder.File("real.mp3");
    const QString link = folder.File("link.mp3");
    const QString hardLink = folder.File("hard.mp3");
    ASSERT_TRUE(WriteBytes(real, Frames(3) + Id3v1Tag("t")));
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_EQ(::link(QFile::encodeName(real).constData(), QFile::encodeName(hardLink).constData()),
              0);
    const ino_t inode = StatOf(real).st_ino;

    ASSERT_EQ(Embed(link, LongLyrics), 1);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(StatOf(real).st_ino, inode);
    EXPECT_EQ(StatOf(real).st_mode & 07777, 0640u);
    EXPECT_EQ(Extract(hardLink), LongLyrics);
    ASSERT_EQ(vbmp3_delFileLyrics3Info(link), 1);
    EXPECT_EQ(ReadBytes(hardLink), Frames(3) + Id3v1Tag("t"));
    EXPECT_EQ(Entries(folder.Path()).size(), 3);
}

TEST_F(SafeChangeTest, AReadOnlyFileIsRefused) {
    const QString path = folder.File("song.mp3");
    const QByteArray song = Frames(3) + Lyrics3v2({{"LYR", "old"}}) + Id3v1Tag("t");
    ASSERT_TRUE(WriteBytes(path, song));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    EXPECT_EQ(Embed(path, "[00:01:00]new\r\n"), 0);
    EXPECT_EQ(vbmp3_delFileLyrics3Info(path), 0);
    EXPECT_EQ(ReadBytes(path), song);
    EXPECT_EQ(Extract(path), "old"); // reading still works
}

// Embedding touches only the end of the file: the song keeps its inode (it is not copied and
// renamed) and its frames stay byte for byte. How long it takes is measured in bench/.
TEST_F(SafeChangeTest, EmbeddingIntoALargeSongChangesItInPlace) {
    const QString path = folder.File("large.mp3");
    const QByteArray frames = Frames(2400 * 4); // about 4 MB
    ASSERT_TRUE(WriteBytes(path, frames + Id3v1Tag("t")));
    struct stat before;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    ASSERT_EQ(Embed(path, LongLyrics), 1);
    struct stat after;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(Extract(path), LongLyrics);
    EXPECT_EQ(ReadBytes(path).left(frames.size()), frames);
}

} // namespace

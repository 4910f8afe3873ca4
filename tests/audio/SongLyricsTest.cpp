// The ID3v2 lyrics frames in real song files: written in place under the undo journal when the
// tag has room or the file system inserts blocks for it, else through a whole new file renamed
// over the song; either way the audio stays byte for byte, the song keeps its permissions and
// owner, and a program killed at any point is undone by the next look at the song. Also the ID3v1
// tag that embedding adds, and SYLT times counted in MPEG frames.
#include "audio/SongLyrics.h"
#include "KilledAtSystemCall.h"
#include "SongFileBuilders.h"
#include "audio/Id3Tags.h"
#include "audio/SongRewrite.h"
#include "audio/UndoJournal.h"
#include "base/Cp932.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

const QByteArray Audio = Frames(40);
const QByteArray Title = Id3Frame(3, "TIT2", '\1' + Utf16WithBom(U("曲名")));
const QByteArray RoomySong = Id3Tag(3, 0, Title, 8192) + Audio + Id3v1Tag("t");
const QByteArray FullSong = Id3Tag(3, 0, Title, 0) + Audio + Id3v1Tag("t");

Id3LyricsFrames Lyrics(int lines = 3) {
    Id3LyricsFrames frames{"jpn", {}, {}};
    for (int i = 0; i < lines; ++i) {
        frames.Synced.append({(i > 0 ? QStringLiteral("\n") : QString()) + U("歌詞"), 1000 * i});
        frames.Unsynced += U("歌詞\n");
    }
    return frames;
}

bool Embed(const QString& path, const Id3LyricsFrames& frames) {
    Lyrics3InfoRecord info;
    info.Indication1 = info.Indication2 = '1';
    return EmbedSongLyrics(path, info, BlankFilled("[00:01:00]lyrics"), &frames);
}

// The audio frames are where the new tag ends, byte for byte.
void ExpectAudioKept(const QString& path) {
    const QByteArray bytes = ReadBytes(path);
    const qint64 tag = Id3v2TagLength(bytes.left(10));
    ASSERT_GT(tag, 0);
    EXPECT_EQ(bytes.mid(tag, Audio.size()), Audio);
}

// Whether files in `folder` can get blocks inserted at their start (ext4 and XFS can, tmpfs
// cannot).
bool InsertsBlocks(const QString& folder) {
    const QString probe = folder + QStringLiteral("/probe");
    if (!WriteBytes(probe, QByteArray(8192, 'x')))
        return false;
    const int fd = ::open(QFile::encodeName(probe).constData(), O_RDWR);
    const bool inserts = fd >= 0 && ::fallocate(fd, FALLOC_FL_INSERT_RANGE, 0, 4096) == 0;
    if (fd >= 0)
        ::close(fd);
    QFile::remove(probe);
    return inserts;
}

// The ways a song's tag changes: in the old tag's bytes; grown by blocks inserted in front of
// the audio; grown by rewriting the song, where the file system inserts no blocks (tmpfs).
struct Way {
    const char* Name;
    QByteArray Song;
    int Lines;
    bool InPlace;
    std::shared_ptr<TestFolder> Folder;
};

std::vector<Way> Ways() {
    auto here = std::make_shared<TestFolder>();
    std::vector<Way> ways{{"in the tag's room", RoomySong, 3, true, here},
                          {"grown", FullSong, 400, InsertsBlocks(here->Path()), here}};
    auto memory = std::make_shared<TestFolder>(QStringLiteral("/dev/shm"));
    if (memory->IsValid() && !InsertsBlocks(memory->Path()))
        ways.push_back(
            {"grown, on a file system that inserts no blocks", FullSong, 400, false, memory});
    else
        ADD_FAILURE() << "no tmpfs folder in /dev/shm: the rewrite of a whole song is untested";
    return ways;
}

TEST(SongLyricsTest, TheTagChangesInPlaceOrTheSongIsRewrittenKeepingWhatItWas) {
    for (const Way& way : Ways()) {
        SCOPED_TRACE(way.Name);
        const TestFolder& folder = *way.Folder;
        const QString real = folder.Put("real.mp3", way.Song);
        const QString link = folder.File("link.mp3");
        const QString hard = folder.File("hard.mp3");
        ASSERT_TRUE(QFile::link(real, link));
        ASSERT_EQ(::link(QFile::encodeName(real).constData(), QFile::encodeName(hard).constData()),
                  0);
        ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
        if (::geteuid() == 0) // a song of another user keeps its owner
            ASSERT_EQ(::chown(QFile::encodeName(real).constData(), 65534, 65534), 0);
        const struct stat before = StatOf(real);

        ASSERT_TRUE(Embed(link, Lyrics(way.Lines)));
        const struct stat after = StatOf(real);
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(after.st_ino == before.st_ino, way.InPlace);
        EXPECT_EQ(after.st_mode & 07777, 0640u);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        ExpectAudioKept(real);
        EXPECT_EQ(ReadSongId3Lyrics(real, "jpn").Synced, Lyrics(way.Lines).Synced);
        // Another hard link shares the change only when the song stayed in place.
        EXPECT_EQ(ReadBytes(hard) == ReadBytes(real), way.InPlace);
        EXPECT_EQ(Entries(folder.Path()).size(), 3);
        for (const QString& name : Entries(folder.Path()))
            QFile::remove(folder.File(name));
    }
}

// The files of a folder by name.
using Files = QMap<QString, QByteArray>;
Files FilesOf(const TestFolder& folder) {
    Files files;
    for (const QString& name : Entries(folder.Path()))
        files.insert(name, ReadBytes(folder.File(name)));
    return files;
}
// Puts the files back as they were, in the same inodes where they are still there (an undo
// journal names the inode of its song).
void PutBack(const TestFolder& folder, const Files& files) {
    for (const QString& name : Entries(folder.Path())) {
        if (!files.contains(name))
            QFile::remove(folder.File(name));
    }
    for (auto file = files.begin(); file != files.end(); ++file)
        folder.Put(file.key(), file.value());
}

// Kills the change of `way` before each of its system calls in turn, the song put back as it was
// each time, and calls `visit(k, left, newState)` with the files each kill left in the folder
// and whether no earlier kill left them so. Gives the number of distinct states.
int ForEachKill(const Way& way, const QString& path,
                const std::function<void(int, const Files&, bool)>& visit) {
    QVector<Files> seen;
    for (int k = 1;; ++k) {
        way.Folder->Put("song.mp3", way.Song);
        if (!KilledAtSystemCall(k, [&] { Embed(path, Lyrics(way.Lines)); }))
            break;
        const Files left = FilesOf(*way.Folder);
        const bool newState = !seen.contains(left);
        if (newState)
            seen.append(left);
        visit(k, left, newState);
    }
    return int(seen.size());
}

// The program is killed before each system call of the change in turn, and then, where that
// left something to undo, the next look at the song is killed before each of its own calls:
// the look after that leaves the song as it was or as the finished change left it, and nothing
// beside it.
TEST(SongLyricsTest, AChangeKilledAtAnyPointIsUndoneOrDoneOnTheNextLook) {
    for (const Way& way : Ways()) {
        SCOPED_TRACE(way.Name);
        const TestFolder& folder = *way.Folder;
        const QString path = folder.Put("song.mp3", way.Song);
        ASSERT_TRUE(Embed(path, Lyrics(way.Lines)));
        const QByteArray done = ReadBytes(path);
        const int doneType = vbmp3_getFileType(path);
        folder.Put("song.mp3", way.Song);
        const int oldType = vbmp3_getFileType(path);
        const auto expectWholeSong = [&] {
            const int type = vbmp3_getFileType(path);
            const QByteArray after = ReadBytes(path);
            EXPECT_TRUE((after == way.Song && type == oldType) ||
                        (after == done && type == doneType));
            EXPECT_EQ(Entries(folder.Path()), QStringList(QStringLiteral("song.mp3")));
            return after == way.Song;
        };
        int undone = 0, looksKilled = 0;
        // Each state left behind has its look killed once.
        ForEachKill(way, path, [&](int k, const Files& left, bool newState) {
            SCOPED_TRACE(k);
            for (int j = 1; newState && left.size() > 1; ++j) {
                SCOPED_TRACE(testing::Message() << "the next look killed at call " << j);
                PutBack(folder, left);
                if (!KilledAtSystemCall(j, [&] { vbmp3_getFileType(path); }))
                    break;
                ++looksKilled;
                expectWholeSong();
            }
            PutBack(folder, left);
            undone += expectWholeSong();
        });
        EXPECT_GT(undone, 10);
        EXPECT_GT(looksKilled, 10);
        EXPECT_EQ(ReadBytes(path), done);
        QFile::remove(path);
    }
}

// A change cut short at every point, and the song then left alone, renumbered (its bytes in a
// new inode, as a FAT file system numbers its files anew at every mount), replaced by another
// song under its name (which may get the freed inode number), or overwritten by another song in
// its own inode (a copy over it): the next look gives the song as it was or as the finished
// change left it, and another song stays byte for byte as it is, without the journal.
TEST(SongLyricsTest, ACutShortChangeIsRecoveredAlsoWhenTheSongWasRenumberedOrReplaced) {
    QByteArray other = Id3Tag(3, 0, Title, 0); // another recording: every frame differs
    for (int i = 0; i < 40; ++i)
        other += Frame(char(100 + i));
    other += Id3v1Tag("o");
    for (const Way& way : Ways()) {
        SCOPED_TRACE(way.Name);
        const TestFolder& folder = *way.Folder;
        const QString path = folder.Put("song.mp3", way.Song);
        ASSERT_TRUE(Embed(path, Lyrics(way.Lines)));
        const QByteArray done = ReadBytes(path);
        const int states = ForEachKill(way, path, [&](int k, const Files& left, bool newState) {
            if (left.size() < 2 || !newState)
                return;
            for (const std::string then :
                 {"left alone", "renumbered", "replaced by another song", "copied over"}) {
                SCOPED_TRACE(testing::Message() << "killed at call " << k << ", " << then);
                PutBack(folder, left);
                const bool replaced = then == "replaced by another song" || then == "copied over";
                const QByteArray song = replaced ? other : left.value(QStringLiteral("song.mp3"));
                if (then == "copied over") {
                    ASSERT_TRUE(WriteBytes(path, other));
                } else if (then != "left alone") {
                    const QString moved = folder.File("moved.mp3");
                    ASSERT_TRUE(WriteBytes(moved, song));
                    ASSERT_EQ(::rename(QFile::encodeName(moved).constData(),
                                       QFile::encodeName(path).constData()),
                              0);
                }
                vbmp3_getFileType(path);
                const QByteArray after = ReadBytes(path);
                if (replaced)
                    EXPECT_EQ(after, other);
                else
                    EXPECT_TRUE(after == way.Song || after == done);
                EXPECT_EQ(Entries(folder.Path()), QStringList(QStringLiteral("song.mp3")));
            }
        });
        EXPECT_GT(states, 2);
        QFile::remove(path);
    }
}

// A file system may stop half-way through inserting the blocks (XFS sets the new length
// before it moves the audio): such a song is neither as it was nor grown, and the next look
// leaves it untouched, with its journal, instead of cutting its first blocks off.
TEST(SongLyricsTest, ASongLeftHalfWayThroughAnInsertIsNotTouched) {
    const TestFolder folder;
    if (!InsertsBlocks(folder.Path()))
        GTEST_SKIP() << "the temporary folder's file system inserts no blocks";
    const QString path = folder.File("song.mp3");
    qint64 inserted = 0;
    for (int k = 1; inserted == 0; ++k) { // the first call after the insert
        folder.Put("song.mp3", FullSong);
        ASSERT_TRUE(KilledAtSystemCall(k, [&] { Embed(path, Lyrics(400)); }));
        inserted = QFileInfo(path).size() - FullSong.size();
    }
    const QByteArray halfWay = FullSong + QByteArray(inserted, '\0');
    folder.Put("song.mp3", halfWay);
    EXPECT_EQ(vbmp3_getFileType(path), AudioFileUnreadable);
    EXPECT_EQ(ReadBytes(path), halfWay);
    EXPECT_EQ(Entries(folder.Path()).size(), 2); // the song and its journal
}

// ID3v1 fields hold CP932: a title from the ID3v2 tag is encoded so (also one stored as
// ISO-8859-1 that holds UTF-8), cut on a character boundary, and reads back as it was.
TEST(SongLyricsTest, TheAddedId3v1TagHoldsTheTitleInCp932) {
    const TestFolder folder;
    const QString title = U("Titles テストの長い長いタイトル");
    for (const QByteArray& frame : {Id3Frame(3, "TIT2", '\0' + title.toUtf8()),
                                    Id3Frame(3, "TIT2", '\1' + Utf16WithBom(title))}) {
        const QString path = folder.Put("song.mp3", Id3Tag(3, 0, frame, 64) + Audio);
        ASSERT_EQ(test::Embed(path, "[00:01:00]x"), 1);
        const SongTags tags = ReadId3v1(ReadBytes(path).right(128));
        EXPECT_EQ(DecodeCp932(tags.Title), U("Titles テストの長い長いタイト"));
    }
}

TEST(SongLyricsTest, SyltTimesCountedInMpegFramesComeBackInMilliseconds) {
    const TestFolder folder;
    const QByteArray sylt = QByteArray("\0jpn\x01\x01\0a\0", 9) + Be32(100) + "b" + '\0' + Be32(0);
    const QString path = folder.Put("song.mp3", Id3Tag(3, 0, Id3Frame(3, "SYLT", sylt), 0) + Audio);
    // 1152 samples a frame at 44100 Hz.
    EXPECT_EQ(ReadSongId3Lyrics(path, "jpn").Synced,
              SyncedLyrics({{QStringLiteral("a"), 2612}, {QStringLiteral("b"), 0}}));
}

TEST(SongLyricsTest, AnRmpFileKeepsItsLyricsInItsRiffChunkOnly) {
    const TestFolder folder;
    const QByteArray rmp = RmpFile(Audio, InfoList(RiffChunk("INAM", "t")));
    const QString withFrames = folder.Put("a.rmp", rmp);
    const QString without = folder.Put("b.rmp", rmp);
    ASSERT_TRUE(Embed(withFrames, Lyrics()));
    ASSERT_EQ(test::Embed(without, "[00:01:00]lyrics"), 1);
    EXPECT_EQ(ReadBytes(withFrames), ReadBytes(without));
    EXPECT_FALSE(ReadSongId3Lyrics(withFrames, "jpn").HasSynced);
}

} // namespace

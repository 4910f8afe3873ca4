// The ID3v2 lyrics frames in real song files: written in place under the undo journal when the
// tag has room, else through a whole new file renamed over the song; either way the audio stays
// byte for byte, the song keeps its permissions and owner, and a program stopped half-way is
// undone by the next look at the song. Also the ID3v1 tag that embedding adds, and SYLT times
// counted in MPEG frames.
#include "audio/SongLyrics.h"
#include "SongFileBuilders.h"
#include "audio/Id3Tags.h"
#include "audio/SongRewrite.h"
#include "audio/TailRewrite.h"
#include "base/Cp932.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
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

class SongLyricsTest : public ::testing::Test {
protected:
    TestFolder folder;
};

TEST_F(SongLyricsTest, ATagWithRoomChangesInPlaceAFullOneIsRewritten) {
    for (const bool room : {true, false}) {
        SCOPED_TRACE(room ? "room" : "no room");
        const QString real = folder.Put("real.mp3", room ? RoomySong : FullSong);
        const QString link = folder.File("link.mp3");
        const QString hard = folder.File("hard.mp3");
        ASSERT_TRUE(QFile::link(real, link));
        ASSERT_EQ(::link(QFile::encodeName(real).constData(), QFile::encodeName(hard).constData()),
                  0);
        ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
        if (::geteuid() == 0) // a song of another user keeps its owner
            ASSERT_EQ(::chown(QFile::encodeName(real).constData(), 65534, 65534), 0);
        const struct stat before = StatOf(real);

        ASSERT_TRUE(Embed(link, Lyrics()));
        const struct stat after = StatOf(real);
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(after.st_ino == before.st_ino, room);
        EXPECT_EQ(after.st_mode & 07777, 0640u);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        ExpectAudioKept(real);
        EXPECT_EQ(ReadSongId3Lyrics(real, "jpn").Synced, Lyrics().Synced);
        // Another hard link shares the change only when the song stayed in place.
        EXPECT_EQ(ReadBytes(hard) == ReadBytes(real), room);
        EXPECT_EQ(Entries(folder.Path()).size(), 3);
        for (const QString& name : Entries(folder.Path()))
            QFile::remove(folder.File(name));
    }
}

// A child process is killed by SIGXFSZ while it writes: the next look at the song puts it back.
TEST_F(SongLyricsTest, AChangeCutShortIsUndoneOnTheNextLook) {
    for (const auto& [song, lines] : {std::pair(RoomySong, 3), std::pair(FullSong, 400)}) {
        SCOPED_TRACE(lines);
        const QString path = folder.Put("song.mp3", song);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_DFL);
            rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            rlimit limited{};
            ::getrlimit(RLIMIT_FSIZE, &limited);
            limited.rlim_cur = rlim_t(song.size() - 1000);
            ::setrlimit(RLIMIT_FSIZE, &limited);
            Embed(path, Lyrics(lines));
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
        ASSERT_EQ(Entries(folder.Path()).size(), 2); // with its journal or its new file

        EXPECT_EQ(vbmp3_getFileType(path), 0);
        EXPECT_EQ(ReadBytes(path), song);
        EXPECT_EQ(Entries(folder.Path()), QStringList(QStringLiteral("song.mp3")));
    }
}

// ID3v1 fields hold CP932: a title from the ID3v2 tag is encoded so (also one stored as
// ISO-8859-1 that holds UTF-8), cut on a character boundary, and reads back as it was.
TEST_F(SongLyricsTest, TheAddedId3v1TagHoldsTheTitleInCp932) {
    const QString title = U("Titles テストの長い長いタイトル");
    for (const QByteArray& frame : {Id3Frame(3, "TIT2", '\0' + title.toUtf8()),
                                    Id3Frame(3, "TIT2", '\1' + Utf16WithBom(title))}) {
        const QString path = folder.Put("song.mp3", Id3Tag(3, 0, frame, 64) + Audio);
        ASSERT_EQ(test::Embed(path, "[00:01:00]x"), 1);
        const SongTags tags = ReadId3v1(ReadBytes(path).right(128));
        EXPECT_EQ(DecodeCp932(tags.Title), U("Titles テストの長い長いタイト"));
    }
}

TEST_F(SongLyricsTest, SyltTimesCountedInMpegFramesComeBackInMilliseconds) {
    const QByteArray sylt = QByteArray("\0jpn\x01\x01\0a\0", 9) + Be32(100) + "b" + '\0' + Be32(0);
    const QString path = folder.Put("song.mp3", Id3Tag(3, 0, Id3Frame(3, "SYLT", sylt), 0) + Audio);
    // 1152 samples a frame at 44100 Hz.
    EXPECT_EQ(ReadSongId3Lyrics(path, "jpn").Synced,
              SyncedLyrics({{QStringLiteral("a"), 2612}, {QStringLiteral("b"), 0}}));
}

TEST_F(SongLyricsTest, AnRmpFileKeepsItsLyricsInItsRiffChunkOnly) {
    const QByteArray rmp = RmpFile(Audio, InfoList(RiffChunk("INAM", "t")));
    const QString withFrames = folder.Put("a.rmp", rmp);
    const QString without = folder.Put("b.rmp", rmp);
    ASSERT_TRUE(Embed(withFrames, Lyrics()));
    ASSERT_EQ(test::Embed(without, "[00:01:00]lyrics"), 1);
    EXPECT_EQ(ReadBytes(withFrames), ReadBytes(without));
    EXPECT_FALSE(ReadSongId3Lyrics(withFrames, "jpn").HasSynced);
}

} // namespace

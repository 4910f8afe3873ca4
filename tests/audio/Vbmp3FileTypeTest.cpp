// What vbmp3_getFileType reports for good, odd and hostile files, and that every file the
// library refuses stays exactly as it was.
#include "SongFileBuilders.h"
#include "audio/Vbmp3.h"

#include <QDir>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

struct TypeCase {
    const char* name;
    QByteArray bytes;
    AudioFileFlags flags;
};

QByteArray Audio() { return Frames(6); }

QByteArray LyricsBlock() { return Lyrics3v2({{"IND", "11"}, {"LYR", "[00:01:00]la\r\n"}}); }

QByteArray Ilyc(const QByteArray& data) { return RiffChunk("ILYC", data); }

// Damages the size digits of a Lyrics3 v2.00 block: `delta` is added to the stored size.
QByteArray WithLyricsSize(QByteArray block, int delta) {
    const qsizetype at = block.size() - 15;
    const int size = block.mid(at, 6).toInt() + delta;
    block.replace(at, 6, QByteArray::number(size).rightJustified(6, '0'));
    return block;
}

QByteArray RmpWithRiffSize(quint32 size) {
    QByteArray file = RmpFile(Audio());
    file.replace(4, 4, Le32(size));
    return file;
}

QVector<TypeCase> TypeCases() {
    const QByteArray audio = Audio();
    const QByteArray v1 = Id3v1Tag("title");
    const QByteArray ape = ApeTag("Title", "ape title", true);
    const QByteArray id3v2 = Id3v23Tag(Id3v23TextFrame("TIT2", 0, "t"), 32);
    QByteArray lyingId3v2 = id3v2;
    lyingId3v2[7] = 0x7F; // far more than the tag and the frames after it
    QByteArray appendedId3v2 = Id3v23Tag(Id3v23TextFrame("TIT2", 0, "t"));
    appendedId3v2[3] = 4;
    appendedId3v2[5] = 0x10;
    appendedId3v2 += "3DI" + appendedId3v2.mid(3, 7);
    QByteArray lyingField = LyricsBlock();
    lyingField.replace(lyingField.indexOf("LYR") + 3, 5, "00900");
    const QByteArray wave = "RIFF" + Le32(28) + "WAVE" + RiffChunk("fmt ", QByteArray(16, '\1'));
    const QByteArray noData = "RMP3" + InfoList(RiffChunk("INAM", QByteArray("x", 2)));
    QByteArray lyingData = RmpFile(audio);
    lyingData.replace(16, 4, Le32(quint32(audio.size() + 1000)));
    QByteArray lyingSubChunk = RmpFile(audio, InfoList(RiffChunk("INAM", "x\0")));
    lyingSubChunk.replace(lyingSubChunk.indexOf("INAM") + 4, 4, Le32(500));
    QByteArray lyingApe = ape;
    lyingApe.replace(lyingApe.size() - 20, 4, Le32(1u << 30));

    return {
        // Songs the library works with.
        {"frames only", audio, 0},
        {"an ID3v2 tag, then frames", id3v2 + audio, 0},
        {"frames and an ID3v1 tag", audio + v1, 0},
        {"an APE tag", audio + ape + v1, 0},
        {"Lyrics3 v2.00 before ID3v1", audio + LyricsBlock() + v1, AudioHasLyrics},
        {"Lyrics3 v2.00 at the very end", audio + LyricsBlock(), AudioHasLyrics},
        {"Lyrics3 v1", audio + Lyrics3v1("la la\r\n") + v1, AudioHasLyrics},
        {"APE, Lyrics3, TAG+, ID3v1", audio + ape + LyricsBlock() + TagPlusBlock("t") + v1,
         AudioHasLyrics},
        {"Lyrics3 before an APE tag", audio + LyricsBlock() + ape + v1, AudioHasLyrics},
        {"a Lyrics3 block without lyrics", audio + Lyrics3v2({{"IND", "00"}}) + v1, AudioHasLyrics},
        {"RMP", RmpFile(audio), AudioRmp},
        {"RMP holding an ID3v2 tag", RmpFile(id3v2 + audio), AudioRmp},
        {"RMP with a Lyrics3 block in ILYC",
         RmpFile(audio, InfoList(Ilyc('\0' + LyricsBlock() + '\0') + RiffChunk("IID3", v1))),
         AudioRmp | AudioHasLyrics},
        {"RMP with plain ILYC text", RmpFile(audio, InfoList(Ilyc(QByteArray("la\r\n", 5)))),
         AudioRmp | AudioHasLyrics},
        {"RMP with an empty ILYC", RmpFile(audio, InfoList(Ilyc(QByteArray(1, '\0')))), AudioRmp},
        {"MacBinary II", MacBinaryFile(audio, "resource"), AudioMacBinary},
        {"MacBinary III around a song with lyrics",
         MacBinaryFile(audio + LyricsBlock() + v1, "", 3), AudioMacBinary | AudioHasLyrics},
        // No MPEG audio.
        {"an empty file", QByteArray(), AudioNotMpeg},
        {"a text file", "[00:01:00]la\r\n", AudioNotMpeg},
        {"an ID3v2 tag alone", id3v2, AudioNotMpeg},
        {"RIFF WAVE", wave, AudioNotMpeg},
        {"RMP without a data chunk", "RIFF" + Le32(quint32(noData.size())) + noData,
         AudioRmp | AudioNotMpeg},
        {"MacBinary around a text", MacBinaryFile("just some text", ""),
         AudioMacBinary | AudioNotMpeg},
        // Size fields that point past the end or lie, frames cut short.
        {"an ID3v2 size past the end", lyingId3v2 + audio, AudioDamaged},
        {"the first frame cut short", Frame().left(200), AudioDamaged},
        {"an ID3v2 tag and a cut frame", id3v2 + Frame().left(100) + v1, AudioDamaged},
        {"a Lyrics3 size one too small", audio + WithLyricsSize(LyricsBlock(), -1) + v1,
         AudioDamaged},
        {"a Lyrics3 size one too large", audio + WithLyricsSize(LyricsBlock(), 1) + v1,
         AudioDamaged},
        {"a Lyrics3 size past the start", audio + WithLyricsSize(LyricsBlock(), 900000) + v1,
         AudioDamaged},
        {"a Lyrics3 field length that lies", audio + lyingField + v1, AudioDamaged},
        {"LYRICSEND without LYRICSBEGIN", audio + "la la LYRICSEND" + v1, AudioDamaged},
        {"an APE size past the start", audio + lyingApe + v1, AudioDamaged},
        {"a RIFF size past the end", RmpWithRiffSize(0xFFFFFFF0u), AudioRmp | AudioDamaged},
        {"a data chunk past the RIFF end", lyingData, AudioRmp | AudioDamaged},
        {"an INFO sub-chunk past its LIST", lyingSubChunk, AudioRmp | AudioDamaged},
        {"an ILYC Lyrics3 block that lies",
         RmpFile(audio, InfoList(Ilyc('\0' + WithLyricsSize(LyricsBlock(), 3) + '\0'))),
         AudioRmp | AudioDamaged},
        {"a MacBinary data fork past the end", MacBinaryFile(audio, "", 2, 1 << 20),
         AudioMacBinary | AudioDamaged},
        // Lyrics could not go where readers look.
        {"an ID3v2 tag appended after the audio", audio + appendedId3v2, AudioLyricsNotStorable},
    };
}

class FileTypeTest : public ::testing::Test {
protected:
    TestFolder folder;
};

TEST_F(FileTypeTest, FlagsDescribeEachKindOfFile) {
    for (const TypeCase& c : TypeCases()) {
        SCOPED_TRACE(c.name);
        const QString path = folder.File("song.mp3");
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        EXPECT_EQ(vbmp3_getFileType(path), c.flags);
    }
}

TEST_F(FileTypeTest, RefusedFilesAreNeverChanged) {
    for (const TypeCase& c : TypeCases()) {
        SCOPED_TRACE(c.name);
        const QString path = folder.File("song.mp3");
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        const bool refused =
            (c.flags & (AudioNotMpeg | AudioDamaged | AudioLyricsNotStorable | AudioMacBinary));
        if (refused) {
            EXPECT_EQ(Embed(path, "[00:01:00]la\r\n"), 0);
            EXPECT_EQ(vbmp3_delFileLyrics3Info(path), 0);
            EXPECT_EQ(ReadBytes(path), c.bytes);
        }
        // Lyrics come back exactly when the flags announce them.
        EXPECT_EQ(!Extract(path).isNull(), (c.flags & AudioHasLyrics) != 0);
        EXPECT_EQ(ReadBytes(path), c.bytes);
        EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
}

TEST_F(FileTypeTest, PathsThatAreNotRegularFilesCannotBeExamined) {
    ASSERT_TRUE(QDir(folder.Path()).mkdir(QStringLiteral("folder.mp3")));
    const QString fifo = folder.File("pipe.mp3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    for (const QString& path : {folder.File("folder.mp3"), fifo, folder.File("missing.mp3"),
                                QString(), QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(vbmp3_getFileType(path), AudioFileUnreadable);
        EXPECT_EQ(Embed(path, "la"), 0);
        EXPECT_TRUE(Extract(path).isNull());
        EXPECT_EQ(vbmp3_delFileLyrics3Info(path), 0);
        EXPECT_EQ(vbmp3_cutMacBinary(path), 0);
        TagInfoRecord tags;
        MpegInfoRecord mpeg;
        EXPECT_EQ(vbmp3_getFileInfo(path, tags, mpeg), 0);
    }
}

// Random damage to a song with every kind of block: the library may accept or refuse each
// file, but never crashes, hangs or reads outside it, and reading never changes it.
TEST_F(FileTypeTest, RandomlyDamagedSongsAreHandled) {
    const QByteArray song = Id3v23Tag(Id3v23TextFrame("TIT2", 0, "t")) + Frames(3) +
                            ApeTag("Title", "x", true) + LyricsBlock() + TagPlusBlock("t") +
                            Id3v1Tag("t");
    const QByteArray rmp = RmpFile(Frames(3), InfoList(RiffChunk("INAM", QByteArray("t", 2)) +
                                                       Ilyc('\0' + LyricsBlock() + '\0') +
                                                       RiffChunk("IID3", Id3v1Tag("t"))));
    std::mt19937 random(20240607);
    const QString path = folder.File("song.mp3");
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes = round % 2 == 0 ? song : rmp;
        const int damage = 1 + int(random() % 4);
        for (int i = 0; i < damage; ++i) {
            const qsizetype at = qsizetype(random() % quint32(bytes.size()));
            if (random() % 4 == 0)
                bytes.truncate(at);
            else if (!bytes.isEmpty())
                bytes[at] = char(random() % 3 == 0 ? '0' + random() % 10 : random());
        }
        ASSERT_TRUE(WriteBytes(path, bytes));
        (void)vbmp3_getFileType(path);
        (void)Extract(path);
        TagInfoRecord tags;
        MpegInfoRecord mpeg;
        InfoListRecord infoList;
        (void)vbmp3_getFileInfo2(path, tags, mpeg, infoList);
        ASSERT_EQ(ReadBytes(path), bytes) << "round " << round;
        if (round % 8 == 0) {
            // A change the library accepts leaves a file it reads back.
            if (Embed(path, "[00:02:00]new\r\n") != 0)
                EXPECT_EQ(Extract(path), "[00:02:00]new\r\n") << "round " << round;
            if (vbmp3_delFileLyrics3Info(path) != 0)
                EXPECT_TRUE(Extract(path).isNull()) << "round " << round;
        }
    }
}

} // namespace

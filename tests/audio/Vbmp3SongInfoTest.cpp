// Song information (vbmp3_getFileInfo/vbmp3_getFileInfo2) and the MacBinary strip.
#include "SongFileBuilders.h"
#include "audio/Vbmp3.h"
#include "base/Cp932.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

template <std::size_t N>
QByteArray Bytes(const AnsiText<N>& field) {
    const QByteArray bytes(field.data(), qsizetype(N));
    return bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'));
}

QString Fixture(const char* name) {
    return QStringLiteral(TAVELKOR_TEST_FIXTURES "/") + QString::fromUtf8(name);
}

struct Info {
    short result = 0;
    TagInfoRecord tags;
    MpegInfoRecord mpeg;
    InfoListRecord list;
};

Info InfoOf(const QString& path) {
    Info info;
    // Left-overs of an earlier song must not survive.
    info.tags.Title.fill('x');
    info.list.Texts[5].fill('x');
    info.mpeg.Values.fill(7);
    info.result = vbmp3_getFileInfo2(path, info.tags, info.mpeg, info.list);
    return info;
}

class SongInfoTest : public ::testing::Test {
protected:
    TestFolder folder;
    QString path = folder.File("song.mp3");
};

TEST_F(SongInfoTest, Id3v2TextsBecomeCp932WhateverTheirEncoding) {
    const QByteArray comment = QByteArray("\0jpn\0", 5) + EncodeCp932(U("コメント"));
    const QByteArray id3v2 = Id3v23Tag(
        Id3v23TextFrame("TIT2", 0, EncodeCp932(U("曲名"))) +
        Id3v23TextFrame("TPE1", 1, Utf16WithBom(U("歌手"))) +
        Id3v23TextFrame("TALB", 1, Utf16WithBom(U("アルバム"))) +
        Id3v23TextFrame("TYER", 0, "2003") + Id3v23TextFrame("TCON", 0, "(13)") +
        QByteArray("COMM") + Be32(quint32(comment.size())) + QByteArray(2, '\0') + comment);
    ASSERT_TRUE(WriteBytes(path, id3v2 + Frames(3) + Id3v1Tag("v1 title", "v1 artist")));
    const Info info = InfoOf(path);
    EXPECT_EQ(info.result, 1);
    EXPECT_EQ(Bytes(info.tags.Title), EncodeCp932(U("曲名")));
    EXPECT_EQ(Bytes(info.tags.Artist), EncodeCp932(U("歌手")));
    EXPECT_EQ(Bytes(info.tags.Album), EncodeCp932(U("アルバム")));
    EXPECT_EQ(Bytes(info.tags.Year), "2003");
    EXPECT_EQ(Bytes(info.tags.Comment), EncodeCp932(U("コメント")));
    EXPECT_EQ(info.tags.Genre, 13);
    EXPECT_EQ(Bytes(info.tags.GenreText), "Pop");
    EXPECT_EQ(info.mpeg.Values[10], 44100);
    for (const auto& text : info.list.Texts)
        EXPECT_EQ(Bytes(text), ""); // no RIFF INFO in an MP3
}

TEST_F(SongInfoTest, WithoutId3v2TheId3v1TagAndItsTagPlusBlockAnswer) {
    const QByteArray title30(30, 'A');
    ASSERT_TRUE(WriteBytes(path, Frames(3) + TagPlusBlock("and more of the title") +
                                     Id3v1Tag(title30, EncodeCp932(U("歌手")), "album  ")));
    const Info info = InfoOf(path);
    EXPECT_EQ(info.result, 1);
    EXPECT_EQ(Bytes(info.tags.Title), title30 + "and more of the title");
    EXPECT_EQ(Bytes(info.tags.Artist), EncodeCp932(U("歌手")));
    EXPECT_EQ(Bytes(info.tags.Album), "album");
    EXPECT_EQ(Bytes(info.tags.Year), "1999");
    EXPECT_EQ(info.tags.Genre, 12);
    EXPECT_EQ(Bytes(info.tags.GenreText), "Other");
}

// Every field of the ID3v1 tag (1.0 and 1.1 with its track byte) and of the TAG+ block before
// it, each row with its own value in every field so that a field read from another's place
// shows.
TEST_F(SongInfoTest, EveryId3v1AndTagPlusFieldReadsBack) {
    struct V1 {
        QByteArray title, artist, album, year, comment;
        int track; // ID3v1.1: NUL and the track in the comment's last two bytes; -1: ID3v1.0
        int genre;
    };
    struct Plus {
        QByteArray title, artist, album, genre; // no block when all are empty
    };
    struct Expected {
        QByteArray title, artist, album, year, comment;
        int genre;
        QByteArray genreText;
    };
    struct Row {
        const char* name;
        V1 v1;
        Plus plus;
        Expected read;
    };
    const QByteArray t30(30, 'T'), a30(30, 'A'), l30(30, 'L'), c30(30, 'C'), c28(28, 'c');
    const QByteArray t60(60, 't'), a60(60, 'a'), l60(60, 'l');
    const Row rows[] = {
        {"short fields",
         {"title", "artist", "album", "2001", "comment", -1, 17},
         {},
         {"title", "artist", "album", "2001", "comment", 17, "Rock"}},
        {"fields with blanks after them",
         {"ti  ", "ar ", "al    ", "99  ", "co  ", -1, 0},
         {},
         {"ti", "ar", "al", "99", "co", 0, "Blues"}},
        {"full fields of ID3v1.0",
         {t30, a30, l30, "1234", c30, -1, 254},
         {},
         {t30, a30, l30, "1234", c30, 254, ""}},
        {"ID3v1.1: the track byte is no part of the comment",
         {"t", "a", "l", "2000", c28, 7, 255},
         {},
         {"t", "a", "l", "2000", c28, 255, ""}},
        {"full fields go on in the TAG+ block",
         {t30, a30, l30, "1999", "c", 3, 12},
         {"+title", "+artist", "+album", "Genre+"},
         {t30 + "+title", a30 + "+artist", l30 + "+album", "1999", "c", 12, "Other"}},
        {"full fields and a full TAG+ block",
         {t30, a30, l30, "1999", "c", -1, 12},
         {t60, a60, l60, "g"},
         {t30 + t60, a30 + a60, l30 + l60, "1999", "c", 12, "Other"}},
        {"only the full field goes on",
         {"t", a30, "l", "1999", "c", -1, 12},
         {"+title", "+artist", "+album", "g"},
         {"t", a30 + "+artist", "l", "1999", "c", 12, "Other"}},
        {"a title that fills its field exactly with a NUL after it stops there",
         {t30.left(29), "a", "l", "1999", "c", -1, 12},
         {"+title", "", "", "g"},
         {t30.left(29), "a", "l", "1999", "c", 12, "Other"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QByteArray v1 =
            Id3v1Tag(row.v1.title, row.v1.artist, row.v1.album, row.v1.year, char(row.v1.genre));
        v1.replace(97, row.v1.comment.size(), row.v1.comment);
        if (row.v1.track >= 0) {
            v1[125] = '\0';
            v1[126] = char(row.v1.track);
        }
        QByteArray plus;
        if (!(row.plus.title + row.plus.artist + row.plus.album + row.plus.genre).isEmpty()) {
            plus = TagPlusBlock(row.plus.title);
            plus.replace(64, row.plus.artist.size(), row.plus.artist);
            plus.replace(124, row.plus.album.size(), row.plus.album);
            plus.replace(185, row.plus.genre.size(), row.plus.genre);
        }
        ASSERT_EQ(v1.size(), 128);
        ASSERT_TRUE(WriteBytes(path, Frames(3) + plus + v1));
        const Info info = InfoOf(path);
        EXPECT_EQ(info.result, 1);
        EXPECT_EQ(Bytes(info.tags.Title), row.read.title);
        EXPECT_EQ(Bytes(info.tags.Artist), row.read.artist);
        EXPECT_EQ(Bytes(info.tags.Album), row.read.album);
        EXPECT_EQ(Bytes(info.tags.Year), row.read.year);
        EXPECT_EQ(Bytes(info.tags.Comment), row.read.comment);
        EXPECT_EQ(info.tags.Genre, row.read.genre);
        EXPECT_EQ(Bytes(info.tags.GenreText), row.read.genreText);
    }
}

TEST_F(SongInfoTest, RmpInfoTextsFillTheInfoListAndIid3TheTags) {
    // 127 ASCII bytes and a two-byte character: the 128-byte field ends before it.
    const QByteArray longTitle = QByteArray(127, 't') + EncodeCp932(U("あ"));
    const QByteArray rmp =
        RmpFile(Frames(3), InfoList(RiffChunk("IART", EncodeCp932(U("歌手")) + '\0') +
                                    RiffChunk("INAM", longTitle + '\0') +
                                    RiffChunk("IPRD", QByteArray("album", 6)) +
                                    RiffChunk("ISBJ", QByteArray("subject", 8)) +
                                    RiffChunk("IID3", Id3v1Tag("id3 title", "id3 artist"))));
    ASSERT_TRUE(WriteBytes(path, rmp));
    const Info info = InfoOf(path);
    EXPECT_EQ(info.result, 1);
    EXPECT_EQ(Bytes(info.list.Texts[0]), QByteArray(127, 't'));
    EXPECT_EQ(Bytes(info.list.Texts[1]), EncodeCp932(U("歌手")));
    EXPECT_EQ(Bytes(info.list.Texts[2]), "album");
    EXPECT_EQ(Bytes(info.list.Texts[5]), "");
    EXPECT_EQ(Bytes(info.list.Texts[13]), "subject");
    EXPECT_EQ(Bytes(info.tags.Title), "id3 title");
    EXPECT_EQ(Bytes(info.tags.Artist), "id3 artist");
    EXPECT_EQ(info.mpeg.Values[10], 44100);
}

TEST_F(SongInfoTest, EncoderFilesGiveTheirRateAndHeaderFrame) {
    const Info tone = InfoOf(Fixture("lyrics-tone.mp3"));
    EXPECT_EQ(tone.result, 1);
    EXPECT_EQ(tone.mpeg.Values[10], 22050);
    EXPECT_EQ(tone.mpeg.Values[9], 1); // frames this small leave no room for LAME's Info
    const Info tagged = InfoOf(Fixture("tags-id3v1v2.mp3"));
    EXPECT_EQ(tagged.result, 1);
    EXPECT_EQ(Bytes(tagged.tags.Title), "Sample Title");
    EXPECT_EQ(Bytes(tagged.tags.Artist), "Sample Artist");
    EXPECT_EQ(Bytes(tagged.tags.Album), "Sample Album");
    EXPECT_EQ(tagged.mpeg.Values[10], 44100);
    EXPECT_EQ(tagged.mpeg.Values[9], 0); // LAME's Info frame comes first
}

TEST_F(SongInfoTest, FilesWithoutUsableAudioGiveZeroAndClearedRecords) {
    for (const QByteArray& bytes :
         {QByteArray("not a song"), QByteArray(), Frame().left(100) + Id3v1Tag("cut"),
          MacBinaryFile(Frames(2), "", 2, 1 << 20)}) {
        ASSERT_TRUE(WriteBytes(path, bytes));
        const Info info = InfoOf(path);
        EXPECT_EQ(info.result, 0);
        EXPECT_EQ(info.mpeg.Values[10], 0);
        EXPECT_EQ(Bytes(info.list.Texts[5]), "");
        if (!bytes.endsWith(Id3v1Tag("cut")))
            EXPECT_EQ(Bytes(info.tags.Title), "");
    }
}

// ---- MacBinary ---------------------------------------------------------------------------

TEST_F(SongInfoTest, StrippingMacBinaryKeepsExactlyTheDataFork) {
    const QByteArray song = Id3v23Tag(Id3v23TextFrame("TIT2", 0, "t")) + Frames(3) +
                            Lyrics3v2({{"LYR", "old"}}) + Id3v1Tag("t");
    struct StripCase {
        const char* name;
        QByteArray file;
    };
    const StripCase cases[] = {
        {"MacBinary II with a resource fork", MacBinaryFile(song, QByteArray(300, 'r'))},
        {"MacBinary III", MacBinaryFile(song, "", 3)},
        {"MacBinary I (no CRC)", MacBinaryFile(song, "rsrc", 1)},
        {"fork padding cut off at the end", MacBinaryFile(song, "").left(128 + song.size())},
    };
    for (const StripCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteBytes(path, c.file));
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
        EXPECT_EQ(vbmp3_getFileType(path), AudioMacBinary | AudioHasLyrics);
        EXPECT_EQ(Extract(path), "old"); // read inside the data fork
        ASSERT_EQ(vbmp3_cutMacBinary(path), 1);
        EXPECT_EQ(ReadBytes(path), song);
        struct stat info;
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
        // The song now takes lyrics like any other.
        EXPECT_EQ(vbmp3_getFileType(path), AudioHasLyrics);
        EXPECT_EQ(Embed(path, "[00:01:00]new\r\n"), 1);
    }
}

TEST_F(SongInfoTest, NothingIsStrippedFromFilesThatAreNotWholeMacBinaryFiles) {
    QByteArray badCrc = MacBinaryFile(Frames(3), "");
    badCrc[124] = char(badCrc[124] ^ 0x55);
    badCrc[128] = 'x'; // the data fork does not start like a song either
    const QByteArray cases[] = {
        Frames(3) + Id3v1Tag("t"),
        MacBinaryFile(Frames(3), "rsrc", 2, 1 << 20), // data fork past the end
        MacBinaryFile(Frames(3), QByteArray(300, 'r')).left(128 + 1280 + 100), // resource
        MacBinaryFile(Frames(3), "", 2, 0),                                    // no data at all
        badCrc,
        MacBinaryFile(Frames(3), "", 1) + "more", // unsigned, and not the whole file
    };
    for (const QByteArray& bytes : cases) {
        ASSERT_TRUE(WriteBytes(path, bytes));
        EXPECT_EQ(vbmp3_cutMacBinary(path), 0);
        EXPECT_EQ(ReadBytes(path), bytes);
    }
}

// A song that starts like an unsigned MacBinary header whose forks do not make up the file is
// a song: lyrics go in and come back, and the longer file is not taken for a wrapper then.
TEST_F(SongInfoTest, ASongThatOnlyLooksWrappedStaysASongAfterEmbedding) {
    QByteArray song = MacBinaryFile(Frames(3), "", 1);
    song.replace(83, 4, Be32(quint32(song.size() - 128 + 200))); // 200 bytes past the end
    ASSERT_TRUE(WriteBytes(path, song));
    EXPECT_EQ(vbmp3_getFileType(path), 0);
    ASSERT_EQ(Embed(path, QByteArray(60, 'x')), 1); // the file grows by 202 bytes
    EXPECT_EQ(vbmp3_getFileType(path), AudioHasLyrics);
    EXPECT_EQ(Extract(path), QByteArray(60, 'x'));
}

} // namespace

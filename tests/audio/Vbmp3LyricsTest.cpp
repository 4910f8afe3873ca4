// Embedding, extracting and deleting lyrics in MP3 and RMP files: where the block goes, what
// it holds, and that everything else in the file stays byte for byte.
#include "SongFileBuilders.h"
#include "audio/Vbmp3.h"
#include "base/Cp932.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

using Fields = QVector<std::pair<QByteArray, QByteArray>>;

const QByteArray NewLyrics("[00:01:00]new words\r\n[00:02:00]second line\r\n");

// The ID3v1 tag the library adds to a file without one, from an empty ID3v2.
QByteArray AddedId3v1() { return "TAG" + QByteArray(124, '\0') + '\xFF'; }

struct Mp3Case {
    const char* name;
    QByteArray head;        // before the frames
    QByteArray tail;        // after the frames, before the change
    QByteArray before;      // expected between the frames and the new lyrics block
    Fields keptFields;      // fields of the old block that the new one keeps, after IND and LYR
    QByteArray after;       // expected after the new lyrics block
    const char* ind = "11"; // the new IND field: the record's flags, and a third one kept
};

QVector<Mp3Case> Mp3Cases() {
    const QByteArray v1 = Id3v1Tag("title", "artist", "album");
    const QByteArray ape = ApeTag("Title", "ape title", true);
    const QByteArray apeNoHeader = ApeTag("Artist", "ape artist", false);
    const QByteArray plus = TagPlusBlock("a title longer than thirty bytes goes on here");
    const QByteArray old =
        Lyrics3v2({{"IND", "101"}, {"LYR", "old"}, {"INF", "kept info"}, {"AUT", "kept author"}});
    // A CP932 title stored as ISO-8859-1 and a UTF-16 artist in the ID3v2 tag.
    const QByteArray title = EncodeCp932(U("曲名"));
    const QByteArray id3v2 = Id3v23Tag(Id3v23TextFrame("TIT2", 0, title) +
                                           Id3v23TextFrame("TPE1", 1, Utf16WithBom(U("歌手"))),
                                       64);
    QByteArray fromId3v2 = AddedId3v1();
    fromId3v2.replace(3, title.size(), title);
    fromId3v2.replace(33, 4, EncodeCp932(U("歌手")));
    return {
        {"no tags: an ID3v1 tag is added", {}, {}, {}, {}, AddedId3v1()},
        {"ID3v1", {}, v1, {}, {}, v1},
        {"ID3v2 without ID3v1: the ID3v1 tag takes its texts", id3v2, {}, {}, {}, fromId3v2},
        {"APE and ID3v1", {}, ape + v1, ape, {}, v1},
        {"APE without header, TAG+, ID3v1",
         {},
         apeNoHeader + plus + v1,
         apeNoHeader,
         {},
         plus + v1},
        {"old lyrics: replaced, other fields kept",
         {},
         ape + old + v1,
         ape,
         {{"INF", "kept info"}, {"AUT", "kept author"}},
         v1,
         "111"},
        {"old v1 lyrics: replaced", {}, Lyrics3v1("old text\r\n") + v1, {}, {}, v1},
        {"lyrics before an APE tag: put after it",
         {},
         old + ape + v1,
         ape,
         {{"INF", "kept info"}, {"AUT", "kept author"}},
         v1,
         "111"},
        {"two stacked blocks: one remains",
         {},
         Lyrics3v2({{"LYR", "first"}}) +
             Lyrics3v2({{"IND", "10"}, {"LYR", "second"}, {"ETT", "long title"}}) + v1,
         {},
         {{"ETT", "long title"}},
         v1},
    };
}

QByteArray ExpectedBlock(const QByteArray& lyrics, const Fields& kept, const char* ind = "11") {
    Fields fields{{"IND", ind}, {"LYR", lyrics}};
    fields += kept;
    return Lyrics3v2(fields);
}

class LyricsTest : public ::testing::Test {
protected:
    TestFolder folder;
    QString mp3 = folder.File("song.mp3");
    QString rmp = folder.File("song.rmp");
};

TEST_F(LyricsTest, Mp3LyricsGoBetweenApeAndTagPlusAndLeaveTheRestAsItWas) {
    const QByteArray audio = Frames(5);
    for (const Mp3Case& c : Mp3Cases()) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteBytes(mp3, c.head + audio + c.tail));
        ASSERT_EQ(Embed(mp3, NewLyrics), 1);
        EXPECT_EQ(ReadBytes(mp3), c.head + audio + c.before +
                                      ExpectedBlock(NewLyrics, c.keptFields, c.ind) + c.after);
        EXPECT_EQ(vbmp3_getFileType(mp3), AudioHasLyrics);
        EXPECT_EQ(Extract(mp3), NewLyrics);

        ASSERT_EQ(vbmp3_delFileLyrics3Info(mp3), 1);
        EXPECT_EQ(ReadBytes(mp3), c.head + audio + c.before + c.after);
        EXPECT_EQ(vbmp3_getFileType(mp3), 0);
        EXPECT_TRUE(Extract(mp3).isNull());
        EXPECT_EQ(vbmp3_delFileLyrics3Info(mp3), 0);
    }
}

TEST_F(LyricsTest, EmbeddingAgainReplacesTheLyrics) {
    const QByteArray original = Frames(4) + Id3v1Tag("t");
    ASSERT_TRUE(WriteBytes(mp3, original));
    ASSERT_EQ(Embed(mp3, "[00:01:00]first\r\n"), 1);
    ASSERT_EQ(Embed(mp3, NewLyrics), 1);
    EXPECT_EQ(ReadBytes(mp3), Frames(4) + ExpectedBlock(NewLyrics, {}) + Id3v1Tag("t"));
    ASSERT_EQ(vbmp3_delFileLyrics3Info(mp3), 1);
    EXPECT_EQ(ReadBytes(mp3), original);
}

TEST_F(LyricsTest, StoredTextIsTheArgumentWithoutItsFillingBlanks) {
    const QByteArray japanese = EncodeCp932(U("[00:01:00]さくら　さくら\r\n[00:05:00]～①Ⅰ\r\n"));
    struct TextCase {
        const char* name;
        QByteArray argument;
        QByteArray stored;
    };
    const TextCase cases[] = {
        {"CP932 bytes as they are", BlankFilled(japanese), japanese},
        {"blanks at the end of the last line go too", BlankFilled("[00:01:00]la  "),
         "[00:01:00]la"},
        {"the text ends at a NUL", "[00:01:00]la\r\n" + QByteArray(10, '\0') + "rest",
         "[00:01:00]la\r\n"},
        {"all blanks: an empty LYR field", QByteArray(LyricsBufferBytes, ' '), ""},
        {"a 60000-byte text uses the whole buffer", QByteArray(LyricsBufferBytes, 'x'),
         QByteArray(LyricsBufferBytes, 'x')},
        {"a buffer longer than 60000 bytes is accepted", japanese + QByteArray(90000, ' '),
         japanese},
    };
    Lyrics3InfoRecord info;
    info.Indication1 = '1';
    info.Indication2 = '1';
    const QByteArray empty(LyricsBufferBytes, '\0');
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteBytes(mp3, Frames(2) + Id3v1Tag("t")));
        ASSERT_EQ(vbmp3_setFileLyrics3InfoVB(mp3, info, c.argument, empty, empty), 1);
        EXPECT_EQ(ReadBytes(mp3), Frames(2) + ExpectedBlock(c.stored, {}) + Id3v1Tag("t"));
        EXPECT_EQ(vbmp3_getFileType(mp3), AudioHasLyrics);
        EXPECT_EQ(Extract(mp3), c.stored);
    }
}

TEST_F(LyricsTest, LyricsALyrics3FieldCannotHoldAreRefused) {
    const QByteArray original = Frames(2) + Id3v1Tag("t");
    for (const QByteArray& lyrics :
         {QByteArray(100000, 'x'), QByteArray("[00:01:00]\xFF\xFF\r\n")}) {
        ASSERT_TRUE(WriteBytes(mp3, original));
        EXPECT_EQ(Embed(mp3, lyrics), 0);
        EXPECT_EQ(ReadBytes(mp3), original);
    }
}

TEST_F(LyricsTest, LongLyricsFromOtherToolsAreCutOnACharacterBoundary) {
    // 1 + 2 x 35000 bytes: byte 60000 would be the first half of a two-byte character.
    const QByteArray lyrics = "[" + EncodeCp932(QString(35000, QChar(u'あ')));
    ASSERT_TRUE(
        WriteBytes(mp3, Frames(2) + Lyrics3v2({{"IND", "10"}, {"LYR", lyrics}}) + Id3v1Tag("t")));
    const QByteArray extracted = Extract(mp3);
    EXPECT_EQ(extracted.size(), LyricsBufferBytes - 1);
    EXPECT_EQ(extracted, lyrics.left(LyricsBufferBytes - 1));
}

TEST_F(LyricsTest, RecordTextsAndIndicationsTravelWithTheBlock) {
    Lyrics3InfoRecord info;
    info.Indication1 = '1';
    info.Indication2 = '0';
    const auto put = [](AnsiText<250>& field, const QByteArray& text) {
        std::copy(text.begin(), text.end(), field.begin());
    };
    put(info.Text1, "Extended title");
    put(info.Text4, EncodeCp932(U("作詞者")));
    ASSERT_TRUE(WriteBytes(mp3, Frames(2) + Id3v1Tag("t")));
    ASSERT_EQ(Embed(mp3, NewLyrics, &info), 1);
    EXPECT_EQ(ReadBytes(mp3), Frames(2) +
                                  Lyrics3v2({{"IND", "10"},
                                             {"LYR", NewLyrics},
                                             {"ETT", "Extended title"},
                                             {"AUT", EncodeCp932(U("作詞者"))}}) +
                                  Id3v1Tag("t"));
    Lyrics3InfoRecord read;
    EXPECT_EQ(Extract(mp3, &read), NewLyrics);
    EXPECT_EQ(read.Indication1, '1');
    EXPECT_EQ(read.Indication2, '0');
    EXPECT_EQ(AnsiToText(read.Text1), QStringLiteral("Extended title"));
    EXPECT_EQ(AnsiToText(read.Text2), QString());
    EXPECT_EQ(AnsiToText(read.Text4), U("作詞者"));
}

// ---- RMP files -------------------------------------------------------------------------

struct Chunk {
    QByteArray id;
    QByteArray data;
};

// Walks chunks the way a RIFF reader does; fails the test on any size that does not fit or a
// pad byte that is not zero.
QVector<Chunk> WalkChunks(const QByteArray& bytes, qsizetype from, qsizetype to) {
    QVector<Chunk> chunks;
    qsizetype at = from;
    while (at < to) {
        EXPECT_LE(at + 8, to);
        if (at + 8 > to)
            break;
        const quint32 size = quint8(bytes[at + 4]) | quint8(bytes[at + 5]) << 8 |
                             quint8(bytes[at + 6]) << 16 | quint32(quint8(bytes[at + 7])) << 24;
        const qsizetype padded = size + (size & 1);
        EXPECT_LE(at + 8 + padded, to) << bytes.mid(at, 4).toStdString();
        if (at + 8 + padded > to)
            break;
        if (size & 1)
            EXPECT_EQ(bytes[at + 8 + size], '\0');
        chunks.append({bytes.mid(at, 4), bytes.mid(at + 8, size)});
        at += 8 + padded;
    }
    return chunks;
}

// The top-level chunks of an RMP file, after checking the RIFF header and size.
QVector<Chunk> RmpChunks(const QByteArray& file) {
    EXPECT_TRUE(file.startsWith("RIFF"));
    EXPECT_EQ(file.mid(8, 4), "RMP3");
    EXPECT_EQ(quint32(quint8(file[4]) | quint8(file[5]) << 8 | quint8(file[6]) << 16 |
                      quint8(file[7]) << 24),
              quint32(file.size() - 8));
    return WalkChunks(file, 12, file.size());
}

QVector<QByteArray> Ids(const QVector<Chunk>& chunks) {
    QVector<QByteArray> ids;
    for (const Chunk& chunk : chunks)
        ids.append(chunk.id);
    return ids;
}

QVector<Chunk> InfoItems(const Chunk& list) {
    EXPECT_EQ(list.id, "LIST");
    EXPECT_TRUE(list.data.startsWith("INFO"));
    return WalkChunks(list.data, 4, list.data.size());
}

TEST_F(LyricsTest, RmpLyricsGoIntoIlycBeforeIid3AndTheRiffStaysValid) {
    const QByteArray audio = Frames(5); // odd length: the data chunk is padded
    const QByteArray v1 = Id3v1Tag("title");
    const QByteArray original = RmpFile(audio, InfoList(RiffChunk("INAM", QByteArray("title", 6)) +
                                                        RiffChunk("IART", QByteArray("artist", 7)) +
                                                        RiffChunk("IID3", v1)));
    ASSERT_TRUE(WriteBytes(rmp, original));
    ASSERT_EQ(Embed(rmp, NewLyrics), 1);

    const QByteArray changed = ReadBytes(rmp);
    EXPECT_TRUE(changed.endsWith(v1)); // the file still ends in the ID3v1 copy
    const QVector<Chunk> chunks = RmpChunks(changed);
    ASSERT_EQ(Ids(chunks), QVector<QByteArray>({"data", "LIST"}));
    EXPECT_EQ(chunks[0].data, audio);
    const QVector<Chunk> items = InfoItems(chunks[1]);
    ASSERT_EQ(Ids(items), QVector<QByteArray>({"INAM", "IART", "ILYC", "IID3"}));
    EXPECT_EQ(items[2].data, '\0' + ExpectedBlock(NewLyrics, {}) + '\0');
    EXPECT_EQ(vbmp3_getFileType(rmp), AudioRmp | AudioHasLyrics);
    EXPECT_EQ(Extract(rmp), NewLyrics);

    ASSERT_EQ(vbmp3_delFileLyrics3Info(rmp), 1);
    EXPECT_EQ(ReadBytes(rmp), original);
    EXPECT_EQ(vbmp3_getFileType(rmp), AudioRmp);
}

TEST_F(LyricsTest, RmpWithoutInfoListGetsOneAfterItsLastChunk) {
    const QByteArray audio = Frames(4);
    const QByteArray original = RmpFile(audio, RiffChunk("junk", "abc"));
    ASSERT_TRUE(WriteBytes(rmp, original));
    ASSERT_EQ(Embed(rmp, NewLyrics), 1);
    const QVector<Chunk> chunks = RmpChunks(ReadBytes(rmp));
    ASSERT_EQ(Ids(chunks), QVector<QByteArray>({"data", "junk", "LIST"}));
    EXPECT_EQ(chunks[0].data, audio);
    EXPECT_EQ(Ids(InfoItems(chunks[2])), QVector<QByteArray>({"ILYC"}));
    EXPECT_EQ(Extract(rmp), NewLyrics);

    // Deleting removes the lyrics and nothing else: the LIST/INFO chunk stays, empty.
    ASSERT_EQ(vbmp3_delFileLyrics3Info(rmp), 1);
    EXPECT_EQ(ReadBytes(rmp), RmpFile(audio, RiffChunk("junk", "abc") + InfoList({})));
}

TEST_F(LyricsTest, RmpChunksAfterTheListAndBytesAfterTheRiffAreKept) {
    const QByteArray audio = Frames(3);
    const QByteArray after = RiffChunk("cue ", "12345");
    QByteArray original = RmpFile(audio, InfoList(RiffChunk("INAM", QByteArray("t", 2))) + after);
    original += "trailing bytes outside the RIFF";
    ASSERT_TRUE(WriteBytes(rmp, original));
    ASSERT_EQ(Embed(rmp, NewLyrics), 1);
    const QByteArray changed = ReadBytes(rmp);
    EXPECT_TRUE(changed.endsWith(after + "trailing bytes outside the RIFF"));
    const qsizetype riffEnd = 8 + qsizetype(quint8(changed[4]) | quint8(changed[5]) << 8);
    const QVector<Chunk> chunks = WalkChunks(changed, 12, riffEnd);
    EXPECT_EQ(Ids(chunks), QVector<QByteArray>({"data", "LIST", "cue "}));
    EXPECT_EQ(Extract(rmp), NewLyrics);
    ASSERT_EQ(vbmp3_delFileLyrics3Info(rmp), 1);
    EXPECT_EQ(ReadBytes(rmp), original);
}

TEST_F(LyricsTest, PlainIlycTextIsReadAndReplaced) {
    const QByteArray text = EncodeCp932(U("[00:01:00]うた\r\n"));
    const QByteArray original = RmpFile(
        Frames(3), InfoList(RiffChunk("ILYC", text + '\0') + RiffChunk("IID3", Id3v1Tag("t"))));
    ASSERT_TRUE(WriteBytes(rmp, original));
    EXPECT_EQ(Extract(rmp), text);
    ASSERT_EQ(Embed(rmp, NewLyrics), 1);
    const QVector<Chunk> items = InfoItems(RmpChunks(ReadBytes(rmp))[1]);
    ASSERT_EQ(Ids(items), QVector<QByteArray>({"ILYC", "IID3"}));
    EXPECT_EQ(items[0].data, '\0' + ExpectedBlock(NewLyrics, {}) + '\0');
}

TEST_F(LyricsTest, ALyrics3BlockInIlycWithoutItsLeadingNulIsRead) {
    ASSERT_TRUE(WriteBytes(
        rmp, RmpFile(Frames(3), InfoList(RiffChunk("ILYC", Lyrics3v1("v1 words\r\n"))))));
    EXPECT_EQ(Extract(rmp), "v1 words\r\n");
}

} // namespace

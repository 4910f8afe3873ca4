// Files the library changed, checked with the tools other people read them with: ExifTool
// finds the embedded lyrics (and the RIFF texts of an RMP file), and ffmpeg and mpg123 still
// decode every frame without an error. Each tool runs a handful of times.
//
// The fixtures are real encoder output, made with
//   sox -D -n -r 22050 -c 1 -b 16 tone.wav synth 0.6 sine 440 vol 0.5
//   lame -m m --cbr -b 32 --resample 22.05 --noreplaygain tone.wav lyrics-tone.mp3
//   sox -D -n -r 44100 -c 2 -b 16 tone2.wav synth 0.3 sine 660 vol 0.5
//   lame -m j --cbr -b 64 --resample 44.1 --noreplaygain --tt "Sample Title"
//        --ta "Sample Artist" --tl "Sample Album" --ty 2001 --add-id3v2 tone2.wav
//        tags-id3v1v2.mp3
#include "SongFileBuilders.h"
#include "audio/Vbmp3.h"
#include "base/Cp932.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

QByteArray Fixture(const char* name) {
    return ReadBytes(QStringLiteral(TAVELKOR_TEST_FIXTURES "/") + QString::fromUtf8(name));
}

const QByteArray Lyrics =
    EncodeCp932(U("[00:00:10]一行目の歌詞　～①\r\n[00:00:40]二行目 Second line\r\n[00:01:00]\r\n"));

// The frames ffprobe reads from the file, or -1.
int FrameCount(const QString& path) {
    QByteArray out;
    if (RunTool(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_frames"),
                 QStringLiteral("-show_entries"), QStringLiteral("stream=nb_read_frames"),
                 QStringLiteral("-of"), QStringLiteral("default=nw=1:nk=1"), path},
                &out) != 0)
        return -1;
    return out.trimmed().toInt();
}

// The MD5 of the audio ffmpeg decodes from the file: equal before and after a change when
// every frame still decodes to the same sound. Gapless trimming is off: ffmpeg applies the
// encoder padding of LAME's Info frame only while the file has nothing after its frames.
QByteArray DecodedAudioMd5(const QString& path) {
    QByteArray out;
    RunTool(QStringLiteral("ffmpeg"),
            {QStringLiteral("-v"), QStringLiteral("quiet"), QStringLiteral("-flags2"),
             QStringLiteral("+skip_manual"), QStringLiteral("-i"), path, QStringLiteral("-f"),
             QStringLiteral("md5"), QStringLiteral("-")},
            &out);
    return out.trimmed();
}

// The LYR bytes ExifTool reads, undecoded (-L keeps its Latin-1 reading as bytes).
QByteArray ExifToolLyrics(const QString& path) {
    QByteArray out;
    RunTool(QStringLiteral("exiftool"),
            {QStringLiteral("-L"), QStringLiteral("-b"), QStringLiteral("-Lyrics3:Lyrics"), path},
            &out);
    return out;
}

bool HaveTools() {
    return RunTool(QStringLiteral("exiftool"), {QStringLiteral("-ver")}) == 0 &&
           RunTool(QStringLiteral("ffprobe"), {QStringLiteral("-version")}) == 0;
}

class OutsideToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveTools())
            GTEST_SKIP() << "exiftool or ffprobe is not installed";
    }
    TestFolder folder;
};

TEST_F(OutsideToolsTest, ExifToolReadsOurLyricsAndTheSongStillDecodes) {
    const QByteArray withApe =
        Fixture("tags-id3v1v2.mp3")
            .insert(Fixture("tags-id3v1v2.mp3").size() - 128, ApeTag("Title", "APE title", true));
    const struct {
        const char* name;
        QByteArray song;
    } songs[] = {
        {"no tags", Fixture("lyrics-tone.mp3")},
        {"ID3v2 and ID3v1", Fixture("tags-id3v1v2.mp3")},
        {"ID3v2, APE and ID3v1", withApe},
    };
    for (const auto& song : songs) {
        SCOPED_TRACE(song.name);
        const QString path = folder.File("song.mp3");
        ASSERT_TRUE(WriteBytes(path, song.song));
        const int frames = FrameCount(path);
        ASSERT_GT(frames, 10);

        const QByteArray sound = DecodedAudioMd5(path);
        ASSERT_TRUE(sound.startsWith("MD5="));

        ASSERT_EQ(Embed(path, Lyrics), 1);
        EXPECT_EQ(ExifToolLyrics(path), Lyrics);
        EXPECT_EQ(FrameCount(path), frames);
        EXPECT_EQ(DecodedAudioMd5(path), sound);

        ASSERT_EQ(vbmp3_delFileLyrics3Info(path), 1);
        EXPECT_EQ(ExifToolLyrics(path), "");
    }
}

// mpg123 decodes every frame and stumbles only where the audio ends: at the Lyrics3 block,
// which MPEG decoders do not know and step over as data after the last frame.
TEST_F(OutsideToolsTest, Mpg123DecodesEveryFrameOfAChangedSong) {
    const QString path = folder.File("song.mp3");
    ASSERT_TRUE(WriteBytes(path, Fixture("tags-id3v1v2.mp3")));
    ASSERT_EQ(Embed(path, Lyrics), 1);
    QByteArray err;
    const int code = RunTool(QStringLiteral("mpg123"), {QStringLiteral("-t"), path}, nullptr, &err);
    if (code == -2)
        GTEST_SKIP() << "mpg123 is not installed";
    EXPECT_EQ(code, 0);
    const qsizetype block = ReadBytes(path).indexOf("LYRICSBEGIN");
    QByteArrayList complaints;
    for (const QByteArray& line : err.split('\n')) {
        if (line.contains("Illegal") || line.contains("rror"))
            complaints.append(line.trimmed());
    }
    EXPECT_EQ(complaints, QByteArrayList({"Note: Illegal Audio-MPEG-Header 0x4c595249 at offset " +
                                          QByteArray::number(block) + "."}))
        << err.toStdString();
}

TEST_F(OutsideToolsTest, ARiffReaderStillReadsAChangedRmpFile) {
    const QByteArray mp3 = Fixture("lyrics-tone.mp3");
    const QString path = folder.File("song.rmp");
    ASSERT_TRUE(
        WriteBytes(path, RmpFile(mp3, InfoList(RiffChunk("INAM", QByteArray("Rmp title", 10)) +
                                               RiffChunk("IID3", Id3v1Tag("Rmp title"))))));
    const int frames = FrameCount(path);
    ASSERT_GT(frames, 10);
    ASSERT_EQ(Embed(path, Lyrics), 1);
    QByteArray out;
    ASSERT_EQ(RunTool(QStringLiteral("exiftool"),
                      {QStringLiteral("-s3"), QStringLiteral("-RIFF:Title"), path}, &out),
              0);
    EXPECT_EQ(out.trimmed(), "Rmp title");
    EXPECT_EQ(FrameCount(path), frames);
    EXPECT_EQ(Extract(path), Lyrics);
}

} // namespace

// The ID3v2 lyrics frames of mode 4, checked with the tools other people read them with:
// Mutagen and ExifTool read our SYLT entries (texts and times) and USLT text exactly, kid3-cli
// exports the same times, ffprobe shows the USLT text, ffmpeg decodes the same audio before and
// after and mpg123 reads every frame; Mutagen sees every other frame unchanged. And frames
// written by Mutagen and by kid3-cli come out of mode 5 with their texts and times.
#include "app/BatchState.h"
#include "app/ResultCodes.h"
#include "audio/SongFileBuilders.h"
#include "base/Cp932.h"
#include "formats/SyncedLyrics.h"
#include "modes/ModeTable.h"
#include "settings/Settings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

const QString Python = QStringLiteral("/usr/bin/python3"); // Debian's, where python3-mutagen is

QByteArray Fixture(const char* name) {
    return ReadBytes(QStringLiteral(TAVELKOR_TEST_FIXTURES "/") + QString::fromUtf8(name));
}

// Mutagen's reading of a tag as it is in the file: the lyrics frames, and every other frame
// (unknown ones as raw bytes), sorted.
QJsonObject MutagenDump(const QString& path) {
    const QString script = QStringLiteral(R"(import json, sys
from mutagen.id3 import ID3, ID3NoHeaderError
out = {"version": 0, "SYLT": [], "USLT": [], "others": []}
try:
    t = ID3(sys.argv[1], translate=False)
except ID3NoHeaderError:
    print(json.dumps(out))
    sys.exit(0)
out["version"] = t.version[1]
for f in t.values():
    if f.FrameID == "SYLT":
        out["SYLT"].append([f.lang, f.desc, f.format, f.type, [[x, ms] for x, ms in f.text]])
    elif f.FrameID == "USLT":
        out["USLT"].append([f.lang, f.desc, f.text])
    else:
        out["others"].append(repr(f))
out["others"] += [repr(raw) for raw in t.unknown_frames]
out["others"].sort()
print(json.dumps(out))
)");
    QByteArray out;
    EXPECT_EQ(RunTool(Python, {QStringLiteral("-c"), script, path}, &out), 0);
    return QJsonDocument::fromJson(out).object();
}

// ExifTool's entries, "[seconds.mmm]text" joined by line feeds.
SyncedLyrics ExifToolEntries(const QString& path) {
    QByteArray out;
    RunTool(QStringLiteral("exiftool"),
            {QStringLiteral("-b"), QStringLiteral("-SynchronizedLyricsText-jpn"), path}, &out);
    const QString text = QString::fromUtf8(out);
    static const QRegularExpression stamp(QStringLiteral("\\[(\\d+)\\.(\\d{3})\\]"));
    SyncedLyrics entries;
    qsizetype end = text.size();
    QVector<QRegularExpressionMatch> matches;
    for (auto it = stamp.globalMatch(text); it.hasNext();)
        matches.append(it.next());
    for (qsizetype i = matches.size() - 1; i >= 0; --i) {
        const auto& m = matches[i];
        QString entry = text.mid(m.capturedEnd(), end - m.capturedEnd());
        if (i + 1 < matches.size())
            entry.chop(1); // the line feed between two entries
        entries.prepend({entry, m.captured(1).toLongLong() * 1000 + m.captured(2).toLongLong()});
        end = m.capturedStart();
    }
    return entries;
}

// The decoded audio's MD5, the picture left aside (gapless trimming off: ffmpeg applies LAME's
// padding only while the file has nothing after its frames).
QByteArray DecodedAudioMd5(const QString& path) {
    QByteArray out;
    RunTool(QStringLiteral("ffmpeg"),
            {QStringLiteral("-v"), QStringLiteral("quiet"), QStringLiteral("-flags2"),
             QStringLiteral("+skip_manual"), QStringLiteral("-i"), path, QStringLiteral("-map"),
             QStringLiteral("0:a"), QStringLiteral("-f"), QStringLiteral("md5"),
             QStringLiteral("-")},
            &out);
    return out.trimmed();
}

const QByteArray Lyrics = EncodeCp932(
    U("[00:01:00]歌[00:01:50]詞[00:02:00]\r\n[00:03:00]二行目 second\r\n@TimeRatio=1\r\n"));
const SyncedLyrics Entries = {
    {U("歌"), 1000}, {U("詞"), 1500}, {QString(), 2000}, {U("\n二行目 second"), 3000}};
const QString Unsynced = U("歌詞\n二行目 second");

// Frames of every kind around our lyrics: texts, a comment, a picture, a private frame, the
// ID3v2.3 volume adjustment (which TagLib's own tag writer drops), one no reader knows, and
// an old SYLT of ours that the new one replaces.
QByteArray OtherFrames() {
    return Id3Frame(3, "TIT2", '\1' + Utf16WithBom(U("曲名"))) +
           Id3Frame(3, "COMM",
                    '\1' + QByteArray("jpn") + Utf16WithBom({}) + QByteArray(2, '\0') +
                        Utf16WithBom(U("コメント"))) +
           Id3Frame(3, "APIC",
                    QByteArray("\0image/png\0\x03\0", 13) + "\x89PNG\xFF\xE0\xFF" +
                        QByteArray(300, '\x7F')) +
           Id3Frame(3, "PRIV", QByteArray("tavelkor.test\0\xFF\xFB\x90", 17)) +
           Id3Frame(3, "RVAD", QByteArray("\x03\x10\x01\x00\x01\x00\0\0\0\0", 10)) +
           Id3Frame(3, "XYZW", "unknown frame") +
           Id3Frame(3, "SYLT", QByteArray("\0jpn\x02\x01\0old\0\0\0\0\x10", 15));
}

class Id3LyricsToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (RunTool(Python, {QStringLiteral("-c"), QStringLiteral("import mutagen")}) != 0 ||
            RunTool(QStringLiteral("exiftool"), {QStringLiteral("-ver")}) != 0 ||
            RunTool(QStringLiteral("ffprobe"), {QStringLiteral("-version")}) != 0 ||
            RunTool(QStringLiteral("kid3-cli"), {QStringLiteral("--help")}) < 0)
            GTEST_SKIP() << "python3-mutagen, exiftool, ffmpeg or kid3-cli is not installed "
                            "(scripts/bootstrap installs them)";
    }
    void Run(int mode, const QString& file) {
        BatchState state;
        state.DroppedFiles = {file};
        ASSERT_TRUE(RunMode(mode, state, settings));
        ASSERT_EQ(state.Results.size(), 1);
        ASSERT_EQ(state.Results[0].Code, Converted);
    }
    TestFolder folder;
    Settings settings;
};

TEST_F(Id3LyricsToolsTest, RealReadersReadOurFramesAndEverythingElseStays) {
    const QByteArray audio = Fixture("lyrics-tone.mp3");
    const struct {
        const char* name;
        QByteArray song;
    } songs[] = {
        {"a tag with room", Id3Tag(3, 0, OtherFrames(), 8192) + audio},
        {"a tag without room", Id3Tag(3, 0, OtherFrames(), 0) + audio},
        {"no tag", audio},
    };
    for (const auto& song : songs) {
        SCOPED_TRACE(song.name);
        const QString path = folder.Put("song.mp3", song.song);
        folder.Put("song.txt", Lyrics);
        const QJsonObject before = MutagenDump(path);
        const QByteArray sound = DecodedAudioMd5(path);
        ASSERT_TRUE(sound.startsWith("MD5="));
        Run(ModeTimeTagToMp3, folder.File("song.txt"));

        const QJsonObject after = MutagenDump(path);
        EXPECT_EQ(after[u"version"], 3);
        EXPECT_EQ(after[u"others"], before[u"others"]);
        const QJsonArray sylt = after[u"SYLT"].toArray();
        ASSERT_EQ(sylt.size(), 1);
        const QJsonArray frame = sylt[0].toArray();
        EXPECT_EQ(frame[0], QStringLiteral("jpn"));
        EXPECT_EQ(frame[1], QString());
        EXPECT_EQ(frame[2], 2); // milliseconds
        EXPECT_EQ(frame[3], 1); // lyrics
        SyncedLyrics mutagen;
        for (const QJsonValue entry : frame[4].toArray())
            mutagen.append({entry[0].toString(), entry[1].toInteger()});
        EXPECT_EQ(mutagen, Entries);
        EXPECT_EQ(after[u"USLT"],
                  QJsonArray({QJsonArray({QStringLiteral("jpn"), QString(), Unsynced})}));
        EXPECT_EQ(ExifToolEntries(path), Entries);
        QByteArray exifText;
        RunTool(QStringLiteral("exiftool"),
                {QStringLiteral("-b"), QStringLiteral("-Lyrics-jpn"), path}, &exifText);
        EXPECT_EQ(QString::fromUtf8(exifText), Unsynced);

        QByteArray probed;
        RunTool(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                 QStringLiteral("format_tags=lyrics-jpn"), QStringLiteral("-of"),
                 QStringLiteral("default=nw=1:nk=1"), path},
                &probed);
        EXPECT_EQ(QString::fromUtf8(probed).trimmed(), Unsynced);
        EXPECT_EQ(DecodedAudioMd5(path), sound);

        // kid3-cli writes characters outside Latin-1 as "?": its times are compared, in
        // hundredths.
        const QString lrc = folder.File("kid3.lrc");
        ASSERT_EQ(RunTool(QStringLiteral("kid3-cli"),
                          {QStringLiteral("-c"), QStringLiteral("get SYLT:'%1'").arg(lrc), path}),
                  0);
        QStringList times;
        for (const QString& line : QString::fromUtf8(ReadBytes(lrc)).split(u'\n')) {
            if (line.startsWith(u"[0"))
                times.append(line.mid(1, 8));
        }
        EXPECT_EQ(times, QStringList({QStringLiteral("00:01.00"), QStringLiteral("00:01.50"),
                                      QStringLiteral("00:02.00"), QStringLiteral("00:03.00")}));

        // mpg123 stumbles only where the frames end, at the Lyrics3 block.
        QByteArray err;
        EXPECT_EQ(RunTool(QStringLiteral("mpg123"), {QStringLiteral("-t"), path}, nullptr, &err),
                  0);
        const QByteArray bytes = ReadBytes(path);
        QByteArrayList complaints;
        for (const QByteArray& line : err.split('\n')) {
            if (line.contains("Illegal") || line.contains("rror"))
                complaints.append(line.trimmed());
        }
        EXPECT_EQ(complaints,
                  QByteArrayList({"Note: Illegal Audio-MPEG-Header 0x4c595249 at offset " +
                                  QByteArray::number(bytes.indexOf("LYRICSBEGIN")) + "."}));
    }
}

TEST_F(Id3LyricsToolsTest, FramesOtherToolsWroteComeOutOfModeFive) {
    settings.M2T.ExtNew = 1; // lrc
    const QString path = folder.Put("song.mp3", Fixture("tags-id3v1v2.mp3"));
    const QString output = folder.File("song.lrc");
    const auto extracted = [&] {
        Run(ModeMp3ToTimeTag, path);
        return DecodeCp932(ReadBytes(output));
    };
    // Mutagen: another language, a description, a CR LF and a line feed at the end of a line.
    ASSERT_EQ(RunTool(Python, {QStringLiteral("-c"), QStringLiteral(R"(import sys
from mutagen.id3 import ID3, SYLT, USLT
t = ID3(sys.argv[1])
t.add(SYLT(encoding=1, lang="eng", desc="vocal", format=2, type=1,
           text=[("歌", 1000), ("詞\n", 1500), ("二行目", 3005), ("\r\nend", 4200)]))
t.add(USLT(encoding=3, lang="eng", desc="", text="歌詞\n二行目"))
t.save()
)"),
                               path}),
              0);
    EXPECT_EQ(extracted(), U("[00:01:00]歌[00:01:50]詞\r\n[00:03:00]二行目\r\n[00:04:20]end\r\n"
                             "\r\n@TimeRatio=1\r\n"));

    // kid3-cli imports an LRC file: every entry starts with a line feed.
    const QString lrc = folder.Put("in.lrc", U("[00:01.00]一行目の歌詞\n[00:02.50]second line\n"
                                               "[01:04.25]三行目\n")
                                                 .toUtf8());
    ASSERT_EQ(RunTool(Python, {QStringLiteral("-c"),
                               QStringLiteral("import sys; from mutagen.id3 import ID3; "
                                              "t = ID3(sys.argv[1]); t.delall('SYLT'); t.save()"),
                               path}),
              0);
    ASSERT_EQ(RunTool(QStringLiteral("kid3-cli"),
                      {QStringLiteral("-c"), QStringLiteral("set SYLT:'%1' ''").arg(lrc), path}),
              0);
    EXPECT_EQ(extracted(), U("[00:01:00]一行目の歌詞\r\n[00:02:50]second line\r\n"
                             "[01:04:25]三行目\r\n\r\n@TimeRatio=1\r\n"));

    // Without SYLT, the USLT text.
    settings.M2T.DeleteL3 = true;
    Run(ModeMp3ToTimeTag, path); // takes the SYLT out
    EXPECT_EQ(extracted(), U("歌詞\r\n二行目\r\n"));
}

} // namespace

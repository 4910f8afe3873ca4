// Reading a lyrics file for the preview: the three formats through the readers of the modes,
// real times as the SAMI mode makes them with the nudge moved in as the time shift would save
// it, clear errors for what cannot be previewed, and the song beside the lyrics with the range
// of its MPEG data.
#include "preview/PreviewDocument.h"
#include "TestFiles.h"
#include "audio/SongFileBuilders.h"
#include "formats/DsmpWriter.h"
#include "formats/LrcWriter.h"
#include "formats/LyricsFormat.h"
#include "formats/SamiWriter.h"
#include "lyrics/TimeTagReader.h"
#include "modes/ModeSteps.h"
#include "modes/TimeShiftMode.h"
#include "preview/KaraokeDisplay.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// The times of the steps the display shows.
QVector<int> StepTimes(const PreviewSource& source, int nudge, bool karaoke = true) {
    QVector<int> times;
    const KaraokeDisplay display(PreviewTimes(source, nudge, DefaultRatio, karaoke), karaoke, 1);
    for (const DisplayStep& step : display.Steps())
        times.append(step.TimeMs);
    return times;
}

TEST(PreviewTimes, RatioOffsetAndNudgeAsTheSamiModeAfterTheTimeShift) {
    struct Row {
        const char* File;
        int Nudge;
        QVector<int> Times;
    };
    const Row table[] = {
        {"[00:01:00]a[00:01:50]b\r\n@TimeRatio=1\r\n", 0, {1000, 1500}},
        {"[00:01:00]a[00:01:50]b\r\n@TimeRatio=1\r\n", 120, {1120, 1620}},
        {"[00:01:00]a[00:01:50]b\r\n@TimeRatio=1\r\n", -1200, {0, 300}}, // held at 0
        // No ratio: the default one; tag / 0.9953125, rounded.
        {"[00:10:00]a\r\n", 0, {10047}},
        {"[00:10:00]a\r\n", 10, {10057}},
        {"[00:01:00]a\r\n@TimeRatio=1\r\n@Offset=-300\r\n", 0, {700}},
        {"[00:01:00]a\r\n@TimeRatio=1\r\n@Offset=-300\r\n", -100, {600}},
        // A time inversion is repaired as the SAMI mode repairs it.
        {"[00:02:00]a[00:01:00]b\r\n@TimeRatio=1\r\n", 0, {1000}},
        // The leading silence stays as it is, as in the SAMI output.
        {"[00:01:00]a\r\n@TimeRatio=1\r\n@SilencemSec=500\r\n", 0, {1000}},
    };
    TestFolder folder;
    for (const Row& row : table) {
        const QString path = folder.Put("song.txt", row.File);
        const PreviewSource source = LoadPreviewDocument(path, EncodingChoice::Auto);
        ASSERT_EQ(source.Format, LyricsFormat::TimeTag);
        EXPECT_EQ(StepTimes(source, row.Nudge), row.Times) << row.File << " nudge " << row.Nudge;
    }
}

// A nudge shows what the file holds once it is saved with the time shift, read again.
TEST(PreviewTimes, ANudgeShowsWhatTheSavedFileShows) {
    const char* files[] = {
        "[00:01:00]a[00:01:55]b\r\n[00:03:10]c\r\n@TimeRatio=0.9953125\r\n@Offset=40\r\n",
        "<SAMI>\r\n<BODY>\r\n<SYNC Start=1234>\r\n<P Class=LyricsCC>ab\r\n"
        "<SYNC Start=1777>\r\n<P Class=LyricsCC>abcd\r\n</BODY>\r\n</SAMI>\r\n",
        "[Text]\r\n00:01:234=ab\r\n00:02:345=cd\r\n",
    };
    TestFolder folder;
    for (const char* bytes : files) {
        for (const int nudge : {-1300, -10, 10, 100, 2500}) {
            const QString path = folder.Put("song.txt", bytes);
            const PreviewSource before = LoadPreviewDocument(path, EncodingChoice::Auto);
            ASSERT_TRUE(before.Error.isEmpty()) << before.Error.toStdString();
            const QVector<int> nudged = StepTimes(before, nudge);
            ResultRecord record;
            ShiftFileInPlace(path, before.Format, nudge, EncodingChoice::Auto, record);
            ASSERT_EQ(record.Code, 0);
            const PreviewSource after = LoadPreviewDocument(path, EncodingChoice::Auto);
            EXPECT_EQ(StepTimes(after, 0), nudged) << bytes << " nudge " << nudge;
        }
    }
}

TEST(LoadPreviewDocument, SamiDsmpAndLrcKeepMillisecondsAndKaraokeSteps) {
    // A TimeTag file written as SAMI, as DSMP and as enhanced LRC with karaoke: read back, the
    // preview shows the same steps as the TimeTag file itself.
    TestFolder folder;
    const QString timeTag = folder.Put(
        "song.txt", U("[00:01:00]歌[00:01:37]詞[00:02:11]だ\r\n[00:04:00]next[00:04:50] line\r\n"
                      "@TimeRatio=0.9953125\r\n")
                        .toUtf8());
    const PreviewSource original = LoadPreviewDocument(timeTag, EncodingChoice::Auto);
    const KaraokeDisplay expected(PreviewTimes(original, 0, DefaultRatio, true), true, 2);
    QString sami;
    QString dsmp;
    QString lrc;
    ConvertFromTimeTag(timeTag, DefaultRatio, EncodingChoice::Auto, [&](LyricsDocument& d) {
        sami = MakeSamiText(d, true, DefaultSamiBaseStyle(), KaraokeHtmlDefaults(), 2);
        dsmp = MakeDsmpText(d, true, 0, 2);
        lrc = MakeLrcText(d, LrcWriteOptions{true, true, false});
        return std::optional<QString>(sami);
    });
    for (const auto& [text, captions] : {std::pair{sami, true}, {dsmp, true}, {lrc, false}}) {
        const QString path = folder.Put("song.other", text.toUtf8());
        const PreviewSource source = LoadPreviewDocument(path, EncodingChoice::Auto);
        ASSERT_TRUE(source.Error.isEmpty()) << source.Error.toStdString();
        const KaraokeDisplay display(PreviewTimes(source, 0, DefaultRatio, true), true, 2);
        ASSERT_EQ(display.Steps().size(), expected.Steps().size()) << text.toStdString();
        for (int i = 0; i < expected.Steps().size(); ++i) {
            const qint64 t = expected.Steps()[i].TimeMs;
            EXPECT_EQ(display.Steps()[i].TimeMs, t);
            const auto shown = display.RowsAt(t);
            const auto wanted = expected.RowsAt(t);
            for (int row = 0; row < 2; ++row) {
                EXPECT_EQ(shown[row].Text, wanted[row].Text) << t;
                EXPECT_EQ(shown[row].Sung, wanted[row].Sung) << t;
            }
        }
        // Without karaoke every caption is one line, as the player shows it; an LRC line is one
        // line at its line stamp.
        EXPECT_EQ(StepTimes(source, 0, false).size(), captions ? expected.Steps().size() : 2);
    }
}

TEST(LoadPreviewDocument, SaysWhyAFileCannotBePreviewed) {
    TestFolder folder;
    struct Row {
        QString Path;
        const char* Message;
    };
    const Row table[] = {
        {folder.File("missing.txt"), "ファイルが見つかりません"},
        {folder.Path(), "歌詞ファイルではありません"},
        {folder.Put("plain.txt", "just words\r\n"),
         "TimeTag・SAMI・DSMP・LRCの歌詞ファイルではありません"},
        {folder.Put("empty.txt", ""), "TimeTag・SAMI・DSMP・LRCの歌詞ファイルではありません"},
    };
    for (const Row& row : table) {
        const PreviewSource source = LoadPreviewDocument(row.Path, EncodingChoice::Auto);
        EXPECT_TRUE(source.Error.startsWith(U(row.Message))) << source.Error.toStdString();
        EXPECT_TRUE(source.Error.endsWith(row.Path));
        EXPECT_TRUE(source.Document.Lines.isEmpty());
    }
    // CP932 text is read by the one decoder like everywhere else.
    const PreviewSource cp932 = LoadPreviewDocument(
        folder.Put("cp932.txt", QByteArray("[00:01:00]\x89\xCC\r\n")), EncodingChoice::Auto);
    ASSERT_TRUE(cp932.Error.isEmpty());
    EXPECT_EQ(cp932.Encoding, TextEncoding::Cp932);
    EXPECT_EQ(cp932.Document.Lines[0].PlainText, U("歌"));
}

TEST(FindPreviewSong, TheSongBesideTheLyricsAndItsMpegData) {
    const QByteArray mp3 = Frames(6);
    struct Row {
        const char* Name;
        QByteArray Bytes;
        qint64 Offset;
        qint64 Length;
        bool Whole;
    };
    const Row table[] = {
        {"song.mp3", mp3, 0, mp3.size(), true},
        {"song.rmp", RmpFile(mp3, InfoList(RiffChunk("INAM", "t"))), 20, mp3.size(), false},
        {"song.mp3", MacBinaryFile(mp3, "resource"), 128, mp3.size(), false},
        {"song.mp3", MacBinaryFile(RmpFile(mp3), "", 3), 128 + 20, mp3.size(), false},
    };
    for (const Row& row : table) {
        TestFolder folder;
        const QString lyrics = folder.Put("song.txt", "[00:01:00]a\r\n");
        const QString song = folder.Put(row.Name, row.Bytes);
        const PreviewSong found = FindPreviewSong(lyrics);
        EXPECT_EQ(found.Path, song);
        EXPECT_TRUE(found.Error.isEmpty()) << found.Error.toStdString();
        EXPECT_EQ(found.Offset, row.Offset) << row.Name;
        EXPECT_EQ(found.Length, row.Length) << row.Name;
        EXPECT_EQ(found.WholeFile, row.Whole) << row.Name;
        EXPECT_EQ(ReadBytes(song).mid(found.Offset, found.Length), mp3);
    }
    TestFolder empty;
    EXPECT_TRUE(FindPreviewSong(empty.Put("alone.txt", "[00:01:00]a\r\n")).Path.isEmpty());
}

} // namespace

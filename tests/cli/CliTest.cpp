#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

using namespace tavelkor::test;

namespace {

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

class CliTest : public ::testing::Test {
protected:
    TestFolder folder;
    TestFolder config;

    // Runs tavelkor-cli in the test folder with a per-user store of its own.
    CliResult Run(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.Path());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.Path());
        process.start(QStringLiteral(TAVELKOR_CLI_PATH), arguments);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(30000));
        CliResult result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    void WriteLyrics(const char* name) {
        ASSERT_TRUE(WriteBytes(folder.File(name), "[00:01:00]ka[00:01:50]ra\r\n@TimeRatio=1\r\n"));
    }
};

TEST_F(CliTest, ConvertsRelativePathsAndPrintsTheReportInUtf8) {
    WriteLyrics("song.txt");
    const CliResult result =
        Run({QStringLiteral("--mode"), QStringLiteral("t2s"), QStringLiteral("song.txt")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, U("Ｄ＆Ｄファイル数 : 1\n\nsong.txt : 00.変換成功\n"));
    EXPECT_TRUE(ReadBytes(folder.File("song.smi")).contains("<SYNC Start=1000>\r\n"));
}

TEST_F(CliTest, RejectedOrFailedFilesGiveExitStatusOne) {
    WriteLyrics("song.txt");
    ASSERT_TRUE(WriteBytes(folder.File("empty.smi"), ""));
    const CliResult rejected =
        Run({QStringLiteral("--mode=0"), QStringLiteral("song.txt"), QStringLiteral("notes.wav")});
    EXPECT_EQ(rejected.exitCode, 1);
    EXPECT_EQ(rejected.out, U("Ｄ＆Ｄファイル数 : 2\n\n"
                              "song.txt  : 00.変換成功\n"
                              "notes.wav : 01.拡張子エラー\n"));
    const CliResult empty =
        Run({QStringLiteral("--mode"), QStringLiteral("s2t"), QStringLiteral("empty.smi")});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(empty.out.contains(U("empty.smi : 12.空ファイル")));
}

TEST_F(CliTest, SettingsFileAndOverridesApplyButAreNeverWritten) {
    WriteLyrics("song.txt");
    ASSERT_TRUE(WriteBytes(folder.File("song.lyr"), "old"));
    const QByteArray ini = "[Init]\r\nOverWrite=False\r\nNowMode=2\r\n";
    ASSERT_TRUE(WriteBytes(folder.File("my.ini"), ini));

    const CliResult kept =
        Run({QStringLiteral("--settings"), QStringLiteral("my.ini"), QStringLiteral("song.txt")});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_TRUE(kept.out.contains(U("song.txt : 04.上書きしない")));
    EXPECT_EQ(ReadBytes(folder.File("song.lyr")), QByteArray("old"));

    const CliResult replaced =
        Run({QStringLiteral("--settings"), QStringLiteral("my.ini"), QStringLiteral("--set"),
             QStringLiteral("Init/OverWrite=True"), QStringLiteral("--set"),
             QStringLiteral("T2D/Alignment=1"), QStringLiteral("song.txt")});
    EXPECT_EQ(replaced.exitCode, 0);
    EXPECT_TRUE(ReadBytes(folder.File("song.lyr")).contains("Alignment=Center\r\n"));
    EXPECT_EQ(ReadBytes(folder.File("my.ini")), ini);
}

TEST_F(CliTest, ReadsThePerUserStoreWithoutWritingIt) {
    WriteLyrics("song.txt");
    const QByteArray ini = "[Init]\nNowMode=2\n[T2D]\nExtNew=3\n";
    ASSERT_TRUE(WriteBytes(config.File("Tavelkor.ini"), ini));
    const CliResult result = Run({QStringLiteral("song.txt")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(QFile::exists(folder.File("song.lyrics")));
    EXPECT_EQ(ReadBytes(config.File("Tavelkor.ini")), ini);
}

TEST_F(CliTest, UsageErrorsExitWithTwoAndOneLineOnStderr) {
    WriteLyrics("song.txt");
    const QList<QStringList> cases = {
        {QStringLiteral("--bogus"), QStringLiteral("song.txt")},
        {QStringLiteral("--mode"), QStringLiteral("karaoke"), QStringLiteral("song.txt")},
        {QStringLiteral("--mode")},
        {QStringLiteral("--set"), QStringLiteral("Init/Nope=1"), QStringLiteral("song.txt")},
        {QStringLiteral("--set"), QStringLiteral("Init/OverWrite=perhaps"),
         QStringLiteral("song.txt")},
        {QStringLiteral("--set"), QStringLiteral("OverWrite"), QStringLiteral("song.txt")},
        {QStringLiteral("--mode"), QStringLiteral("t2s")},
        {QStringLiteral("--mode"), QStringLiteral("shift"), QStringLiteral("song.txt")},
        {QStringLiteral("--mode"), QStringLiteral("match"), QStringLiteral("song.txt")},
        {QStringLiteral("--shift"), QStringLiteral("99999999999"), QStringLiteral("song.txt")},
        {QStringLiteral("--keep"), QStringLiteral("both"), QStringLiteral("song.txt")},
        {QStringLiteral("--report"), QStringLiteral("xml"), QStringLiteral("song.txt")},
        {QStringLiteral("--list"), QStringLiteral("settings"), QStringLiteral("song.txt")},
        {QStringLiteral("--mode=t2x"), QStringLiteral("--to=ass,mp4"), QStringLiteral("song.txt")},
        {QStringLiteral("--mode=t2s"), QStringLiteral("--to=ass"), QStringLiteral("song.txt")},
    };
    for (const QStringList& arguments : cases) {
        const CliResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_EQ(result.err.count(u'\n'), 1) << result.err.toStdString();
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("tavelkor-cli: ")));
    }
    EXPECT_FALSE(QFile::exists(folder.File("song.smi")));
}

TEST_F(CliTest, TheJsonReportParsesAndKeepsTheExitStatus) {
    WriteLyrics("song.txt");
    ASSERT_TRUE(WriteBytes(folder.File("notes.wav"), "x"));
    const CliResult result =
        Run({QStringLiteral("--mode"), QStringLiteral("t2s"), QStringLiteral("--report"),
             QStringLiteral("json"), QStringLiteral("song.txt"), QStringLiteral("notes.wav")});
    EXPECT_EQ(result.exitCode, 1);
    QJsonParseError error;
    const QJsonObject report = QJsonDocument::fromJson(result.out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
    EXPECT_EQ(report[QStringLiteral("mode")].toString(), QStringLiteral("t2s"));
    EXPECT_EQ(report[QStringLiteral("dropCount")].toInt(), 2);
    const QJsonObject file = report[QStringLiteral("files")].toArray().at(0).toObject();
    EXPECT_EQ(file[QStringLiteral("output")].toString(), folder.File("song.smi"));
    EXPECT_EQ(file[QStringLiteral("result")].toString(), U("00.変換成功"));
    EXPECT_EQ(file[QStringLiteral("inputEncoding")].toString(), QStringLiteral("CP932"));
    EXPECT_EQ(report[QStringLiteral("rejected")].toArray().at(0).toString(),
              folder.File("notes.wav"));
}

TEST_F(CliTest, TheToolsTakeTheirAnswersFromTheOptions) {
    WriteLyrics("song.txt");
    const CliResult shifted = Run({QStringLiteral("--mode"), QStringLiteral("shift"),
                                   QStringLiteral("--shift=-500"), QStringLiteral("song.txt")});
    EXPECT_EQ(shifted.exitCode, 0) << shifted.err.toStdString();
    EXPECT_TRUE(ReadBytes(folder.File("song.txt")).startsWith("[00:00:50]ka[00:01:00]ra\r\n"));

    ASSERT_TRUE(WriteBytes(folder.File("tune.mp3"), "audio"));
    const CliResult matched =
        Run({QStringLiteral("--mode"), QStringLiteral("match"), QStringLiteral("--keep"),
             QStringLiteral("second"), QStringLiteral("song.txt"), QStringLiteral("tune.mp3")});
    EXPECT_EQ(matched.exitCode, 0) << matched.err.toStdString();
    EXPECT_EQ(matched.out,
              U("Ｄ＆Ｄファイル数 : 2\n\nsong.txt : 00.変換成功（tune.txt に名前を変更）\n"));
    EXPECT_TRUE(QFile::exists(folder.File("tune.txt")));
    EXPECT_FALSE(QFile::exists(folder.File("song.txt")));
}

TEST_F(CliTest, LyricsGoIntoTheSongAndComeBackOut) {
    WriteLyrics("song.txt");
    const QByteArray lyrics = ReadBytes(folder.File("song.txt"));
    ASSERT_TRUE(WriteBytes(folder.File("song.mp3"),
                           ReadBytes(QStringLiteral(TAVELKOR_TEST_FIXTURES "/lyrics-tone.mp3"))));
    const CliResult embedded =
        Run({QStringLiteral("--mode"), QStringLiteral("t2m"), QStringLiteral("song.txt")});
    EXPECT_EQ(embedded.exitCode, 0) << embedded.err.toStdString();
    const CliResult extracted =
        Run({QStringLiteral("--mode"), QStringLiteral("m2t"), QStringLiteral("--set"),
             QStringLiteral("M2T/ExtNew=2"), QStringLiteral("song.mp3")});
    EXPECT_EQ(extracted.exitCode, 0) << extracted.err.toStdString();
    EXPECT_EQ(ReadBytes(folder.File("song.kra")), lyrics);
    const CliResult adjusted =
        Run({QStringLiteral("--mode"), QStringLiteral("t2t"), QStringLiteral("--set"),
             QStringLiteral("T2T/KaraokeLineTop=True"), QStringLiteral("song.txt")});
    EXPECT_EQ(adjusted.exitCode, 0) << adjusted.err.toStdString();
    EXPECT_TRUE(ReadBytes(folder.File("song.txt")).startsWith("[00:01:00]kara\r\n"));
}

// Every mode that writes a text output names the file it replaced: the first run writes a new
// output and says nothing more; the next (overwriting is on) replaces it and says which, and
// the JSON report gives the output with its `replaced` flag. The time shift rewrites the file
// it was given, so its first run already replaces; its report says nothing of it.
TEST_F(CliTest, AReplacedFileIsNamedInTheReportAndFlaggedInTheJson) {
    const QByteArray sami = "<SAMI>\r\n<BODY>\r\n<SYNC Start=1000>\r\n<P Class=LyricsCC>ka\r\n"
                            "</BODY>\r\n</SAMI>\r\n";
    struct Row {
        const char* mode;
        const char* input;
        QByteArray bytes; // "" for TimeTag lyrics
        QStringList extra;
        bool firstReplaces = false;
    };
    const Row rows[] = {
        {"t2s", "song.txt", {}, {}},
        {"s2t", "song.smi", sami, {}},
        {"t2d", "song.txt", {}, {}},
        {"d2t", "song.lyr", "[Text]\r\n00:01:000=ka\r\n", {}},
        {"t2t", "song.txt", {}, {QStringLiteral("--set"), QStringLiteral("T2T/ExtNew=2")}},
        {"t2l", "song.txt", {}, {}},
        {"l2t", "song.lrc", "[00:01.00]<00:01.00>ka<00:01.50>ra\r\n", {}},
        {"m2t", "song.mp3", {}, {QStringLiteral("--set"), QStringLiteral("M2T/ExtNew=2")}},
        {"t2x", "song.txt", {}, {QStringLiteral("--to=vtt")}},
        {"shift", "song.txt", {}, {QStringLiteral("--shift"), QStringLiteral("100")}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode);
        for (const QString& name : QDir(folder.Path()).entryList(QDir::Files))
            QFile::remove(folder.File(name));
        if (row.bytes.isEmpty()) // TimeTag lyrics: the input itself, or what m2t gets embedded
            WriteLyrics("song.txt");
        if (QByteArray(row.mode) == "m2t") {
            ASSERT_TRUE(
                WriteBytes(folder.File("song.mp3"),
                           ReadBytes(QStringLiteral(TAVELKOR_TEST_FIXTURES "/lyrics-tone.mp3"))));
            ASSERT_EQ(
                Run({QStringLiteral("--mode"), QStringLiteral("t2m"), QStringLiteral("song.txt")})
                    .exitCode,
                0);
        } else if (!row.bytes.isEmpty()) {
            ASSERT_TRUE(WriteBytes(folder.File(row.input), row.bytes));
        }
        const QStringList arguments =
            QStringList{QStringLiteral("--mode"), QString::fromUtf8(row.mode),
                        QStringLiteral("--set"), QStringLiteral("Init/OverWrite=True")} +
            row.extra;
        const auto json = [&] {
            const CliResult result =
                Run(arguments + QStringList{QStringLiteral("--report"), QStringLiteral("json"),
                                            QString::fromUtf8(row.input)});
            EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
            const QJsonObject file = QJsonDocument::fromJson(result.out.toUtf8())
                                         .object()[QStringLiteral("files")]
                                         .toArray()
                                         .at(0)
                                         .toObject();
            const QJsonArray outputs = file[QStringLiteral("outputs")].toArray();
            EXPECT_EQ(outputs.size(), 1) << result.out.toStdString();
            return outputs.at(0).toObject();
        };
        const auto text = [&] {
            return Run(arguments + QStringList{QString::fromUtf8(row.input)}).out;
        };
        const QJsonObject first = json();
        const QString output = first[QStringLiteral("path")].toString();
        ASSERT_FALSE(output.isEmpty());
        EXPECT_EQ(first[QStringLiteral("replaced")].toBool(), row.firstReplaces);
        const QString note = U("（") + QFileInfo(output).fileName() + U(" を上書き）");
        if (!row.firstReplaces) {
            ASSERT_TRUE(QFile::remove(output));
            EXPECT_FALSE(text().contains(U("上書き")));
        }
        // A file rewritten in place (the time shift) is what the user asked for: no note.
        if (row.firstReplaces)
            EXPECT_FALSE(text().contains(U("上書き")));
        else
            EXPECT_TRUE(text().contains(U("00.変換成功") + note)) << note.toStdString();
        const QJsonObject again = json();
        EXPECT_EQ(again[QStringLiteral("path")].toString(), output);
        EXPECT_TRUE(again[QStringLiteral("replaced")].toBool());
    }
}

TEST_F(CliTest, CaptionFormatsGoOutEachOnItsOwnAndComeBack) {
    ASSERT_TRUE(WriteBytes(folder.File("song.txt"),
                           "@Title=T\r\n[00:01:00]ka[00:01:50]ra[00:02:00]\r\n"
                           "[00:03:00]line\r\n@TimeRatio=1\r\n@Ruby7=ka,\xe3\x81\x8b\r\n"));
    ASSERT_TRUE(WriteBytes(folder.File("song.vtt"), "older"));
    // A format that may not be written is named; the others are written all the same.
    const CliResult kept = Run(
        {QStringLiteral("--mode=t2x"), QStringLiteral("--to=srt,vtt,ass,ttml"),
         QStringLiteral("--set"), QStringLiteral("Init/OverWrite=False"), QStringLiteral("--set"),
         QStringLiteral("T2X/AssFurigana=True"), QStringLiteral("song.txt")});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_EQ(kept.out,
              U("Ｄ＆Ｄファイル数 : 1\n\nsong.txt : 04.上書きしない（vtt 04.上書きしない）\n"));
    EXPECT_EQ(ReadBytes(folder.File("song.vtt")), "older");
    EXPECT_TRUE(ReadBytes(folder.File("song.ass")).startsWith("\xef\xbb\xbf[Script Info]\r\n"));
    EXPECT_TRUE(ReadBytes(folder.File("song.srt"))
                    .startsWith("1\r\n00:00:01,000 --> 00:00:02,000\r\nkara\r\n"));
    EXPECT_TRUE(ReadBytes(folder.File("song.ass")).contains("{\\kf50}ka|\xe3\x81\x8b{"));
    // Each comes back as the TimeTag it came from, as far as the format holds it (the reading
    // too, renumbered).
    const struct {
        const char* file;
        const char* timeTag;
        const char* ruby;
    } back[] = {
        {"song.ass", "[00:01:00]ka[00:01:50]ra[00:02:00]|[00:03:00]line[00:06:00]||@Title=T",
         "@Ruby1=ka,\xe3\x81\x8b\r\n"},
        {"song.ttml", "[00:01:00]ka[00:01:50]ra[00:02:00]|[00:03:00]line[00:06:00]||@Title=T",
         "@Ruby1=ka,\xe3\x81\x8b\r\n"},
        {"song.srt", "[00:01:00]kara[00:02:00]|[00:03:00]line[00:06:00]|", ""}};
    for (const auto& [file, timeTag, ruby] : back) {
        TestFolder other;
        ASSERT_TRUE(QFile::copy(folder.File(file), other.File(file)));
        const CliResult result = Run({QStringLiteral("--mode=x2t"), QStringLiteral("--set"),
                                      QStringLiteral("Init/TimeRatio=1"), other.File(file)});
        EXPECT_EQ(result.exitCode, 0) << result.out.toStdString();
        EXPECT_EQ(QString::fromUtf8(ReadBytes(other.File("song.txt"))).remove(u'\xfeff'),
                  U(timeTag).replace(u'|', QStringLiteral("\r\n")) +
                      QStringLiteral("\r\n@TimeRatio=1\r\n") + U(ruby))
            << file;
    }
}

// t2x writes several files for one (in the formats' order): every one it replaced is named and
// flagged, and an output it could not write is looked at for the reason (a folder in its
// place), not the source.
TEST_F(CliTest, CaptionFormatsNameWhatTheyReplacedAndWhyOneFailed) {
    WriteLyrics("song.txt");
    const QStringList arguments{QStringLiteral("--mode=t2x"), QStringLiteral("--to=srt,vtt,ass"),
                                QStringLiteral("--set"), QStringLiteral("Init/OverWrite=True"),
                                QStringLiteral("song.txt")};
    ASSERT_TRUE(WriteBytes(folder.File("song.vtt"), "older"));
    ASSERT_TRUE(WriteBytes(folder.File("song.ass"), "older"));
    const QJsonObject file =
        QJsonDocument::fromJson(
            Run(QStringList{QStringLiteral("--report=json")} + arguments).out.toUtf8())
            .object()[QStringLiteral("files")]
            .toArray()
            .at(0)
            .toObject();
    QStringList replaced;
    for (const QJsonValue output : file[QStringLiteral("outputs")].toArray()) {
        const QJsonObject one = output.toObject();
        replaced << QFileInfo(one[QStringLiteral("path")].toString()).fileName() +
                        (one[QStringLiteral("replaced")].toBool() ? u"+"_qs : u"-"_qs);
    }
    EXPECT_EQ(replaced, (QStringList{u"song.ass+"_qs, u"song.vtt+"_qs, u"song.srt-"_qs}));
    EXPECT_EQ(Run(arguments).out,
              U("Ｄ＆Ｄファイル数 : 1\n\nsong.txt : 00.変換成功（song.ass、song.vtt、song.srt "
                "を上書き）\n"));

    ASSERT_TRUE(QFile::remove(folder.File("song.vtt")));
    ASSERT_TRUE(QDir(folder.Path()).mkdir(QStringLiteral("song.vtt")));
    const CliResult failed = Run(arguments);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.contains(U("（vtt 02.セーブエラー）")));
    EXPECT_TRUE(failed.out.contains(U("フォルダなど"))) << failed.out.toStdString();
}

// SAMI holds readings only with T2S/Ruby; s2t gives them back as "@Ruby" lines.
TEST_F(CliTest, SamiReadingsOnlyWhenAskedForAndBack) {
    const QByteArray song = "[00:01:00]ka ra\r\n@TimeRatio=1\r\n@Ruby1=ka,KA\r\n";
    ASSERT_TRUE(WriteBytes(folder.File("song.txt"), song));
    for (const bool ruby : {false, true}) {
        QStringList arguments{QStringLiteral("--mode=t2s"), QStringLiteral("--set"),
                              QStringLiteral("T2S/Karaoke=False"), QStringLiteral("song.txt")};
        if (ruby)
            arguments << QStringLiteral("--set") << QStringLiteral("T2S/Ruby=True");
        QFile::remove(folder.File("song.smi"));
        ASSERT_EQ(Run(arguments).exitCode, 0);
        const QByteArray sami = ReadBytes(folder.File("song.smi"));
        EXPECT_EQ(sami.contains("<P Class=LyricsCC><RUBY>ka<RT>KA</RT></RUBY>&nbsp;ra\r\n"), ruby)
            << sami.toStdString();
    }
    QFile::remove(folder.File("song.txt"));
    ASSERT_EQ(Run({QStringLiteral("--mode=s2t"), QStringLiteral("--set"),
                   QStringLiteral("Init/TimeRatio=1"), QStringLiteral("song.smi")})
                  .exitCode,
              0);
    EXPECT_EQ(ReadBytes(folder.File("song.txt")),
              "[00:01:00]ka ra\r\n\r\n@TimeRatio=1\r\n@Ruby1=ka,KA\r\n");
}

TEST_F(CliTest, HelpAndVersion) {
    const CliResult help = Run({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: tavelkor-cli")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("t2l (TimeTag -> LRC), l2t (LRC -> TimeTag)")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("--to FORMATS")));
    const CliResult version = Run({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("tavelkor-cli ")));
}

} // namespace

namespace {

// Progress goes to standard error only when it is a terminal (here the one `script` gives);
// Ctrl+C stops the run before its next file, and the report gives the files done and 07 for
// the rest, with the usual exit status.
TEST_F(CliTest, ProgressOnATerminalAndCtrlCStopsCleanly) {
    QStringList files;
    for (int i = 0; i < 4000; ++i) {
        const QString name = QStringLiteral("f%1.txt").arg(i);
        ASSERT_TRUE(WriteBytes(folder.File(name), "[00:01:00]a\r\n"));
        files.append(name);
    }
    const QStringList shift = {QStringLiteral("--mode"), QStringLiteral("shift"),
                               QStringLiteral("--shift"), QStringLiteral("10")};
    const CliResult piped = Run(shift + files.mid(0, 50));
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.err, QString());

    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty()) {
        ADD_FAILURE() << "script (util-linux) is not installed: no terminal for the test";
    } else {
        QStringList words = {QStringLiteral(TAVELKOR_CLI_PATH)};
        words += shift;
        words += files.mid(0, 200);
        QProcess process;
        process.setWorkingDirectory(folder.Path());
        process.start(script,
                      {QStringLiteral("-qec"), words.join(u' '), QStringLiteral("/dev/null")});
        ASSERT_TRUE(process.waitForFinished(30000));
        const QString shown = QString::fromUtf8(process.readAllStandardOutput());
        EXPECT_TRUE(shown.contains(QStringLiteral("\r200/200"))) << shown.right(200).toStdString();
        EXPECT_TRUE(shown.contains(QStringLiteral("\r2/200"))) << shown.left(200).toStdString();
    }

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.Path());
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder.Path());
    const QByteArray first = ReadBytes(folder.File("f0.txt"));
    process.start(QStringLiteral(TAVELKOR_CLI_PATH), shift + files);
    ASSERT_TRUE(process.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while (ReadBytes(folder.File("f0.txt")) == first && waited.elapsed() < 20000)
        QThread::usleep(500);
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n');
    int done = 0;
    int cancelled = 0;
    for (const QString& line : lines) {
        done += line.endsWith(U("00.変換成功"));
        cancelled += line.endsWith(U("07.処理キャンセル"));
    }
    EXPECT_EQ(done + cancelled, 4000);
    EXPECT_GT(done, 0);
    EXPECT_GT(cancelled, 0);
    EXPECT_EQ(ReadBytes(folder.File("f3999.txt")), "[00:01:00]a\r\n");
}

} // namespace

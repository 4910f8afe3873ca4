// `--mode place` on the command line: a line-timed TimeTag file and an LRC file beside a song
// of generated singing become karaoke TimeTag whose fragments start on the sung notes; a file
// without a song gets 13 and says why.
#include "TestFiles.h"
#include "timing/SungLine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// The karaoke tags of a TimeTag text in ms, in order.
std::vector<int> Tags(const QString& text) {
    std::vector<int> tags;
    static const QRegularExpression tag(QStringLiteral("\\[(\\d\\d):(\\d\\d):(\\d\\d)\\]"));
    for (const QRegularExpressionMatch& m : tag.globalMatch(text))
        tags.push_back(m.captured(1).toInt() * 60000 + m.captured(2).toInt() * 1000 +
                       m.captured(3).toInt() * 10);
    return tags;
}

TEST(PlaceCli, LineTimedFilesBecomeKaraokeOnTheSungNotes) {
    TestFolder folder, config;
    const std::vector<int> sung = {1000, 1250, 1700, 1900, 2100, 2700, 3000};
    const DecodedSong song = MakeSungLine(sung, 3600, 3);
    ASSERT_TRUE(WriteWave(folder.File("line.wav"), song));
    ASSERT_TRUE(WriteWave(folder.File("lrc.wav"), song));
    // Its second line is timed inside already: it is kept as it is.
    folder.Put("line.txt", QByteArray("[00:01:00]ka ra ki ku ke ko sa[00:03:60]\r\n"
                                      "[00:05:00]la [00:05:20]la[00:06:00]\r\n@TimeRatio=1\r\n"));
    folder.Put("lrc.lrc", QByteArray("[00:01.00]ka ra ki ku ke ko sa\n[00:03.60]la la\n"));
    folder.Put("alone.txt", QByteArray("[00:01:00]ka ra[00:03:60]\r\n@TimeRatio=1\r\n"));
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.Path());
    cli.setProcessEnvironment(environment);
    cli.setWorkingDirectory(folder.Path());
    cli.start(QStringLiteral(TAVELKOR_CLI_PATH),
              {QStringLiteral("--mode"), QStringLiteral("place"), QStringLiteral("--set"),
               QStringLiteral("Init/OverWrite=True"), QStringLiteral("line.txt"),
               QStringLiteral("lrc.lrc"), QStringLiteral("alone.txt")});
    ASSERT_TRUE(cli.waitForFinished(60000));
    const QString report = QString::fromUtf8(cli.readAllStandardOutput());
    EXPECT_EQ(cli.exitCode(), 1) << report.toStdString();
    EXPECT_TRUE(report.contains(QString::fromUtf8("line.txt  : 00.変換成功"))) << report.toStdString();
    // The LRC file's last line has no end: it stays as it was, and the note says so.
    EXPECT_TRUE(report.contains(QString::fromUtf8(
        "lrc.lrc   : 00.変換成功（1行は始まりか終わりがないため配置していません）")))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QString::fromUtf8(
        "alone.txt : 13.埋め込まれるファイルがない（同じ名前の曲（.mp3 など）が横にありません）")))
        << report.toStdString();
    for (const char* output : {"line.txt", "lrc.txt"}) {
        const QString text = QString::fromUtf8(ReadBytes(folder.File(output)));
        EXPECT_TRUE(text.contains(QStringLiteral("@TimeRatio=1"))) << output;
        const std::vector<int> tags = Tags(text);
        ASSERT_GE(tags.size(), sung.size() + 1) << output << text.toStdString();
        // Even shares would miss three words by 150 ms or more; a drum hit may pull one a little.
        for (size_t k = 0; k < sung.size(); ++k)
            EXPECT_NEAR(tags[k], sung[k], 80) << output << " word " << k;
        EXPECT_EQ(tags[sung.size()], 3600) << output;
    }
    EXPECT_TRUE(QString::fromUtf8(ReadBytes(folder.File("line.txt")))
                    .contains(QStringLiteral("[00:05:00]la [00:05:20]la[00:06:00]")));
    // The file without a song is left as it was.
    EXPECT_EQ(ReadBytes(folder.File("alone.txt")),
              QByteArray("[00:01:00]ka ra[00:03:60]\r\n@TimeRatio=1\r\n"));
}

} // namespace

// Every WebVTT sample (the shared caption-samples folder, read in place) and a few made-up
// files, read by our reader and by Chromium's (track.cues of a <track> in headless chromium):
// the same cues with the same times and shown text (readings left out, lines joined by a
// blank). A missing chromium or sample folder fails the test under CI=true and skips it
// elsewhere.
#include "FormatsTestHelpers.h"
#include "formats/VttReader.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cmath>
#include <gtest/gtest.h>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

const QString SamplesFolder =
    QStringLiteral(TAVELKOR_TEST_FIXTURES "/../../../../shared/caption-samples");

// One page with a hidden track per file; once every track has loaded (or failed), the cues of
// each as JSON, in base64 so that no markup of the cues' text reaches the dumped page.
QString PageFor(const QStringList& paths) {
    QString tracks;
    for (const QString& path : paths)
        tracks += QStringLiteral("<video><track kind=\"subtitles\" src=\"%1\"></video>\n")
                      .arg(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
    return QStringLiteral("<!DOCTYPE html><html><body>%1<pre id=\"out\"></pre><script>\n"
                          "const tracks = Array.from(document.querySelectorAll('track'));\n"
                          "let left = tracks.length;\n"
                          "function cuesOf(t) {\n"
                          "  return Array.from(t.track.cues || []).map(c => {\n"
                          "    const shown = c.getCueAsHTML();\n"
                          "    shown.querySelectorAll('rt').forEach(rt => rt.remove());\n"
                          "    return {start: c.startTime, end: c.endTime,\n"
                          "            text: shown.textContent.replace(/\\n/g, ' ')};\n"
                          "  });\n"
                          "}\n"
                          "function done() {\n"
                          "  if (--left > 0) return;\n"
                          "  const json = JSON.stringify(tracks.map(cuesOf));\n"
                          "  document.getElementById('out').textContent =\n"
                          "    btoa(unescape(encodeURIComponent(json)));\n"
                          "}\n"
                          "tracks.forEach(t => { t.addEventListener('load', done);\n"
                          "  t.addEventListener('error', done); t.track.mode = 'hidden'; });\n"
                          "</script></body></html>\n")
        .arg(tracks);
}

// Cues as "start-end text", times in milliseconds.
QStringList BrowserCues(const QJsonArray& cues) {
    QStringList out;
    for (const QJsonValue& cue : cues) {
        const QJsonObject c = cue.toObject();
        out << QStringLiteral("%1-%2 %3")
                   .arg(std::llround(c[U("start")].toDouble() * 1000))
                   .arg(std::llround(c[U("end")].toDouble() * 1000))
                   .arg(c[U("text")].toString());
    }
    return out;
}

QStringList OurCues(const QString& path) {
    QStringList out;
    if (const auto lyrics = ReadVttText(QString::fromUtf8(ReadBytes(path))))
        for (const TimedLine& line : lyrics->Lines)
            out << QStringLiteral("%1-%2 %3").arg(line.StartMs).arg(line.EndMs).arg(line.Text());
    return out;
}

TEST(VttBrowser, OurReaderFindsTheCuesChromiumFinds) {
    const QString chromium = QStandardPaths::findExecutable(U("chromium"));
    for (const auto& [missing, what] :
         {std::pair{chromium.isEmpty(), "chromium (scripts/bootstrap installs it)"},
          std::pair{!QFileInfo(SamplesFolder).isDir(), "the caption samples folder"}}) {
        if (!missing)
            continue;
        if (qEnvironmentVariable("CI") == u"true")
            FAIL() << what << " is missing";
        GTEST_SKIP() << what << " is not here";
    }
    TestFolder folder;
    QStringList paths;
    for (const QString& name : QDir(SamplesFolder).entryList({U("*.vtt")}, QDir::Files, QDir::Name))
        paths << SamplesFolder + u'/' + name;
    const char* made[] = {
        // Timing lines of any kind, a timing line without a blank line before it, and cues
        // whose timing the parser refuses.
        "WEBVTT\n\n1\n00:01.000 --> 00:02.000 align:start\na\n00:02.000-->00:03.000\nb\n"
        "01:02.000 --> 1:03.000\nnot a time\n\n00:04.00 --> 00:05.000\nshort\n\n"
        "00:61.000 --> 00:62.000\nbad\n\nx\ny\n00:06.000 --> 00:07.000\nafter two\n",
        "WEBVTT header\nmore header\n00:01.000 --> 00:02.000\nfrom the header\n",
    };
    for (int n = 0; n < int(std::size(made)); ++n) {
        paths << folder.File(QStringLiteral("made%1.vtt").arg(n));
        ASSERT_TRUE(WriteBytes(paths.last(), made[n]));
    }
    const QString page = folder.File("page.html");
    ASSERT_TRUE(WriteBytes(page, PageFor(paths).toUtf8()));
    QProcess process;
    process.start(chromium, {U("--headless"), U("--no-sandbox"), U("--disable-gpu"),
                             U("--allow-file-access-from-files"), U("--virtual-time-budget=10000"),
                             U("--user-data-dir=") + folder.File("profile"), U("--dump-dom"),
                             QUrl::fromLocalFile(page).toString()});
    ASSERT_TRUE(process.waitForFinished(120000)) << "chromium did not finish";
    const QString dom = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpressionMatch out =
        QRegularExpression(U("<pre id=\"out\">([A-Za-z0-9+/=]+)</pre>")).match(dom);
    ASSERT_TRUE(out.hasMatch()) << "no cues from chromium:\n" << dom.toStdString();
    const QJsonArray files =
        QJsonDocument::fromJson(QByteArray::fromBase64(out.captured(1).toLatin1())).array();
    ASSERT_EQ(files.size(), paths.size());
    for (qsizetype f = 0; f < paths.size(); ++f)
        EXPECT_EQ(OurCues(paths[f]).join(u'\n').toStdString(),
                  BrowserCues(files[f].toArray()).join(u'\n').toStdString())
            << QFileInfo(paths[f]).fileName().toStdString();
}

} // namespace

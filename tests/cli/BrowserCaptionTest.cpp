// The WebVTT of mode t2x in a browser: a page with a <video> and our file as its <track>, in
// headless Chromium. The cues Chromium reads (times, inline timestamps, ruby), and a
// screenshot in the middle of a line: the sung part in the sung colour, the rest in the other.
#include "CaptionPeers.h"

#include <QRegularExpression>

using namespace tavelkor;
using namespace tavelkor::test;

namespace {

// Seeks the video to the time after "#" in the address, and prints every cue of the track as
// "start-end:content" into <pre>, the content as getCueAsHTML() gives it (a timestamp as
// "<hh:mm:ss.mmm>").
const char* const Page = R"(<!doctype html><html><head><style>
body { margin: 0; background: #000; }
video { width: 640px; height: 360px; }
video::cue { font-size: 40px; background: none; }
</style></head><body>
<video src="video.webm" muted preload="auto"><track default kind="subtitles" src="song.vtt"></video>
<pre id="out"></pre>
<script>
const video = document.querySelector('video');
const track = video.textTracks[0];
track.mode = 'showing';
let ready = 0;
const seek = () => { if (++ready == 2) video.currentTime = parseFloat(location.hash.slice(1)); };
video.querySelector('track').addEventListener('load', seek);
video.addEventListener('loadedmetadata', seek);
function walk(node) {
  let s = '';
  for (const child of node.childNodes) {
    if (child.nodeType === Node.TEXT_NODE) s += child.data;
    else if (child.nodeType === Node.PROCESSING_INSTRUCTION_NODE) s += '<' + child.data + '>';
    else s += '<' + child.localName + '>' + walk(child) + '</' + child.localName + '>';
  }
  return s;
}
video.querySelector('track').addEventListener('load', () => {
  const ms = (s) => Math.round(s * 1000);
  document.getElementById('out').textContent = Array.from(track.cues, (cue) =>
    ms(cue.startTime) + '-' + ms(cue.endTime) + ':' + walk(cue.getCueAsHTML())).join('\n');
});
</script></body></html>)";

QByteArray Chromium(const QString& page, double seconds, const QStringList& output,
                    int budgetMs = 5000) {
    return Output(QStringLiteral("chromium"),
                  QStringList{QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                              QStringLiteral("--allow-file-access-from-files"),
                              QStringLiteral("--hide-scrollbars"),
                              QStringLiteral("--window-size=640,360"),
                              QStringLiteral("--virtual-time-budget=%1").arg(budgetMs)} +
                      output + QStringList{QStringLiteral("file://%1#%2").arg(page).arg(seconds)});
}

TEST(BrowserCaption, ChromiumColoursTheSungPartAndReadsEveryCue) {
    REQUIRE_PEER(HasProgram("chromium") && HasProgram("ffmpeg"), "chromium and ffmpeg");
    const TestFolder folder;
    WriteBytes(folder.File("song.txt"),
               QStringLiteral("@TimeRatio=1\r\n@Ruby1=為替,かわせ\r\n"
                              "[00:01:00]Love [00:02:00]me&<>[00:03:00]\r\n"
                              "[00:03:50]の為[00:04:00]替[00:04:50]x[00:05:00]\r\n")
                   .toUtf8());
    Output(QStringLiteral(TAVELKOR_CLI_PATH),
           {QStringLiteral("--mode=t2x"), QStringLiteral("--to=vtt"), folder.File("song.txt")});
    Output(QStringLiteral("ffmpeg"),
           Words("-v error -f lavfi -i color=c=black:s=640x360:r=10:d=6 -c:v libvpx")
               << folder.File("video.webm"));
    const QString page = folder.File("page.html");
    WriteBytes(page, Page);
    const std::string vtt = ReadBytes(folder.File("song.vtt")).toStdString();

    static const QRegularExpression pre(QStringLiteral("<pre id=\"out\">([^<]*)</pre>"));
    const QString cues =
        pre.match(QString::fromUtf8(Chromium(page, 1.5, {QStringLiteral("--dump-dom")})))
            .captured(1)
            .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    EXPECT_EQ(cues, U("1000-3000:<span>Love </span><00:00:02.000><span>me&<></span>\n"
                      "3500-5000:<span>の</span><ruby><span>為</span><00:00:04.000><span>替</span>"
                      "<rt>かわせ</rt></ruby><00:00:04.500><span>x</span>"))
        << vtt;

    // Mid-line, the sung colour (#FFFF00) lies left of the unsung one (#C0C0C0); at a line's
    // last word, all of it is sung.
    const struct {
        double seconds;
        bool unsung;
    } moments[] = {{1.5, true}, {2.5, false}, {4.2, true}, {4.7, false}};
    for (const auto& moment : moments) {
        // The seek runs outside the page's virtual time: on a busy machine the picture may show
        // no cue yet (no text of any colour), and is taken again with more time.
        int sung = 0, unsung = 0, white = 0, sungRight = -1, unsungLeft = 640;
        for (int budget = 5000; budget <= 40000 && sung + unsung + white == 0; budget *= 2) {
            const QString shot = folder.File("shot.png");
            Chromium(page, moment.seconds, {QStringLiteral("--screenshot=") + shot}, budget);
            const QByteArray rgb =
                Output(QStringLiteral("ffmpeg"),
                       Words("-v error -i") << shot << Words("-f rawvideo -pix_fmt rgb24 -"));
            ASSERT_EQ(rgb.size(), 640 * 360 * 3) << moment.seconds;
            for (int i = 0; i < rgb.size(); i += 3) {
                const int r = uchar(rgb[i]), g = uchar(rgb[i + 1]), b = uchar(rgb[i + 2]);
                const int x = i / 3 % 640;
                if (r > 200 && g > 200 && b < 80) {
                    ++sung;
                    sungRight = std::max(sungRight, x);
                } else if (std::abs(r - 0xC0) < 24 && std::abs(g - 0xC0) < 24 &&
                           std::abs(b - 0xC0) < 24) {
                    ++unsung;
                    unsungLeft = std::min(unsungLeft, x);
                } else if (r > 230 && g > 230 && b > 230) {
                    ++white;
                }
            }
        }
        EXPECT_GT(sung, 200) << moment.seconds << "\n" << vtt;
        if (moment.unsung) {
            EXPECT_GT(unsung, 100) << moment.seconds << "\n" << vtt;
            EXPECT_LT(sungRight, unsungLeft) << moment.seconds << "\n" << vtt;
        } else {
            EXPECT_LT(unsung, 20) << moment.seconds << "\n" << vtt;
        }
    }
}

} // namespace

// The timing editor's figures for one song: opening it (decoding with FFmpeg until the first
// frames can be played) against ffmpeg's own command decoding it, switching the speed while
// playing (until the first frames at the new speed are ready), and, with `--cpu SECONDS`, the
// editor window's share of one core while it plays the song at 0.5x through the sound server
// (three spans; the window is driven by its keys: 3 for 0.5x, Space to play). With
// `--play SPEED SECONDS` it only plays the song in the editor window at 1, 0.75 or 0.5 for that
// long, for bench/audio-gaps to record what the sound server gets.
//   tavelkor-bench-timing LYRICS SONG [--cpu SECONDS | --play SPEED SECONDS]
#include "gui/timing/FormTiming.h"
#include "settings/Settings.h"
#include "timing/SongPlayer.h"
#include "timing/TimingSong.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace tavelkor;

namespace {

class NullOutput : public SoundOutput {
public:
    bool Start(int, Source source) override {
        source_ = std::move(source);
        return true;
    }
    void Stop() override {}
    qint64 PlayedFrames() const override { return 0; }
    int Pull(int frames) {
        std::vector<float> buffer(size_t(2 * frames));
        return source_(buffer.data(), frames);
    }

private:
    Source source_;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Print(const char* what, const std::vector<double>& seconds, const char* goal) {
    std::printf("  %-34s median %7.3f s   best %7.3f s   %s\n", what, Median(seconds),
                *std::min_element(seconds.begin(), seconds.end()), goal);
}

// Opens the lyrics (and their song) in the editor window, shown and active.
bool ShowEditor(FormTiming& form, const QString& lyrics) {
    if (!form.OpenFile(lyrics))
        return false;
    form.show();
    form.activateWindow();
    return QTest::qWaitForWindowActive(&form);
}

// Plays the song in the editor window at `speed` for `seconds`, driven by its keys.
int PlayInWindow(const QString& lyrics, double speed, int seconds) {
    Settings settings;
    FormTiming form(settings);
    if (!ShowEditor(form, lyrics))
        return 1;
    QTest::keyClick(&form, speed >= 1 ? Qt::Key_1 : speed >= 0.75 ? Qt::Key_2 : Qt::Key_3);
    QTest::qWait(1500); // as a user looks at the lyrics before playing
    QTest::keyClick(&form, Qt::Key_Space);
    QTest::qWait(seconds * 1000);
    if (!form.Clock()->Playing() || !form.Clock()->Error().isEmpty()) {
        std::printf("  the editor does not play: %s\n", qPrintable(form.Clock()->Error()));
        return 1;
    }
    QTest::keyClick(&form, Qt::Key_Space);
    return 0;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString lyrics = QString::fromLocal8Bit(argv[1]);
    const QString songPath = QString::fromLocal8Bit(argv[2]);
    if (argc > 5 && qstrcmp(argv[3], "--play") == 0)
        return PlayInWindow(lyrics, QString::fromLocal8Bit(argv[4]).toDouble(),
                            QString::fromLocal8Bit(argv[5]).toInt());
    const int cpuSeconds = argc > 4 ? QString::fromLocal8Bit(argv[4]).toInt() : 0;
    const PreviewSong song = FindPreviewSong(lyrics);

    std::vector<double> open, ffmpeg, toHalf, toThreeQuarters, toWhole;
    for (int turn = 0; turn < 5; ++turn) {
        QElapsedTimer timer;
        timer.start();
        QProcess::execute(QStringLiteral("ffmpeg"),
                          {QStringLiteral("-v"), QStringLiteral("quiet"), QStringLiteral("-i"),
                           songPath, QStringLiteral("-f"), QStringLiteral("f32le"),
                           QStringLiteral("-y"), QStringLiteral("/dev/null")});
        ffmpeg.push_back(double(timer.nsecsElapsed()) / 1e9);

        timer.restart();
        auto output = std::make_unique<NullOutput>();
        NullOutput& out = *output;
        SongPlayer player(DecodeTimingSong(song), std::move(output));
        player.Play();
        out.Pull(4096);
        open.push_back(double(timer.nsecsElapsed()) / 1e9);

        player.Seek(120000);
        for (auto [speed, figures] : {std::pair{0.5, &toHalf}, std::pair{0.75, &toThreeQuarters},
                                      std::pair{1.0, &toWhole}}) {
            timer.restart();
            player.SetSpeed(speed);
            out.Pull(4096);
            figures->push_back(double(timer.nsecsElapsed()) / 1e9);
        }
    }
    std::printf("the timing editor with a %lld-second MP3\n",
                (long long)(DecodeTimingSong(song)->DurationMs() / 1000));
    Print("ffmpeg decoding it (baseline)", ffmpeg, "");
    Print("opening it, ready to play", open, "(goal: at most 1.5 s)");
    std::printf("  %-34s %7.2fx of ffmpeg (median)\n", "", Median(open) / Median(ffmpeg));
    Print("switching 1x -> 0.5x", toHalf, "(goal: at most 0.3 s)");
    Print("switching 0.5x -> 0.75x", toThreeQuarters, "(goal: at most 0.3 s)");
    Print("switching 0.75x -> 1x", toWhole, "(goal: at most 0.3 s)");
    if (cpuSeconds <= 0)
        return 0;

    Settings settings;
    FormTiming form(settings);
    if (!ShowEditor(form, lyrics))
        return 1;
    QTest::keyClick(&form, Qt::Key_3);
    QTest::keyClick(&form, Qt::Key_Space);
    QTest::qWait(2000); // the sound server started, the stretcher running
    if (!form.Clock()->Playing() || !form.Clock()->Error().isEmpty()) {
        std::printf("  the editor does not play: %s\n", qPrintable(form.Clock()->Error()));
        return 1;
    }
    std::vector<double> shares;
    for (int span = 0; span < 3; ++span) {
        const double cpu = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QTest::qWait(cpuSeconds * 1000);
        shares.push_back(100 * (CpuSeconds() - cpu) / (double(wall.nsecsElapsed()) / 1e9));
    }
    std::printf("  the editor playing at 0.5x: spans");
    for (double share : shares)
        std::printf(" %5.1f%%", share);
    std::printf("\n  median %5.1f%%  best %5.1f%% of one core   (goal: under 15%%)\n",
                Median(shares), *std::min_element(shares.begin(), shares.end()));
    return 0;
}

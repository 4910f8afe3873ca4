// Reads and composes single TimeTag files of 1, 2, 4 and 8 MB and prints the times, so that
// linear growth can be seen: every doubling of the size should about double the time.
#include "base/Cp932.h"
#include "lyrics/Adjustments.h"
#include "lyrics/TimeTagFile.h"
#include "lyrics/TimeTagReader.h"
#include "lyrics/TimeTagWriter.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <utility>

using namespace tavelkor;

namespace {

// Karaoke lines with Japanese text, a few line-head lines and header directives.
QByteArray MakeLyrics(qsizetype bytes) {
    QByteArray out;
    out.reserve(bytes + 256);
    const QByteArray word = EncodeCp932(QString::fromUtf8("歌詞"));
    int ms = 0;
    int line = 0;
    while (out.size() < bytes) {
        for (int k = 0; k < 6; ++k) {
            const int m = (ms / 60000) % 100;
            const int s = (ms / 1000) % 60;
            const int c = (ms / 10) % 100;
            char tag[16];
            std::snprintf(tag, sizeof tag, "[%02d:%02d:%02d]", m, s, c);
            out += tag;
            out += word;
            ms += 170;
        }
        out += "\r\n";
        if (++line % 50 == 0)
            out += "@Title=Song\r\n";
    }
    return out;
}

double Seconds(const QString& path, int repeats) {
    double best = 1e9;
    for (int r = 0; r < repeats; ++r) {
        const auto start = std::chrono::steady_clock::now();
        LyricsFile file;
        ReadLyricsFile(path, file, true, true);
        bool changed = false;
        file.Document = NormalizeKaraoke(std::move(file.Document), changed);
        ComposeLyricsText(file.Document);
        const auto end = std::chrono::steady_clock::now();
        if (file.Document.Text.isEmpty())
            std::fprintf(stderr, "nothing composed\n");
        best = std::min(best, std::chrono::duration<double>(end - start).count());
    }
    return best;
}

} // namespace

int main() {
    QTemporaryDir dir;
    std::printf("read + compose of one TimeTag file (best of 3)\n");
    std::printf("%8s %10s %14s %12s\n", "size", "seconds", "ms per MB", "vs 1 MB");
    double firstPerMb = 0;
    for (int mb : {1, 2, 4, 8}) {
        const QString path = dir.filePath(QStringLiteral("big%1.txt").arg(mb));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(MakeLyrics(qsizetype(mb) * 1024 * 1024));
        file.close();
        const double seconds = Seconds(path, 3);
        const double perMb = seconds * 1000 / mb;
        if (firstPerMb == 0)
            firstPerMb = perMb;
        std::printf("%6d MB %10.3f %14.1f %11.2fx\n", mb, seconds, perMb, perMb / firstPerMb);
    }
    std::printf("(linear growth: the last column stays near 1.00x)\n");
    return 0;
}

// Times the leading-silence scan of one MP3 file: prints the frame count and the best time of
// a number of runs, in seconds.
#include "audio/LeadingSilence.h"

#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavelkor-bench-silence FILE [RUNS]\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    double best = 1e9;
    int frames = 0;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        frames = tavelkor::CountLeadingSilentFrames(path, 5);
        const auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(end - start).count());
    }
    std::printf("%d %.6f\n", frames, best);
    return 0;
}

// Times the embedding of one lyrics file into its song as a batch does it for every song:
// the lyrics file converted and stored in the song beside it, the result recorded. What a
// batch pays once is left out: program start, the settings, and the first use of the code
// (its pages and symbols are loaded on first use), which a first song, the warm-up, pays.
// Prints the seconds the embedding took and its result code.
#include "app/BatchState.h"
#include "modes/ModeTable.h"
#include "settings/IniSettingsStore.h"
#include "settings/SettingsIo.h"

#include <QCoreApplication>
#include <QString>
#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tavelkor-bench-embed SETTINGS WARM-UP-LYRICS LYRICS\n");
        return 2;
    }
    using namespace tavelkor;
    QCoreApplication app(argc, argv);
    const IniSettingsStore store(QString::fromLocal8Bit(argv[1]));
    Settings settings;
    LoadSettings(store, settings);
    BatchState warmUp;
    warmUp.DroppedFiles.append(QString::fromLocal8Bit(argv[2]));
    RunMode(ModeTimeTagToMp3, warmUp, settings);
    const auto start = std::chrono::steady_clock::now();
    BatchState state;
    state.DroppedFiles.append(QString::fromLocal8Bit(argv[3]));
    RunMode(ModeTimeTagToMp3, state, settings);
    const auto end = std::chrono::steady_clock::now();
    std::printf("%.6f %d\n", std::chrono::duration<double>(end - start).count(),
                state.Results.isEmpty() ? -1 : int(state.Results.front().Code));
    return 0;
}

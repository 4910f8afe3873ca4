#include "SongOnsets.h"

#include "OnsetDetector.h"
#include "VoiceOnsets.h"

namespace tavelkor {

std::vector<int> SongOnsets(const DecodedSong& song, const QString& kind,
                            const std::atomic<bool>* cancel) {
    if (kind == u"plain")
        return DetectOnsets(song, OnsetOptions(), cancel);
    std::vector<int> times;
    for (const VoiceOnset& onset : DetectVoiceOnsets(song, VoiceOnsetOptions(), cancel))
        times.push_back(onset.Ms);
    return times;
}

} // namespace tavelkor

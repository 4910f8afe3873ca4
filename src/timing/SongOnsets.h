// The onsets the timing editor shows in its lane and snaps stamps to, of the kind the settings
// name (Timing/OnsetKind): the voice's (VoiceOnsets) or every sound's (OnsetDetector). The
// editor and `tavelkor-cli --onsets` both read them here, so both give the same times.
#pragma once

#include "SongDecoder.h"

#include <QString>
#include <atomic>
#include <vector>

namespace tavelkor {

// In milliseconds, sorted. `kind` is "voice" or "plain" (anything else reads as "voice").
std::vector<int> SongOnsets(const DecodedSong& song, const QString& kind,
                            const std::atomic<bool>* cancel = nullptr);

} // namespace tavelkor

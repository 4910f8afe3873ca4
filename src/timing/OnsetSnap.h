// Snapping a stamp to the onset next to it (Timing/SnapToOnsets, Timing/SnapWindowMs).
#pragma once

#include <vector>

namespace tavelkor {

struct SnapRules {
    bool On = false;
    int WindowMs = 60;
};

// The onset nearest to `timeMs` when it is at most `windowMs` away, else `timeMs` itself.
// `onsets` is sorted; of two onsets equally near, the earlier wins.
int SnapToOnset(const std::vector<int>& onsets, int timeMs, int windowMs);

} // namespace tavelkor

// Snapping a stamp to the onset next to it (Timing/SnapToOnsets, Timing/SnapWindowMs).
#pragma once

#include <vector>

namespace tavelkor {

struct SnapRules {
    bool On = false;
    int WindowMs = 60;
    // A stamp this near an onset already agrees with it and stays: onsets in a mix are some
    // tens of milliseconds off the sung start themselves, so moving a stamp this little is as
    // likely to take it away from the start as towards it.
    int StayMs = 20;
};

// The onset nearest to `timeMs` when it is at most `windowMs` away, else `timeMs` itself; also
// `timeMs` itself when the nearest onset is less than `stayMs` away. `onsets` is sorted; of two
// onsets equally near, the earlier wins.
int SnapToOnset(const std::vector<int>& onsets, int timeMs, int windowMs, int stayMs = 0);

// True when an onset is less than `withinMs` from `timeMs`.
bool OnsetWithin(const std::vector<int>& onsets, int timeMs, int withinMs);

} // namespace tavelkor

#include "OnsetSnap.h"

#include <algorithm>
#include <cstdlib>

namespace tavelkor {

int SnapToOnset(const std::vector<int>& onsets, int timeMs, int windowMs, int stayMs) {
    if (windowMs < 0)
        return timeMs;
    const auto after = std::lower_bound(onsets.begin(), onsets.end(), timeMs);
    long long best = -1;
    long long bestDistance = 0;
    if (after != onsets.begin()) {
        best = *(after - 1);
        bestDistance = timeMs - best;
    }
    if (after != onsets.end() && (best < 0 || *after - (long long)timeMs < bestDistance)) {
        best = *after;
        bestDistance = *after - (long long)timeMs;
    }
    return best >= 0 && bestDistance <= windowMs && bestDistance >= stayMs ? int(best) : timeMs;
}

bool OnsetWithin(const std::vector<int>& onsets, int timeMs, int withinMs) {
    const auto at = std::lower_bound(onsets.begin(), onsets.end(), timeMs - withinMs + 1);
    return at != onsets.end() && *at < (long long)timeMs + withinMs;
}

} // namespace tavelkor

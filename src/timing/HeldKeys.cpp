#include "HeldKeys.h"

namespace tavelkor {

bool HeldKeys::Press(int key, quint64 timestamp, bool flaggedRepeat) {
    const auto held = down_.constFind(key);
    const bool stale = held != down_.constEnd() && timestamp != 0 && *held != 0 &&
                       timestamp > *held + LongestRepeatGapMs;
    const bool repeat =
        flaggedRepeat || (held != down_.constEnd() && !stale) || ReleasedAt(key, timestamp);
    down_.insert(key, timestamp);
    return !repeat;
}

bool HeldKeys::Release(int key, quint64 timestamp, bool flaggedRepeat) {
    if (flaggedRepeat)
        return false;
    down_.remove(key);
    releasedAt_.insert(key, timestamp);
    return true;
}

bool HeldKeys::ReleasedAt(int key, quint64 timestamp) const {
    // Time stamp 0 means the system gave none; such events are never paired.
    const auto found = releasedAt_.constFind(key);
    return timestamp != 0 && found != releasedAt_.constEnd() && *found == timestamp;
}

void HeldKeys::Clear() {
    down_.clear();
    releasedAt_.clear();
}

} // namespace tavelkor

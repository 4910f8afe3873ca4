// Which keys are held down, told from the presses and releases the window system sends. A key
// held on a real keyboard repeats, and systems send the repeats in different shapes: presses
// flagged as repeats, presses with no release between them, or release and press pairs that
// carry one time stamp. The timing editor acts once per key going down (a tap key held for the
// sung length must stamp one fragment), so every shape counts as one press here.
#pragma once

#include <QHash>
#include <QtGlobal>

namespace tavelkor {

class HeldKeys {
public:
    // A key went down or repeated: true when it went down (act on it), false for a repeat.
    bool Press(int key, quint64 timestamp, bool flaggedRepeat);
    // A key came up: true when it really came up, false for the release half of a repeat
    // (flagged by the system).
    bool Release(int key, quint64 timestamp, bool flaggedRepeat);
    // True when `key` came up at `timestamp`: a press at that very time is the press half of an
    // unflagged release and press pair, so the release was a repeat too.
    bool ReleasedAt(int key, quint64 timestamp) const;
    bool Held(int key) const { return down_.contains(key); }
    // A key counted as down whose last press is older than this was released where this
    // window did not see it (a menu or another window had the keyboard): keyboards repeat
    // a held key sooner than this, after their repeat delay and then at their rate.
    static constexpr quint64 LongestRepeatGapMs = 2500;
    // Forgets every key: the window lost the keyboard, so their releases go elsewhere.
    void Clear();

private:
    QHash<int, quint64> down_;       // keys down now, with the time stamp of their last press
    QHash<int, quint64> releasedAt_; // time stamp of each key's last release
};

} // namespace tavelkor

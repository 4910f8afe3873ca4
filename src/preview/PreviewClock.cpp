#include "PreviewClock.h"

#include <algorithm>

namespace tavelkor {

void SilentClock::Play() {
    if (playing_)
        return;
    if (start_ >= duration_)
        start_ = 0; // a clock that ran out starts again from the beginning
    running_.start();
    playing_ = true;
}

void SilentClock::Pause() {
    start_ = PositionMs();
    playing_ = false;
}

qint64 SilentClock::PositionMs() const {
    if (!playing_)
        return start_;
    return std::min(duration_, start_ + running_.elapsed());
}

void SilentClock::Seek(qint64 positionMs) {
    start_ = std::clamp<qint64>(positionMs, 0, duration_);
    if (playing_)
        running_.start();
}

} // namespace tavelkor

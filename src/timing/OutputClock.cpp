#include "OutputClock.h"

#include <algorithm>

namespace tavelkor {

void OutputClock::Start(qint64 nowUs) {
    started_ = true;
    startUs_ = lastNowUs_ = nowUs;
    behindWallUs_ = 0;
    lastUs_ = 0;
}

qint64 OutputClock::PlayedUs(qint64 deviceUs, qint64 nowUs) {
    if (!started_)
        return 0;
    const double wall = double(nowUs - startUs_);
    const double step = double(std::max<qint64>(nowUs - lastNowUs_, 0));
    lastNowUs_ = std::max(lastNowUs_, nowUs);
    const double ahead = wall - behindWallUs_ - double(deviceUs);
    const double pull = (ahead > FarUs || ahead < -FarUs ? FarPull : Pull) * step;
    behindWallUs_ += std::clamp(ahead, -pull, pull);
    qint64 played = qint64(wall - behindWallUs_);
    played = std::min(played, deviceUs + MaxLeadUs);
    lastUs_ = std::max(played, lastUs_);
    return lastUs_;
}

} // namespace tavelkor

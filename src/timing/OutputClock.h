// How much of the sound has been heard, as a clock that runs smoothly. A sound device reports
// its played time in steps, holds it while its stream starts and may jump when it catches up;
// taps stamped from that would land late or bunched. This clock runs on the monotonic wall
// clock from the moment the first frames were handed to the device, and is pulled gently
// towards the device's played time (a few percent faster or slower, never backwards), so it
// stays continuous and does not drift from the sound over a long song.
#pragma once

#include <QtGlobal>

namespace tavelkor {

class OutputClock {
public:
    // The first frames went to the device at `nowUs` (any monotonic microsecond count).
    void Start(qint64 nowUs);
    void Reset() { started_ = false; }
    bool Started() const { return started_; }
    // The time heard at `nowUs`, given what the device says it has played by then.
    qint64 PlayedUs(qint64 deviceUs, qint64 nowUs);

    // The pull towards the device: microseconds per microsecond of wall time, and the larger
    // pull where the two are far apart (a device that stalled or skipped).
    static constexpr double Pull = 0.05;
    static constexpr double FarPull = 0.5;
    static constexpr qint64 FarUs = 80000;
    // Never ahead of the device by more than this: a device that stops holds the clock.
    static constexpr qint64 MaxLeadUs = 120000;

private:
    bool started_ = false;
    qint64 startUs_ = 0;
    qint64 lastNowUs_ = 0;
    double behindWallUs_ = 0; // how far the clock runs behind the wall clock since Start
    qint64 lastUs_ = 0;       // the last time given
};

} // namespace tavelkor

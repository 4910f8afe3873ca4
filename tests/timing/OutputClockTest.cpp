// The smoothed clock of what has been heard, against devices that report their played time the
// ways sound servers do: held at 0 while the stream starts and then jumping, in coarse steps, on
// a slightly slower crystal for ten minutes, stalling. Read every 5 ms, as the editor's timer
// and its taps read it, the clock never goes back, never leaps, keeps within reach of the wall
// clock, and ends on the device's time.
#include "timing/OutputClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace tavelkor;

namespace {

struct Device {
    const char* name;
    qint64 runUs;
    std::function<qint64(qint64 wallUs)> played; // what the device reports at that wall time
    std::function<qint64(qint64 wallUs)> heard;  // what has been heard by then; null: stalled
    qint64 withinUs = 0;                         // how near the clock stays after two seconds
};

TEST(OutputClockTest, RunsOnSmoothlyAndSettlesOnTheDevice) {
    const std::vector<Device> devices = {
        {"holds at 0 while the stream starts, then jumps", 3000000,
         [](qint64 t) { return t < 100000 ? 0 : t - 30000; }, [](qint64 t) { return t - 30000; },
         3000},
        {"reports in 100 ms steps", 3000000,
         [](qint64 t) { return std::max<qint64>(0, t / 100000 * 100000 - 30000); },
         [](qint64 t) { return t - 80000; }, 55000},
        {"a crystal 0.1% slow for ten minutes", 600000000,
         [](qint64 t) { return std::max<qint64>(0, t - t / 1000 - 25000); },
         [](qint64 t) { return t - t / 1000 - 25000; }, 3000},
        {"stalls after a second", 3000000, [](qint64 t) { return std::min<qint64>(t, 1000000); },
         nullptr},
    };
    constexpr qint64 Tick = 5000;
    for (const Device& device : devices) {
        SCOPED_TRACE(device.name);
        OutputClock clock;
        clock.Start(1000); // the monotonic clock's own origin does not matter
        qint64 last = 0;
        for (qint64 t = Tick; t <= device.runUs; t += Tick) {
            const qint64 reported = device.played(t);
            const qint64 now = clock.PlayedUs(reported, 1000 + t);
            ASSERT_GE(now, last) << "at " << t;
            ASSERT_LE(now - last, qint64(Tick * (1 + OutputClock::FarPull)) + 1) << "at " << t;
            ASSERT_LE(now, reported + OutputClock::MaxLeadUs) << "at " << t;
            if (device.heard && t >= 2000000)
                ASSERT_NEAR(double(now), double(device.heard(t)), double(device.withinUs))
                    << "at " << t;
            last = now;
        }
    }
    OutputClock unstarted;
    EXPECT_EQ(unstarted.PlayedUs(500000, 1000000), 0);
}

} // namespace

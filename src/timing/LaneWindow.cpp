#include "LaneWindow.h"

#include "../lyrics/TimeValues.h"

#include <algorithm>
#include <cmath>

namespace tavelkor {

namespace {

constexpr int SpanRungs[] = {2000, 3000, 4000, 6000, 8000, 12000, 16000, 20000, 30000};

} // namespace

int LaneWindow::MsFor(int pixels) const {
    return int(std::lround(double(pixels) * spanMs_ / width_));
}

void LaneWindow::Zoom(int steps, double anchorX) {
    const int* rungs = std::begin(SpanRungs);
    const int count = int(std::size(SpanRungs));
    // The rung at or above the span shown now, then `steps` rungs shorter.
    int at = int(std::lower_bound(rungs, rungs + count, spanMs_) - rungs);
    at = std::clamp(at - steps, 0, count - 1);
    const double anchorMs = TimeAt(anchorX);
    spanMs_ = rungs[at];
    fromMs_ = std::max<qint64>(0, std::llround(anchorMs - anchorX * spanMs_ / width_));
}

void LaneWindow::ScrollBy(int pixels) { fromMs_ = std::max<qint64>(0, fromMs_ + MsFor(pixels)); }

void LaneWindow::Follow(qint64 positionMs, bool playing) {
    const bool moved = positionMs != followedMs_;
    followedMs_ = positionMs;
    if (playing || (moved && (positionMs < fromMs_ || positionMs >= ToMs())))
        fromMs_ = std::max<qint64>(0, positionMs - spanMs_ / 4);
}

QVector<LaneMark> LaneMarks(const TimingDocument& document, qint64 fromMs, qint64 toMs) {
    QVector<LaneMark> marks;
    for (int i = 0; i < document.Lines.size(); ++i) {
        const TimingLine& line = document.Lines[i];
        // A line is in view when any of its times is, or it spans the whole view.
        qint64 first = -1;
        qint64 last = -1;
        for (const TimedFragment& fragment : line.Fragments) {
            for (const int t : {fragment.StartMs, fragment.EndMs}) {
                if (t < 0)
                    continue;
                first = first < 0 ? t : std::min<qint64>(first, t);
                last = std::max<qint64>(last, t);
            }
        }
        if (first < 0 || last < fromMs || first > toMs)
            continue;
        for (int j = 0; j < line.Fragments.size(); ++j) {
            const TimedFragment& fragment = line.Fragments[j];
            if (fragment.Timed())
                marks.append({LaneMark::Start, {i, j}, fragment.StartMs, fragment.Text});
            if (fragment.EndMs >= 0) {
                const bool lineEnd = j + 1 == line.Fragments.size();
                marks.append({lineEnd ? LaneMark::LineEnd : LaneMark::PauseEnd,
                              {i, j},
                              fragment.EndMs,
                              QString()});
            }
        }
    }
    return marks;
}

int HandleAt(const QVector<LaneMark>& marks, const LaneWindow& window, double x, int reach) {
    int found = -1;
    double nearest = reach + 0.5;
    for (int k = 0; k < marks.size(); ++k) {
        if (marks[k].What != LaneMark::Start)
            continue;
        const double distance = std::abs(window.XOf(marks[k].TimeMs) - x);
        if (distance <= nearest) {
            nearest = distance;
            found = k;
        }
    }
    return found;
}

TimeRange StartRange(const TimingDocument& document, FragmentPlace place) {
    const TimedFragment* fragment = document.At(place);
    if (fragment == nullptr || !fragment->Timed())
        return {};
    const TimingLine& line = document.Lines[place.Line];
    TimeRange range{0, MaxTagMs};
    for (int j = place.Fragment - 1; j >= 0; --j) {
        if (line.Fragments[j].Timed()) {
            range.Low = std::max(line.Fragments[j].StartMs, line.Fragments[j].EndMs);
            break;
        }
    }
    if (fragment->EndMs >= 0) {
        range.High = fragment->EndMs - 1;
    } else {
        for (int j = place.Fragment + 1; j < line.Fragments.size(); ++j) {
            if (line.Fragments[j].Timed()) {
                range.High = line.Fragments[j].StartMs;
                break;
            }
        }
    }
    return range;
}

} // namespace tavelkor

// The timing editor's waveform lane as plain data: the span of song time its pixels show
// (following the song while it plays, scrolled and zoomed by the user while paused), the
// handles of the fragments in view, which handle a point hits, and where a dragged handle
// may go.
#pragma once

#include "TimingDocument.h"

#include <QString>
#include <QVector>
#include <algorithm>

namespace tavelkor {

class LaneWindow {
public:
    static constexpr int DefaultSpanMs = 8000;
    static constexpr int MinSpanMs = 2000;
    static constexpr int MaxSpanMs = 30000;

    void SetWidth(int pixels) { width_ = std::max(1, pixels); }
    int Width() const { return width_; }
    int SpanMs() const { return spanMs_; }
    qint64 FromMs() const { return fromMs_; }
    qint64 ToMs() const { return fromMs_ + spanMs_; }

    // The song time at pixel x and the pixel of a song time (fractions kept).
    double TimeAt(double x) const { return double(fromMs_) + x * spanMs_ / width_; }
    double XOf(double ms) const { return (ms - double(fromMs_)) * width_ / spanMs_; }
    // The milliseconds a move of `pixels` stands for, rounded to the nearest.
    int MsFor(int pixels) const;

    // `steps` notches of the wheel: up (positive) shows less time, each step one rung of
    // 2, 3, 4, 6, 8, 12, 16, 20, 30 s; the time under pixel `anchorX` stays where it is.
    void Zoom(int steps, double anchorX);
    // Moves the view by `pixels` (positive: later), never before the song's start.
    void ScrollBy(int pixels);
    // Keeps the playhead in view: while playing it stands a quarter from the left; paused,
    // the view moves only when the playhead has moved (a seek) to outside it, so that a view
    // scrolled away from a paused playhead stays where the user put it.
    void Follow(qint64 positionMs, bool playing);

private:
    qint64 followedMs_ = -1;
    int width_ = 1;
    int spanMs_ = DefaultSpanMs;
    qint64 fromMs_ = 0;
};

// A mark on the lane: a fragment's start (a handle that can be dragged) or its own end (a
// pause inside the line, or the end of the line).
struct LaneMark {
    enum Kind { Start, PauseEnd, LineEnd };
    Kind What = Start;
    FragmentPlace Place;
    int TimeMs = 0;
    QString Text; // the fragment's text (starts only)
};

// The marks of every line with a time inside fromMs .. toMs, in document order.
QVector<LaneMark> LaneMarks(const TimingDocument& document, qint64 fromMs, qint64 toMs);
// The start handle nearest to pixel x within `reach` pixels; -1 for none. Of two equally
// near, the later one in the document (it is drawn on top).
int HandleAt(const QVector<LaneMark>& marks, const LaneWindow& window, double x, int reach);

// The times the start of the fragment at `place` may take without passing a time beside it
// in its line (the bounds the editor's fine moves keep). Low > High when it is not timed.
struct TimeRange {
    int Low = 0;
    int High = -1;
    int Clamp(int ms) const { return std::clamp(ms, Low, High); }
};
TimeRange StartRange(const TimingDocument& document, FragmentPlace place);

} // namespace tavelkor

// What the timing editor shows, as plain data: the rows of the large display (the selected
// line with its sung fragments coloured at a song position, and the line after it), the
// list's text of a line, and the times of a line's fragments.
#pragma once

#include "../preview/KaraokeDisplay.h"
#include "LaneWindow.h"
#include "TimingDocument.h"

#include <QString>
#include <QVector>

namespace tavelkor {

// The line `line` (its fragments started by `positionMs` sung) and the next line with text.
QVector<DisplayRow> TimingRows(const TimingDocument& document, int line, qint64 positionMs);
// The line as the list shows it: its start time (or dashes) and its fragments separated by
// "|", the selected one (`selected` >= 0) in brackets.
QString TimingListText(const TimingLine& line, int selected);
// "さ 00:01.00  く 00:01.25 …" with "–" for fragments not timed and "～00:02.00" for ends.
QString FragmentTimesText(const TimingLine& line);
// "mm:ss.cc".
QString ClockText(qint64 ms);
// The line whose first timed fragment is the last to start at or before `positionMs`; -1
// before every timed line.
int LineAt(const TimingDocument& document, qint64 positionMs);
// The fragment sung at `positionMs`: the timed fragment that started last at or before it, or
// the next one in reading order when that one has ended (a pause, a line's end); the first
// fragment before every time.
FragmentPlace FragmentAt(const TimingDocument& document, qint64 positionMs);
// The span of every line with a time, from its first start to its last start or end, in
// line order (lines without a time left out).
QVector<TimeRange> LineSpans(const TimingDocument& document);
// Where a line's replay ends: its last end or start plus a second, or the next timed line's
// start when that comes first. -1 for a line without times.
qint64 LineEndMs(const TimingDocument& document, int line);

// The age of a key event at the moment it is handled, from the event's own timestamp: the
// difference between the handling time and the timestamp, less the smallest such difference
// seen so far (the time base of event timestamps is the window system's own).
class EventAge {
public:
    // `timestampMs` 0 (no timestamp) is age 0; an age above a second is taken as 0 too.
    qint64 AgeMs(quint64 timestampMs, qint64 nowMs);

private:
    bool known_ = false;
    qint64 smallest_ = 0;
};

} // namespace tavelkor

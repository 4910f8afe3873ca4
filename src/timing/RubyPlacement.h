// Where the readings of the timing editor's lyrics stand, and the "@RubyN" entries that keep
// them there. The entries are composed from the readings line by line: a base read the same
// way wherever a reading stands gets entries without times (as many as it has readings in one
// line); a base read differently by place gets one entry per place with the times of its line
// (start inclusive, end exclusive), so that each stays where it stands.
#pragma once

#include "../lyrics/Ruby.h"
#include "TimingDocument.h"

#include <QVector>

namespace tavelkor {

// The first start of a line, or -1 when none of its fragments is timed.
int LineFirstStartMs(const TimingLine& line);
// Where a line's readings stop applying: its last fragment's end, else the first start of the
// next timed line, else -1 (no end).
int LineReadingEndMs(const TimingDocument& document, int line);

// The readings the document's ruby entries give line `line` at its first start (entries with
// times do not apply to a line that has none).
QVector<RubySpan> LineReadings(const TimingDocument& document, int line);

// The entries that give every line of `document` the readings `readings[line]` (missing lines:
// none), numbered from 1 in the order of the places they come from.
QVector<RubyEntry> ComposeRubyEntries(const TimingDocument& document,
                                      const QVector<QVector<RubySpan>>& readings);

// The document's entries with line `line`'s readings replaced by `lineReadings` and every
// other line's kept as it reads now.
QVector<RubyEntry> RubyWithLineReadings(const TimingDocument& document, int line,
                                        const QVector<RubySpan>& lineReadings);

bool SameRuby(const QVector<RubyEntry>& a, const QVector<RubyEntry>& b);

} // namespace tavelkor

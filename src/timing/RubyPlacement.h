// Where the readings of the timing editor's lyrics stand, and the "@RubyN" entries that keep
// them there, composed line by line by the same rule as the caption readers' (RubyEntries.h).
#pragma once

#include "../lyrics/Ruby.h"
#include "../lyrics/RubyEntries.h"
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

// The document's lines as the readings see them: each read at its first start.
QVector<RubyLine> RubyLinesOf(const TimingDocument& document);

// The document's entries with line `line`'s readings replaced by `lineReadings` and every
// other line's kept as it reads now.
QVector<RubyEntry> RubyWithLineReadings(const TimingDocument& document, int line,
                                        const QVector<RubySpan>& lineReadings);

bool SameRuby(const QVector<RubyEntry>& a, const QVector<RubyEntry>& b);

} // namespace tavelkor

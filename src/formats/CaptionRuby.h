// Readings (ruby) between the caption formats and TimeTag's "@RubyN" entries.
#pragma once

#include "../lyrics/LyricsDocument.h"
#include "../lyrics/Ruby.h"

#include <QVector>

namespace tavelkor {

// True when a "@RubyN=base,reading" line can hold the span's base and reading: neither holds
// a comma or a line break, the base starts and the reading ends with no blank (the line's
// value is trimmed), and neither is empty.
bool RubyFitsTimeTag(QStringView base, QStringView reading);

// Sets document.Header.Ruby to entries under which RubyFor() gives each line (`wanted[i]` for
// document.Lines[i], at the line's first tag) the readings wanted for it, as far as entries can
// say so. Lines go in time order; an entry starts (with a start tag) only where an earlier line
// holds its base, and ends (with an end tag) where a line wants that base without that reading.
// Lines starting at the same time cannot be told apart by time, and a base that a line wants
// read only at a later occurrence than its first cannot be said at all; such lines get what
// RubyFor() then gives them. Entries are numbered 1, 2, ... in the order they start.
void AddRubyEntries(LyricsDocument& document, const QVector<QVector<RubySpan>>& wanted);

} // namespace tavelkor

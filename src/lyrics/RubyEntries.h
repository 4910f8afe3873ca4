// The one rule that turns readings placed line by line into TimeTag's "@RubyN" entries: the
// caption readers (x2t) and the timing editor's 「ふりがな」 both compose their entries here.
#pragma once

#include "LyricsDocument.h"
#include "Ruby.h"

#include <QVector>

namespace tavelkor {

// True when a "@RubyN=base,reading" line can hold the span's base and reading: neither holds
// a comma or a line break, the base starts and the reading ends with no blank (the line's
// value is trimmed), and neither is empty.
bool RubyFitsTimeTag(QStringView base, QStringView reading);

// A line as the readings see it: its text and the time its readings are read at (its first
// start), or -1 for a line not timed yet (only entries without a start apply to it).
struct RubyLine {
    QString Text;
    int TimeMs = -1;
};

// Entries under which RubySpansIn() gives each line (`wanted[i]` for lines[i], at its time) the
// readings wanted for it, as far as entries can say so. Lines go in time order; an entry starts
// (with a start tag) only where an earlier line holds its base, and ends (with an end tag) where
// a line wants that base without that reading. Lines starting at the same time cannot be told
// apart by time, and a base that a line wants read only at a later occurrence than its first
// cannot be said at all; such lines get what RubySpansIn() then gives them. A line not timed
// can only add entries without times. Entries are numbered 1, 2, ... in the order they start.
QVector<RubyEntry> ComposeRubyEntries(const QVector<RubyLine>& lines,
                                      const QVector<QVector<RubySpan>>& wanted);
// The same for a document's timed lines (`wanted[i]` for document.Lines[i], read at the line's
// first tag), into document.Header.Ruby.
void AddRubyEntries(LyricsDocument& document, const QVector<QVector<RubySpan>>& wanted);

} // namespace tavelkor

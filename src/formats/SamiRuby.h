// Readings in SAMI captions: <RUBY>base<RT>reading</RT></RUBY>.
#pragma once

#include "../lyrics/LyricsDocument.h"

#include <QString>
#include <QVector>

namespace tavelkor {

// A reading as a caption shows it, at the caption's time.
struct ShownReading {
    int TimeMs = 0;
    QString Base;
    QString Reading;
};

// The caption line with every "<RUBY>base<RT>reading</RT></RUBY>" (letter case free; the
// closing </RT> may be left out) replaced by its base; the readings (entities decoded) are
// appended to `shown` at `timeMs`. A line without "<RUBY" comes back as it is.
QString TakeSamiRuby(const QString& line, int timeMs, QVector<ShownReading>& shown);

// "@Ruby" entries for readings shown in this order: a base's readings in one caption (its
// first, second, ... place) are one way of reading it; a base always read one way gets one
// entry per place without times; a base read differently by place, entries per run of
// captions that read it one way, from the time the run starts (the first without a start) to
// the time the next starts.
// Numbered 1, 2, ... in the order the bases first show. Bases or readings that a "@Ruby" line
// cannot hold are left out (RubyFitsTimeTag).
QVector<RubyEntry> RubyEntriesOfShownReadings(const QVector<ShownReading>& shown);

} // namespace tavelkor

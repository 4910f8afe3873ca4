// Timed lines as short text, for tests of the caption readers.
#pragma once

#include "formats/TimedLyrics.h"

#include <QStringList>

namespace tavelkor::test {

// A line as "start-end text", the words of a word-timed line parted by "/" and each reading
// after the line as "{base=reading}".
inline QString LineReading(const TimedLine& line) {
    QString s = QStringLiteral("%1-%2 ").arg(line.StartMs).arg(line.EndMs);
    QStringList words;
    for (const TimedWord& word : line.Words)
        words << word.Text;
    s += words.join(line.WordTimed ? QStringLiteral("/") : QString());
    const QString text = line.Text();
    for (const RubySpan& span : line.Ruby)
        s += u'{' + text.mid(span.From, span.Length) + u'=' + span.Reading + u'}';
    return s;
}

// Every line of the lyrics, as LineReading gives it, one a line.
inline QString LinesReading(const std::optional<TimedLyrics>& lyrics) {
    QStringList lines;
    if (lyrics)
        for (const TimedLine& line : lyrics->Lines)
            lines << LineReading(line);
    return lines.join(u'\n');
}

} // namespace tavelkor::test

#include "RubyPlacement.h"

namespace tavelkor {

int LineFirstStartMs(const TimingLine& line) {
    for (const TimedFragment& fragment : line.Fragments) {
        if (fragment.Timed())
            return fragment.StartMs;
    }
    return -1;
}

int LineReadingEndMs(const TimingDocument& document, int line) {
    if (line < 0 || line >= document.Lines.size())
        return -1;
    const TimingLine& own = document.Lines[line];
    if (!own.Fragments.isEmpty() && own.Fragments.last().EndMs >= 0)
        return own.Fragments.last().EndMs;
    for (int next = line + 1; next < document.Lines.size(); ++next) {
        const int start = LineFirstStartMs(document.Lines[next]);
        if (start >= 0)
            return start;
    }
    return -1;
}

QVector<RubySpan> LineReadings(const TimingDocument& document, int line) {
    if (line < 0 || line >= document.Lines.size())
        return {};
    return RubySpansIn(document.Header.Ruby, document.Lines[line].Text(),
                       LineFirstStartMs(document.Lines[line]));
}

QVector<RubyLine> RubyLinesOf(const TimingDocument& document) {
    QVector<RubyLine> lines;
    for (const TimingLine& line : document.Lines)
        lines.append({line.Text(), LineFirstStartMs(line)});
    return lines;
}

QVector<RubyEntry> RubyWithLineReadings(const TimingDocument& document, int line,
                                        const QVector<RubySpan>& lineReadings) {
    QVector<QVector<RubySpan>> readings;
    QVector<bool> used(document.Header.Ruby.size());
    for (int i = 0; i < document.Lines.size(); ++i) {
        const QVector<RubySpan> own = LineReadings(document, i);
        for (const RubySpan& span : own) {
            for (int e = 0; e < document.Header.Ruby.size(); ++e)
                used[e] = used[e] || document.Header.Ruby[e].Number == span.Number;
        }
        readings.append(i == line ? lineReadings : own);
    }
    QVector<RubyEntry> entries = ComposeRubyEntries(RubyLinesOf(document), readings);
    // Entries that stand nowhere at a line's start (a base no line has, times inside a line)
    // are kept as they are, after the others.
    for (int e = 0; e < document.Header.Ruby.size(); ++e) {
        if (!used[e]) {
            entries.append(document.Header.Ruby[e]);
            entries.last().Number = int(entries.size());
        }
    }
    return entries;
}

bool SameRuby(const QVector<RubyEntry>& a, const QVector<RubyEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (ComposeRubyDirective(a[i]) != ComposeRubyDirective(b[i]) ||
            a[i].StartMs != b[i].StartMs || a[i].EndMs != b[i].EndMs)
            return false;
    }
    return true;
}

} // namespace tavelkor

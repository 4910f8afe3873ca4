#include "RubyPlacement.h"

#include <QHash>
#include <algorithm>

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

namespace {

struct Place {
    int Line;
    RubySpan Span;
};

// Where the readings of one base stand, in the order of the lyrics.
struct BaseReadings {
    QString Base;
    QVector<Place> Places;
};

struct Ordered {
    int Line;
    int From;
    RubyEntry Entry;
    // An entry without times among entries with times: it goes after every entry with times,
    // which would otherwise lose their occurrence to it.
    bool Late = false;
};

bool SpansOfBaseMatch(const QVector<RubyEntry>& entries, const BaseReadings& base,
                      const TimingDocument& document) {
    for (int line = 0; line < document.Lines.size(); ++line) {
        const QString text = document.Lines[line].Text();
        if (!text.contains(base.Base))
            continue;
        QVector<RubySpan> expected;
        for (const Place& place : base.Places) {
            if (place.Line == line)
                expected.append({place.Span.From, place.Span.Length, place.Span.Reading, 0});
        }
        QVector<RubySpan> got = RubySpansIn(entries, text, LineFirstStartMs(document.Lines[line]));
        for (RubySpan& span : got)
            span.Number = 0;
        if (got != expected)
            return false;
    }
    return true;
}

// Entries without times: the k-th takes the k-th occurrence in every line.
QVector<Ordered> UntimedEntries(const BaseReadings& base) {
    QHash<int, int> perLine;
    QVector<Ordered> out;
    for (const Place& place : base.Places) {
        const int k = perLine[place.Line]++;
        if (k < out.size())
            continue;
        RubyEntry entry;
        entry.Base = base.Base;
        entry.Reading = place.Span.Reading;
        out.append({place.Line, place.Span.From, entry});
    }
    return out;
}

// One entry per place, with its line's times where the line has them.
QVector<Ordered> TimedEntries(const BaseReadings& base, const TimingDocument& document) {
    QVector<Ordered> out;
    for (const Place& place : base.Places) {
        RubyEntry entry;
        entry.Base = base.Base;
        entry.Reading = place.Span.Reading;
        const int start = LineFirstStartMs(document.Lines[place.Line]);
        if (start >= 0) {
            const int end = LineReadingEndMs(document, place.Line);
            SetRubyTimes(entry, start, end > start ? end : -1);
        }
        out.append({place.Line, place.Span.From, entry, start < 0});
    }
    return out;
}

QVector<RubyEntry> EntriesOf(const QVector<Ordered>& ordered) {
    QVector<RubyEntry> entries;
    for (const Ordered& o : ordered)
        entries.append(o.Entry);
    return entries;
}

} // namespace

QVector<RubyEntry> ComposeRubyEntries(const TimingDocument& document,
                                      const QVector<QVector<RubySpan>>& readings) {
    QVector<BaseReadings> bases;
    for (int line = 0; line < readings.size() && line < document.Lines.size(); ++line) {
        const QString text = document.Lines[line].Text();
        QVector<RubySpan> spans = readings[line];
        std::stable_sort(spans.begin(), spans.end(),
                         [](const RubySpan& a, const RubySpan& b) { return a.From < b.From; });
        for (const RubySpan& span : spans) {
            if (span.Reading.isEmpty() || span.Length <= 0 || span.From < 0 ||
                span.From + span.Length > text.size())
                continue;
            const QString base = text.mid(span.From, span.Length);
            auto found = std::find_if(bases.begin(), bases.end(),
                                      [&](const BaseReadings& b) { return b.Base == base; });
            if (found == bases.end()) {
                bases.append({base, {}});
                found = bases.end() - 1;
            }
            found->Places.append({line, span});
        }
    }
    QVector<Ordered> all;
    for (const BaseReadings& base : bases) {
        // Entries without times where they give exactly these readings; else one per place.
        const QVector<Ordered> untimed = UntimedEntries(base);
        all += SpansOfBaseMatch(EntriesOf(untimed), base, document) ? untimed
                                                                    : TimedEntries(base, document);
    }
    std::stable_sort(all.begin(), all.end(), [](const Ordered& a, const Ordered& b) {
        if (a.Late != b.Late)
            return b.Late;
        return a.Line != b.Line ? a.Line < b.Line : a.From < b.From;
    });
    QVector<RubyEntry> entries = EntriesOf(all);
    for (int i = 0; i < entries.size(); ++i)
        entries[i].Number = i + 1;
    return entries;
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
    QVector<RubyEntry> entries = ComposeRubyEntries(document, readings);
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

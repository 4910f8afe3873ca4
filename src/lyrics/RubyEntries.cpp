#include "RubyEntries.h"

#include <QSet>
#include <algorithm>

namespace tavelkor {

namespace {

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

bool SameReadings(const QVector<RubySpan>& got, const QVector<RubySpan>& wanted) {
    if (got.size() != wanted.size())
        return false;
    for (qsizetype i = 0; i < got.size(); ++i) {
        if (got[i].From != wanted[i].From || got[i].Length != wanted[i].Length ||
            got[i].Reading != wanted[i].Reading)
            return false;
    }
    return true;
}

bool Contains(const QVector<RubySpan>& spans, const RubySpan& span) {
    for (const RubySpan& s : spans) {
        if (s.From == span.From && s.Length == span.Length && s.Reading == span.Reading)
            return true;
    }
    return false;
}

// The text of the lines before, up to a bound (past it, every new entry gets its start tag).
class EarlierText {
public:
    void Add(const QString& line) {
        if (text_.size() + line.size() > Limit) {
            full_ = true;
            return;
        }
        text_ += line;
        text_ += u'\n';
    }
    bool MayHold(const QString& base) const { return full_ || text_.contains(base); }

private:
    static constexpr qsizetype Limit = 1 << 16;
    QString text_;
    bool full_ = false;
};

} // namespace

bool RubyFitsTimeTag(QStringView base, QStringView reading) {
    if (base.isEmpty() || reading.isEmpty() || IsBlank(base.front()) || IsBlank(reading.back()))
        return false;
    for (const QStringView field : {base, reading}) {
        for (const QChar c : field) {
            if (c == u',' || c == u'\r' || c == u'\n')
                return false;
        }
    }
    return true;
}

QVector<RubyEntry> ComposeRubyEntries(const QVector<RubyLine>& lines,
                                      const QVector<QVector<RubySpan>>& wanted) {
    QVector<RubyEntry> entries;
    EarlierText earlier;
    auto start = [&](const QString& base, const QString& reading, int timeMs) {
        RubyEntry entry;
        entry.Number = int(entries.size()) + 1;
        entry.Base = base;
        entry.Reading = reading;
        SetRubyTimes(entry, timeMs >= 0 && earlier.MayHold(base) ? timeMs : -1, -1);
        entries.append(entry);
    };
    auto end = [&](RubyEntry& entry, int timeMs) { SetRubyTimes(entry, entry.StartMs, timeMs); };
    for (qsizetype i = 0; i < lines.size() && i < wanted.size(); ++i) {
        const QString& text = lines[i].Text;
        const int time = lines[i].TimeMs;
        QVector<RubySpan> want;
        for (const RubySpan& span : wanted[i]) {
            if (span.From >= 0 && span.Length > 0 && span.From + span.Length <= text.size() &&
                RubyFitsTimeTag(QStringView(text).mid(span.From, span.Length), span.Reading))
                want.append(span);
        }
        std::stable_sort(want.begin(), want.end(),
                         [](const RubySpan& a, const RubySpan& b) { return a.From < b.From; });
        QVector<RubySpan> got = RubySpansIn(entries, text, time);
        if (!SameReadings(got, want)) {
            if (time >= 0) {
                // The entries that put a reading where none or another is wanted end here.
                QSet<int> unwanted;
                for (const RubySpan& span : got) {
                    if (!Contains(want, span))
                        unwanted.insert(span.Number);
                }
                for (RubyEntry& entry : entries) {
                    if (unwanted.contains(entry.Number))
                        end(entry, time);
                }
                got = RubySpansIn(entries, text, time);
            }
            for (const RubySpan& span : want) {
                if (!Contains(got, span))
                    start(text.mid(span.From, span.Length), span.Reading, time);
            }
            got = RubySpansIn(entries, text, time);
            if (time >= 0 && !SameReadings(got, want)) {
                // The order of the entries decides which occurrence each takes: all anew.
                for (RubyEntry& entry : entries) {
                    if (RubyApplies(entry, time))
                        end(entry, time);
                }
                for (const RubySpan& span : want)
                    start(text.mid(span.From, span.Length), span.Reading, time);
            }
        }
        earlier.Add(text);
    }
    return entries;
}

void AddRubyEntries(LyricsDocument& document, const QVector<QVector<RubySpan>>& wanted) {
    QVector<RubyLine> lines;
    QVector<QVector<RubySpan>> timedWanted;
    for (qsizetype i = 0; i < document.Lines.size() && i < wanted.size(); ++i) {
        const LyricsLine& line = document.Lines[i];
        if (line.FragmentCount() == 0)
            continue;
        lines.append({line.PlainText, line.Fragments[1].TimeMs});
        timedWanted.append(wanted[i]);
    }
    document.Header.Ruby = ComposeRubyEntries(lines, timedWanted);
}

} // namespace tavelkor

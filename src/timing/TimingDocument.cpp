#include "TimingDocument.h"

#include "../lyrics/TextRules.h"
#include "../lyrics/TimeTagWriter.h"
#include "../lyrics/TimeValues.h"

namespace tavelkor {

QString TimingLine::Text() const {
    QString text;
    for (const TimedFragment& fragment : Fragments)
        text += fragment.Text;
    return text;
}

bool TimingLine::AnyTimed() const {
    for (const TimedFragment& fragment : Fragments) {
        if (fragment.Timed())
            return true;
    }
    return false;
}

FragmentPlace TimingDocument::Next(FragmentPlace place) const {
    if (!place.Valid() || place.Line >= Lines.size())
        return {};
    if (place.Fragment + 1 < Lines[place.Line].Fragments.size())
        return {place.Line, place.Fragment + 1};
    return FirstFrom(place.Line + 1);
}

FragmentPlace TimingDocument::Previous(FragmentPlace place) const {
    if (!place.Valid() || place.Line >= Lines.size())
        return {};
    if (place.Fragment > 0)
        return {place.Line, place.Fragment - 1};
    for (int line = place.Line - 1; line >= 0; --line) {
        if (!Lines[line].Fragments.isEmpty())
            return {line, int(Lines[line].Fragments.size()) - 1};
    }
    return {};
}

FragmentPlace TimingDocument::FirstFrom(int line) const {
    for (int i = std::max(0, line); i < Lines.size(); ++i) {
        if (!Lines[i].Fragments.isEmpty())
            return {i, 0};
    }
    return {};
}

const TimedFragment* TimingDocument::At(FragmentPlace place) const {
    if (!place.Valid() || place.Line >= Lines.size() ||
        place.Fragment >= Lines[place.Line].Fragments.size())
        return nullptr;
    return &Lines[place.Line].Fragments[place.Fragment];
}

namespace {

TimingLine SplitLine(const QString& text, const SplitRules& rules, int startMs, int endMs) {
    TimingLine line;
    for (const QString& piece : SplitIntoFragments(text, rules))
        line.Fragments.append({piece, -1, -1});
    if (!line.Fragments.isEmpty()) {
        line.Fragments.first().StartMs = startMs;
        if (startMs >= 0 && endMs > startMs)
            line.Fragments.last().EndMs = endMs;
    }
    return line;
}

// For every line, the start of the first timed fragment of the first later line that has one;
// -1 where none has.
QVector<int> NextLineStarts(const QVector<TimingLine>& lines) {
    QVector<int> next(lines.size(), -1);
    int start = -1;
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        next[i] = start;
        for (const TimedFragment& fragment : lines[i].Fragments) {
            if (fragment.Timed()) {
                start = fragment.StartMs;
                break;
            }
        }
    }
    return next;
}

// `restAtMs`: the time of the line's untimed rest (LyricsLine::UntimedRest) where it gave the
// last timed fragment its end, else -1.
TimingLine LineFromLyrics(const LyricsLine& source, const SplitRules& rules, int& restAtMs) {
    restAtMs = -1;
    if (!source.HasTimeTag || source.FragmentCount() == 0)
        return SplitLine(source.PlainText, rules, -1, -1);
    const QString leading = source.Fragments[0].Text;
    const int rest = source.UntimedRest();
    const int last = rest > 0 ? rest - 1 : source.FragmentCount();
    TimingLine line;
    for (int k = 1; k <= last; ++k) {
        const KaraokeFragment& fragment = source.Fragments[k];
        // An empty fragment after another is where that one stops.
        if (fragment.Text.isEmpty() && !line.Fragments.isEmpty()) {
            TimedFragment& before = line.Fragments.last();
            if (before.EndMs < 0 && fragment.TimeMs > before.StartMs)
                before.EndMs = fragment.TimeMs;
            continue;
        }
        line.Fragments.append({fragment.Text, fragment.TimeMs, -1});
    }
    if (line.Fragments.isEmpty())
        return SplitLine(leading, rules, -1, -1);
    line.Fragments.first().Text.prepend(leading);
    if (rest > 0) {
        // The rest's time ends the last timed fragment, unless it is that fragment's start.
        TimedFragment& timed = line.Fragments.last();
        const int restTime = source.Fragments[rest].TimeMs;
        if (timed.EndMs < 0 && restTime > timed.StartMs) {
            timed.EndMs = restTime;
            restAtMs = restTime;
        }
        for (const QString& piece : SplitIntoFragments(source.Fragments[rest].Text, rules))
            line.Fragments.append({piece, -1, -1});
        return line;
    }
    // One sung fragment is a line tag (and maybe its end): split it as plain text would be.
    if (line.Fragments.size() == 1)
        return SplitLine(line.Fragments[0].Text, rules, line.Fragments[0].StartMs,
                         line.Fragments[0].EndMs);
    return line;
}

LyricsLine LineToLyrics(const TimingLine& line, int nextLineStart) {
    LyricsLine out;
    out.PlainText = line.Text();
    if (!line.AnyTimed()) {
        out.RawText = out.PlainText;
        out.Fragments = QVector<KaraokeFragment>(1);
        return out;
    }
    out.HasTimeTag = true;
    // The untimed fragments after the last timed one are not sung: they follow the line's end
    // tag as a part of no length (LyricsLine::UntimedRest).
    qsizetype timedEnd = line.Fragments.size();
    while (!line.Fragments[timedEnd - 1].Timed())
        --timedEnd;
    QString rest;
    for (qsizetype i = timedEnd; i < line.Fragments.size(); ++i)
        rest += line.Fragments[i].Text;
    QString leading; // untimed fragments before the first timed one: text before its tag
    QVector<KaraokeFragment> tagged;
    int pendingEnd = -1;
    auto closeEnd = [&tagged, &pendingEnd](int nextStart) {
        if (pendingEnd >= 0 && pendingEnd != nextStart)
            tagged.append(FragmentAtTime(pendingEnd, QString()));
        pendingEnd = -1;
    };
    for (const TimedFragment& fragment : line.Fragments.first(timedEnd)) {
        if (!fragment.Timed()) {
            if (tagged.isEmpty())
                leading += fragment.Text;
            else
                tagged.last().Text += fragment.Text;
            continue;
        }
        closeEnd(fragment.StartMs);
        tagged.append(FragmentAtTime(fragment.StartMs, fragment.Text));
        pendingEnd = fragment.EndMs;
    }
    if (!rest.isEmpty()) {
        const TimedFragment& last = line.Fragments[timedEnd - 1];
        int at = last.EndMs;
        if (at < 0)
            at = nextLineStart > last.StartMs ? nextLineStart : last.StartMs;
        tagged.append(FragmentAtTime(at, rest));
        tagged.append(FragmentAtTime(at, QString()));
        pendingEnd = -1;
    }
    closeEnd(-1);
    out.Fragments.append({tagged.first().TagText, tagged.first().TimeMs, leading});
    out.Fragments += tagged;
    out.IsKaraoke = out.FragmentCount() > 1;
    return out;
}

} // namespace

TimingDocument TimingFromLyrics(const LyricsDocument& document, const SplitRules& rules) {
    TimingDocument timing;
    timing.Header = document.Header;
    QVector<int> restAt;
    for (const LyricsLine& line : document.Lines) {
        if (line.IsDirective)
            continue;
        int at = -1;
        timing.Lines.append(LineFromLyrics(line, rules, at));
        restAt.append(at);
    }
    // An untimed rest at the next line's start stands after a fragment that had no end.
    const QVector<int> next = NextLineStarts(timing.Lines);
    for (qsizetype i = 0; i < timing.Lines.size(); ++i) {
        if (restAt[i] < 0 || restAt[i] != next[i])
            continue;
        for (qsizetype k = timing.Lines[i].Fragments.size() - 1; k >= 0; --k) {
            TimedFragment& fragment = timing.Lines[i].Fragments[k];
            if (fragment.Timed()) {
                fragment.EndMs = -1;
                break;
            }
        }
    }
    return timing;
}

TimingDocument TimingFromPlainText(const QString& text, const SplitRules& rules) {
    LyricsDocument document;
    // The pieces are views into this text: it lives until they are copied.
    const QString unified = UnifyLineEnds(text);
    for (QStringView piece : SplitAtCrLf(unified)) {
        LyricsLine line;
        line.PlainText = piece.toString();
        document.Lines.append(line);
    }
    // A final line break is no line of its own.
    if (!document.Lines.isEmpty() && document.Lines.last().PlainText.isEmpty())
        document.Lines.removeLast();
    return TimingFromLyrics(document, rules);
}

LyricsDocument TimingToLyrics(const TimingDocument& document) {
    LyricsDocument out;
    out.Header = document.Header;
    // Every stamp is real time; the offsets and ratios of the source are folded into them.
    out.Header.TimeRatio = 1;
    out.Header.HasTimeRatio = true;
    out.Header.TimeType.clear();
    out.Header.HasFrames = false;
    out.Header.HasTotalSec = false;
    out.Header.HasOffset = false;
    out.Header.HasSilencemSec = false;
    const QVector<int> next = NextLineStarts(document.Lines);
    for (qsizetype i = 0; i < document.Lines.size(); ++i) {
        out.Lines.append(LineToLyrics(document.Lines[i], next[i]));
        if (out.Lines.last().HasTimeTag)
            out.HasTimeTags = true;
    }
    // One tag and its text read the same either way; karaoke composition writes every tag.
    out.HasKaraoke = out.HasTimeTags;
    return out;
}

QString ComposeTimingText(const TimingDocument& document) {
    LyricsDocument lyrics = TimingToLyrics(document);
    ComposeLyricsText(lyrics);
    return lyrics.Text;
}

bool TimesInOrder(const TimingLine& line) {
    int last = -1;
    for (const TimedFragment& fragment : line.Fragments) {
        if (!fragment.Timed()) {
            if (fragment.EndMs >= 0)
                return false;
            continue;
        }
        if (fragment.StartMs < last)
            return false;
        last = fragment.StartMs;
        if (fragment.EndMs >= 0) {
            if (fragment.EndMs <= fragment.StartMs)
                return false;
            last = fragment.EndMs;
        }
    }
    return true;
}

} // namespace tavelkor

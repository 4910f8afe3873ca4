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

TimingLine LineFromLyrics(const LyricsLine& source, const SplitRules& rules) {
    if (!source.HasTimeTag || source.FragmentCount() == 0)
        return SplitLine(source.PlainText, rules, -1, -1);
    const QString leading = source.Fragments[0].Text;
    TimingLine line;
    for (int k = 1; k <= source.FragmentCount(); ++k) {
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
    // One sung fragment is a line tag (and maybe its end): split it as plain text would be.
    if (line.Fragments.size() == 1)
        return SplitLine(line.Fragments[0].Text, rules, line.Fragments[0].StartMs,
                         line.Fragments[0].EndMs);
    return line;
}

LyricsLine LineToLyrics(const TimingLine& line) {
    LyricsLine out;
    out.PlainText = line.Text();
    if (!line.AnyTimed()) {
        out.RawText = out.PlainText;
        out.Fragments = QVector<KaraokeFragment>(1);
        return out;
    }
    out.HasTimeTag = true;
    QString leading; // untimed fragments before the first timed one: text before its tag
    QVector<KaraokeFragment> tagged;
    int pendingEnd = -1;
    auto closeEnd = [&tagged, &pendingEnd](int nextStart) {
        if (pendingEnd >= 0 && pendingEnd != nextStart)
            tagged.append(FragmentAtTime(pendingEnd, QString()));
        pendingEnd = -1;
    };
    for (const TimedFragment& fragment : line.Fragments) {
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
    for (const LyricsLine& line : document.Lines) {
        if (!line.IsDirective)
            timing.Lines.append(LineFromLyrics(line, rules));
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
    for (const TimingLine& line : document.Lines) {
        out.Lines.append(LineToLyrics(line));
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

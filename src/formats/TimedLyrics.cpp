#include "TimedLyrics.h"

#include "../lyrics/TimeValues.h"
#include "../lyrics/RubyEntries.h"
#include "CaptionText.h"

#include <algorithm>

namespace tavelkor {

QString TimedLine::Text() const {
    QString text;
    for (const TimedWord& word : Words)
        text += word.Text;
    return text;
}

namespace {

bool ShowsText(const LyricsLine& line) {
    return !line.IsDirective && line.HasTimeTag && line.FragmentCount() > 0 &&
           !line.PlainText.isEmpty();
}

// The start of the next line that has a time, text or not: a timed empty line clears the text.
int NextStart(const LyricsDocument& document, int index, int fallback) {
    for (int i = index + 1; i < document.LineCount(); ++i) {
        const LyricsLine& line = document.Lines[i];
        if (!line.IsDirective && line.HasTimeTag && line.FragmentCount() > 0)
            return line.Fragments[1].TimeMs;
    }
    return fallback;
}

} // namespace

TimedLyrics TimedLyricsOf(const LyricsDocument& document, int lastLineMs) {
    TimedLyrics lyrics;
    lyrics.Title = document.Header.Title.trimmed();
    lyrics.Artist = document.Header.Artist.trimmed();
    for (int i = 0; i < document.LineCount(); ++i) {
        const LyricsLine& source = document.Lines[i];
        if (!ShowsText(source))
            continue;
        TimedLine line;
        int count = source.FragmentCount();
        const bool endTag = count > 1 && source.Fragments[count].Text.isEmpty();
        if (endTag)
            --count;
        for (int k = 1; k <= count; ++k) {
            const KaraokeFragment& fragment = source.Fragments[k];
            QString text = k == 1 ? source.Fragments[0].Text + fragment.Text : fragment.Text;
            line.Words.append({std::move(text), fragment.TimeMs});
        }
        line.StartMs = line.Words.first().StartMs;
        const int lastStart = line.Words.last().StartMs;
        if (endTag) {
            line.EndMs = std::max(lastStart, source.Fragments[count + 1].TimeMs);
        } else {
            const int next = NextStart(document, i, -1);
            line.EndMs = next > lastStart ? next : HeldMs(qint64(lastStart) + lastLineMs);
        }
        line.WordTimed = line.Words.size() > 1;
        const qsizetype length = line.Text().size();
        for (const RubySpan& span : RubyFor(document, i, line.StartMs)) {
            if (span.From + span.Length <= length)
                line.Ruby.append(span);
        }
        lyrics.Lines.append(std::move(line));
    }
    return lyrics;
}

LyricsDocument DocumentOfTimedLyrics(TimedLyrics lyrics) {
    LyricsDocument document;
    document.Header.Title = lyrics.Title;
    document.Header.Artist = lyrics.Artist;
    std::stable_sort(lyrics.Lines.begin(), lyrics.Lines.end(),
                     [](const TimedLine& a, const TimedLine& b) { return a.StartMs < b.StartMs; });
    QVector<QVector<RubySpan>> ruby;
    for (qsizetype i = 0; i < lyrics.Lines.size(); ++i) {
        const TimedLine& timed = lyrics.Lines[i];
        if (timed.Words.isEmpty())
            continue;
        ruby.append(timed.Ruby);
        LyricsLine line;
        line.HasTimeTag = true;
        line.Fragments.append(FragmentAtTime(timed.StartMs, QString()));
        if (timed.Words.first().StartMs > timed.StartMs)
            line.Fragments.append(FragmentAtTime(timed.StartMs, QString()));
        for (const TimedWord& word : timed.Words) {
            line.Fragments.append(FragmentAtTime(word.StartMs, word.Text));
            line.PlainText += word.Text;
        }
        const bool endsAtNext =
            i + 1 < lyrics.Lines.size() && lyrics.Lines[i + 1].StartMs == timed.EndMs;
        const int lastStart = timed.Words.last().StartMs;
        if ((!endsAtNext && timed.EndMs > lastStart) ||
            (!timed.OpenEnd && timed.EndMs == lastStart))
            line.Fragments.append(FragmentAtTime(timed.EndMs, QString()));
        line.IsKaraoke = line.Fragments.size() > 2;
        document.HasKaraoke = document.HasKaraoke || line.IsKaraoke;
        document.Lines.append(std::move(line));
    }
    document.HasTimeTags = !document.Lines.isEmpty();
    AddRubyEntries(document, ruby);
    document.Header.TimeRatio = 1;
    document.Header.HasTimeRatio = true;
    return document;
}

} // namespace tavelkor

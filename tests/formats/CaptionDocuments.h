// Generated TimeTag lyrics for the caption formats, and what each of those formats keeps of
// them: the manual's loss table as code.
#pragma once

#include "DocumentGenerator.h"
#include "formats/WordFormats.h"

namespace tavelkor::test {

// TimeTag lyrics: karaoke lines (pauses, an end tag or none, Latin words with blanks, emoji,
// characters that need escaping), lines timed as a whole, a title and an artist. The last line
// always ends with a tag of its own: with none, a format has to make up an end.
inline QString CaptionTimeTag(DocumentGenerator& g) {
    QString text = U("@Title=") + g.Text(8, true) + CrLf;
    if (g.Between(0, 1))
        text += U("@Artist=") + g.Text(8, true) + CrLf;
    const int count = g.Between(1, 12);
    const QVector<int> times = g.IncreasingTimes(count * 8);
    static const QString extras[] = {U("😀"), U("&<>"), U("Love "), U("me "), U("\"x\"")};
    for (int l = 0, next = 0; l < count; ++l) {
        const int tags = g.Between(1, 6);
        for (int t = 0; t < tags; ++t) {
            const int kind = g.Between(0, 9);
            const QString word = t > 0 && kind == 0 ? QString() // a pause
                                 : kind == 1        ? extras[g.Between(0, 4)]
                                                    : g.Text(5, true);
            // Now and then a word sung at the same time as the one before.
            const int time = t > 0 && g.Between(0, 7) == 0 ? times[next - 1] : times[next++];
            text += Tag(time) + word;
        }
        if (l + 1 == count || g.Between(0, 1))
            text += Tag(times[next++]);
        text += CrLf;
    }
    return text;
}

// What a format keeps of timed lyrics: the manual's loss table as code.
inline TimedLyrics Kept(WordFormat format, TimedLyrics lyrics) {
    if (format != WordFormat::Ttml)
        lyrics.Artist.clear();
    if (format == WordFormat::Vtt || format == WordFormat::Srt)
        lyrics.Title.clear();
    for (TimedLine& line : lyrics.Lines) {
        if (format == WordFormat::Srt) {
            line.Words = {{line.Text(), line.StartMs}};
            continue;
        }
        if (format == WordFormat::Ass) { // centiseconds
            auto cs = [](int& ms) { ms = (ms + 5) / 10 * 10; };
            cs(line.StartMs);
            cs(line.EndMs);
            for (TimedWord& word : line.Words)
                cs(word.StartMs);
            while (line.Words.last().Text.endsWith(u' ')) // blanks at a line's end
                line.Words.last().Text.chop(1);
        }
        QVector<TimedWord> words;
        for (qsizetype w = 0; w < line.Words.size(); ++w) {
            const TimedWord& word = line.Words[w];
            if (format == WordFormat::Ttml) {
                // A word is a span up to the next word's start; a pause is only the gap after a
                // span that lasts, before the next span with text starts.
                if (word.Text.isEmpty())
                    continue;
                words.append(word);
                qsizetype next = w + 1;
                while (next < line.Words.size() && line.Words[next].Text.isEmpty())
                    ++next;
                const int end = w + 1 < line.Words.size() ? line.Words[w + 1].StartMs : line.EndMs;
                const int nextStart =
                    next < line.Words.size() ? line.Words[next].StartMs : line.EndMs;
                if (end > word.StartMs && end < nextStart)
                    words.append({QString(), end});
                continue;
            }
            // WebVTT: a timestamp only strictly inside the cue and after the one before.
            if (format == WordFormat::Vtt && !words.isEmpty() &&
                (word.StartMs <= words.last().StartMs || word.StartMs >= line.EndMs))
                words.last().Text += word.Text;
            else
                words.append(word);
        }
        line.Words = words;
    }
    return lyrics;
}

} // namespace tavelkor::test

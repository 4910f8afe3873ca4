// Generated TimeTag lyrics for the caption formats, and what each of those formats keeps of
// them: the manual's loss table as code.
#pragma once

#include "DocumentGenerator.h"
#include "formats/WordFormats.h"

#include <QRegularExpression>

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

// `timeTag` with "@RubyN=base,reading[,start][,end]" lines before it: bases cut from its lines
// (now and then one base twice with two readings), readings of kana and now and then "&<>",
// some valid from a tag's time on or until one.
inline QString WithRuby(DocumentGenerator& g, const QString& timeTag) {
    static const QRegularExpression tag(QStringLiteral("\\[\\d\\d:\\d\\d:\\d\\d\\]"));
    QStringList texts;
    for (const QString& line : timeTag.split(CrLf, Qt::SkipEmptyParts))
        if (!line.startsWith(u'@'))
            texts << QString(line).remove(tag);
    QStringList tags;
    for (auto m = tag.globalMatch(timeTag); m.hasNext();)
        tags << m.next().captured();
    QString header;
    const int count = g.Between(0, 4);
    for (int n = 1, tries = 0; n <= count && tries < 50; ++tries) {
        const QString& text = texts[g.Between(0, int(texts.size()) - 1)];
        if (text.isEmpty())
            continue;
        const int from = g.Between(0, int(text.size()) - 1);
        const QString base = text.mid(from, g.Between(1, 3)).trimmed();
        if (base.isEmpty() || base.contains(u',') || base.front().isLowSurrogate() ||
            base.back().isHighSurrogate())
            continue;
        const QString reading = g.Between(0, 5) == 0 ? U("&<>") : g.Text(4, false).remove(u',');
        QString times;
        if (const int kind = g.Between(0, 3); kind > 0 && !reading.isEmpty())
            times = kind == 1   ? u',' + tags[g.Between(0, int(tags.size()) - 1)]
                    : kind == 2 ? U(",,") + tags[g.Between(0, int(tags.size()) - 1)]
                                : QString();
        if (reading.isEmpty())
            continue;
        header += QStringLiteral("@Ruby%1=").arg(n++) + base + u',' + reading + times + CrLf;
        if (g.Between(0, 3) == 0 && n <= count) // the same base read another way
            header += QStringLiteral("@Ruby%1=").arg(n++) + base + u',' +
                      g.Text(3, false).remove(u',') + CrLf;
    }
    return header + timeTag;
}

// What a format keeps of timed lyrics: the manual's loss table as code.
inline TimedLyrics Kept(WordFormat format, TimedLyrics lyrics, bool assFurigana = false) {
    for (TimedLine& line : lyrics.Lines) {
        QVector<RubySpan> kept;
        QVector<std::pair<qsizetype, qsizetype>> words; // start and end of each word's text
        for (const TimedWord& word : line.Words)
            words.append({words.isEmpty() ? 0 : words.last().second,
                          (words.isEmpty() ? 0 : words.last().second) + word.Text.size()});
        for (const RubySpan& span : line.Ruby) {
            const QString base = line.Text().mid(span.From, span.Length);
            bool keep = format == WordFormat::Vtt;
            if (format == WordFormat::Ttml) {
                // No edge inside a word (without its blanks) that lasts no time.
                keep = true;
                for (qsizetype w = 0; w < line.Words.size(); ++w) {
                    const QString& t = line.Words[w].Text;
                    const int end =
                        w + 1 < line.Words.size() ? line.Words[w + 1].StartMs : line.EndMs;
                    qsizetype from = words[w].first, to = words[w].second;
                    while (from < to && t[from - words[w].first].isSpace())
                        ++from;
                    while (to > from && t[to - 1 - words[w].first].isSpace())
                        --to;
                    for (const qsizetype edge :
                         {qsizetype(span.From), qsizetype(span.From + span.Length)})
                        if (end <= line.Words[w].StartMs && edge > from && edge < to)
                            keep = false;
                }
            }
            if (format == WordFormat::Ass && assFurigana && line.WordTimed) {
                // A syllable that is exactly the base, with no blank in base or reading.
                for (const auto& [from, to] : words)
                    keep = keep || (span.From == from && span.From + span.Length == to);
                keep = keep && !base.contains(u' ') && !span.Reading.contains(u' ') && base != u"#";
            }
            if (keep)
                kept.append({span.From, span.Length, span.Reading, 0});
        }
        line.Ruby = kept;
    }
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
            // WebVTT: a timestamp only strictly inside the cue and after the one before; a word
            // that starts at the cue's end or later turns a millisecond before it.
            TimedWord turned = word;
            if (format == WordFormat::Vtt && !words.isEmpty())
                turned.StartMs = std::min(word.StartMs, line.EndMs - 1);
            if (format == WordFormat::Vtt && !words.isEmpty() &&
                turned.StartMs <= words.last().StartMs)
                words.last().Text += word.Text;
            else
                words.append(turned);
        }
        line.Words = words;
    }
    return lyrics;
}

} // namespace tavelkor::test

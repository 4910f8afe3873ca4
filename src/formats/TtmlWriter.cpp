#include "TtmlWriter.h"

#include "CaptionText.h"

#include <algorithm>

namespace tavelkor {

namespace {

// A TTML2 clock time always has hours ("00:00:01.000"): strict readers (GStreamer's ttmlparse)
// refuse the dialect's "00:01.000".
QString TtmlTime(int ms) { return ClockTime(ms, u'.', 3, 2); }

QString Timed(const char16_t* element, int begin, int end) {
    return QStringLiteral("<%1 begin=\"%2\" end=\"%3\"")
        .arg(QStringView(element), TtmlTime(begin), TtmlTime(end));
}

bool IsBlank(QChar c) { return c.isSpace(); }

struct WordRange {
    qsizetype From = 0;                 // in the line's text
    qsizetype CoreFrom = 0, CoreTo = 0; // the word without its blanks at either end
    int Begin = 0, End = 0;
};

QVector<WordRange> WordRanges(const TimedLine& line) {
    QVector<WordRange> ranges;
    qsizetype at = 0;
    for (qsizetype w = 0; w < line.Words.size(); ++w) {
        const QString& t = line.Words[w].Text;
        qsizetype first = 0;
        qsizetype last = t.size();
        while (first < last && IsBlank(t[first]))
            ++first;
        while (last > first && IsBlank(t[last - 1]))
            --last;
        const int end = w + 1 < line.Words.size() ? line.Words[w + 1].StartMs : line.EndMs;
        ranges.append({at, at + first, at + last, line.Words[w].StartMs, end});
        at += t.size();
    }
    return ranges;
}

// The word whose core holds the character at `at`, or -1.
qsizetype WordAt(const QVector<WordRange>& words, qsizetype at) {
    for (qsizetype w = 0; w < words.size(); ++w) {
        if (at >= words[w].CoreFrom && at < words[w].CoreTo)
            return w;
    }
    return -1;
}

// A reading's edge cuts a word into pieces of the same time, which a reader joins again; a
// word that lasts no time cannot be told from two words, so no edge may cut one.
bool CutsInstantWord(const QVector<WordRange>& words, qsizetype edge) {
    for (const WordRange& word : words) {
        if (edge > word.CoreFrom && edge < word.CoreTo && word.End <= word.Begin)
            return true;
    }
    return false;
}

// A line's words as spans (with `timed`) and its readings as TTML2 ruby containers of a base
// and a text (TTML2 pairs a base with a text, a base container with a text container): the
// base holds the timed pieces of the words it covers, so every word keeps its time, and the
// text carries the base's time.
QString LineContent(const TimedLine& line, bool timed) {
    const QVector<WordRange> words = WordRanges(line);
    const QString all = line.Text();
    QVector<RubySpan> ruby;
    for (const RubySpan& span : line.Ruby) {
        const qsizetype end = span.From + span.Length;
        if (span.Length > 0 && end <= all.size() && !CutsInstantWord(words, span.From) &&
            !CutsInstantWord(words, end) &&
            (ruby.isEmpty() || ruby.last().From + ruby.last().Length <= span.From))
            ruby.append(span);
    }
    // Every place where a piece ends: a word's start, its core's ends, a reading's ends.
    QVector<qsizetype> edges{all.size()};
    for (const WordRange& word : words)
        edges << word.From << word.CoreFrom << word.CoreTo;
    for (const RubySpan& span : ruby)
        edges << span.From << span.From + span.Length;
    std::sort(edges.begin(), edges.end());
    QString text;
    qsizetype next = 0; // the next reading
    qsizetype w = 0;    // the word at or after the piece
    qsizetype at = 0;
    for (const qsizetype to : edges) {
        if (to <= at)
            continue;
        if (next < ruby.size() && ruby[next].From == at)
            text += QStringLiteral("<span tts:ruby=\"container\"><span tts:ruby=\"base\">");
        while (w < words.size() && words[w].CoreTo <= at)
            ++w;
        const bool core = w < words.size() && words[w].CoreFrom <= at;
        const QString piece = XmlEscaped(all.mid(at, to - at));
        if (core && timed)
            text += Timed(u"span", words[w].Begin, words[w].End) + u'>' + piece +
                    QStringLiteral("</span>");
        else
            text += piece;
        at = to;
        if (next < ruby.size() && ruby[next].From + ruby[next].Length == at) {
            const RubySpan& span = ruby[next++];
            const qsizetype first = std::max<qsizetype>(0, WordAt(words, span.From));
            const qsizetype last = std::max(first, WordAt(words, span.From + span.Length - 1));
            text += QStringLiteral("</span>");
            text += Timed(u"span", words.isEmpty() ? line.StartMs : words[first].Begin,
                          words.isEmpty() ? line.EndMs : words[last].End);
            text += QStringLiteral(" tts:ruby=\"text\">") + XmlEscaped(span.Reading) +
                    QStringLiteral("</span></span>");
        }
    }
    return text;
}

} // namespace

QString XmlEscaped(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // XML holds no lone surrogate and no U+FFFE or U+FFFF: each becomes U+FFFD.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            escaped += c;
            escaped += text[++i];
            continue;
        }
        if (c.isSurrogate() || c.unicode() >= 0xfffe) {
            escaped += QChar(QChar::ReplacementCharacter);
            continue;
        }
        switch (c.unicode()) {
        case u'&':
            escaped += QStringLiteral("&amp;");
            break;
        case u'<':
            escaped += QStringLiteral("&lt;");
            break;
        case u'>':
            escaped += QStringLiteral("&gt;");
            break;
        case u'"':
            escaped += QStringLiteral("&quot;");
            break;
        default:
            // XML 1.0 has no place for control characters other than tab and line ends.
            if (c.unicode() >= 0x20 || c == u'\t')
                escaped += c;
            else
                escaped += u' ';
        }
    }
    return escaped;
}

QString MakeTtmlText(const TimedLyrics& lyrics, const QString& language) {
    bool wordTimed = false;
    for (const TimedLine& line : lyrics.Lines)
        wordTimed = wordTimed || line.WordTimed;
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                  "<tt xmlns=\"http://www.w3.org/ns/ttml\" "
                                  "xmlns:ttm=\"http://www.w3.org/ns/ttml#metadata\" "
                                  "xmlns:tts=\"http://www.w3.org/ns/ttml#styling\" "
                                  "xmlns:itunes=\"http://music.apple.com/lyric-ttml-internal\" "
                                  "xmlns:amll=\"http://www.example.com/ns/amll\" ");
    text += QStringLiteral("itunes:timing=\"%1\" xml:lang=\"%2\">\r\n")
                .arg(wordTimed ? QStringLiteral("Word") : QStringLiteral("Line"),
                     XmlEscaped(language.trimmed().isEmpty() ? QStringLiteral("ja")
                                                             : language.trimmed()));
    text += QStringLiteral("<head>\r\n<metadata>\r\n");
    text += QStringLiteral("<ttm:agent type=\"person\" xml:id=\"v1\">");
    if (!lyrics.Artist.isEmpty())
        text += QStringLiteral("<ttm:name type=\"full\">") + XmlEscaped(lyrics.Artist) +
                QStringLiteral("</ttm:name>");
    text += QStringLiteral("</ttm:agent>\r\n");
    if (!lyrics.Title.isEmpty()) {
        text += QStringLiteral("<ttm:title>") + XmlEscaped(lyrics.Title) +
                QStringLiteral("</ttm:title>\r\n");
        text += QStringLiteral("<amll:meta key=\"musicName\" value=\"") + XmlEscaped(lyrics.Title) +
                QStringLiteral("\"/>\r\n");
    }
    if (!lyrics.Artist.isEmpty())
        text += QStringLiteral("<amll:meta key=\"artists\" value=\"") + XmlEscaped(lyrics.Artist) +
                QStringLiteral("\"/>\r\n");
    text += QStringLiteral("</metadata>\r\n");
    // A region for the lines, at the foot of the picture: renderers that follow TTML's layout
    // (GStreamer's ttmlparse) show nothing outside a region.
    text += QStringLiteral("<layout><region xml:id=\"lyrics\" tts:displayAlign=\"after\" "
                           "tts:textAlign=\"center\"/></layout>\r\n</head>\r\n");
    const int songEnd = lyrics.Lines.isEmpty() ? 0 : lyrics.Lines.last().EndMs;
    text +=
        QStringLiteral("<body region=\"lyrics\" dur=\"%1\">\r\n<div>\r\n").arg(TtmlTime(songEnd));
    int key = 0;
    for (const TimedLine& line : lyrics.Lines) {
        text += Timed(u"p", line.StartMs, line.EndMs);
        text += QStringLiteral(" itunes:key=\"L%1\" ttm:agent=\"v1\">").arg(++key);
        text += LineContent(line, wordTimed || !line.Ruby.isEmpty());
        text += QStringLiteral("</p>\r\n");
    }
    text += QStringLiteral("</div>\r\n</body>\r\n</tt>\r\n");
    return text;
}

} // namespace tavelkor

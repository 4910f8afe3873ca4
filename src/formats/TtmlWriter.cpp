#include "TtmlWriter.h"

#include "CaptionText.h"

namespace tavelkor {

namespace {

QString TtmlTime(int ms) { return ClockTime(ms, u'.', 3, 0); }

QString Timed(const char16_t* element, int begin, int end) {
    return QStringLiteral("<%1 begin=\"%2\" end=\"%3\"")
        .arg(QStringView(element), TtmlTime(begin), TtmlTime(end));
}

bool IsBlank(QChar c) { return c.isSpace(); }

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
    text += QStringLiteral("</metadata>\r\n</head>\r\n");
    const int songEnd = lyrics.Lines.isEmpty() ? 0 : lyrics.Lines.last().EndMs;
    text += QStringLiteral("<body dur=\"%1\">\r\n<div>\r\n").arg(TtmlTime(songEnd));
    int key = 0;
    for (const TimedLine& line : lyrics.Lines) {
        text += Timed(u"p", line.StartMs, line.EndMs);
        text += QStringLiteral(" itunes:key=\"L%1\" ttm:agent=\"v1\">").arg(++key);
        // The text of a word goes in its span; its blanks stand beside it. A pause (no text)
        // leaves a gap: the span before it ends where it starts.
        for (qsizetype w = 0; w < line.Words.size(); ++w) {
            const TimedWord& word = line.Words[w];
            const QString& t = word.Text;
            qsizetype first = 0;
            qsizetype last = t.size();
            while (first < last && IsBlank(t[first]))
                ++first;
            while (last > first && IsBlank(t[last - 1]))
                --last;
            text += XmlEscaped(t.left(first));
            if (last > first) {
                const int end = w + 1 < line.Words.size() ? line.Words[w + 1].StartMs : line.EndMs;
                if (wordTimed)
                    text += Timed(u"span", word.StartMs, end) + u'>';
                text += XmlEscaped(t.mid(first, last - first));
                if (wordTimed)
                    text += QStringLiteral("</span>");
            }
            text += XmlEscaped(t.mid(last));
        }
        text += QStringLiteral("</p>\r\n");
    }
    text += QStringLiteral("</div>\r\n</body>\r\n</tt>\r\n");
    return text;
}

} // namespace tavelkor

#include "VttWriter.h"

#include "CaptionText.h"

#include <algorithm>

namespace tavelkor {

namespace {

QString VttTime(int ms) { return ClockTime(ms, u'.', 3, 0); }

QString CssColour(const QString& text, const char16_t* fallback) {
    return ParseHexColour(text) ? text.trimmed() : QString::fromUtf16(fallback);
}

QString VttEscaped(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'&')
            escaped += QStringLiteral("&amp;");
        else if (c == u'<')
            escaped += QStringLiteral("&lt;");
        else if (c == u'>')
            escaped += QStringLiteral("&gt;");
        else if (c == u'\n' || c == u'\r')
            escaped += u' '; // a line break inside a cue could end it
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

QString MakeVttText(const TimedLyrics& lyrics, const QString& sungColour,
                    const QString& unsungColour) {
    QString text = QStringLiteral("WEBVTT\r\n");
    if (!sungColour.isEmpty()) {
        text += QStringLiteral("\r\nSTYLE\r\n::cue(:past) { color: %1; }\r\n")
                    .arg(CssColour(sungColour, u"#FFFF00"));
        text += QStringLiteral("::cue(:future) { color: %1; }\r\n")
                    .arg(CssColour(unsungColour, u"#C0C0C0"));
    }
    int number = 0;
    for (const TimedLine& line : lyrics.Lines) {
        text += CrLf;
        text += QString::number(++number) + CrLf;
        text += VttTime(line.StartMs) + QStringLiteral(" --> ") + VttTime(line.EndMs) + CrLf;
        // A reading is "<ruby>base<rt>reading</rt></ruby>"; a word starting inside a base keeps
        // its timestamp there.
        int last = line.StartMs;
        qsizetype at = 0;   // in the line's text
        qsizetype next = 0; // the next reading
        const QVector<RubySpan>& ruby = line.Ruby;
        auto closeRuby = [&] {
            if (next < ruby.size() && ruby[next].From + ruby[next].Length == at) {
                text += QStringLiteral("<rt>") + VttEscaped(ruby[next].Reading) +
                        QStringLiteral("</rt></ruby>");
                ++next;
            }
        };
        for (qsizetype w = 0; w < line.Words.size(); ++w) {
            const TimedWord& word = line.Words[w];
            closeRuby();
            // A timestamp must come before the cue's end: a word that starts there (an untimed
            // rest, sung by no one) turns a millisecond before, not with the word before it.
            const int starts = std::min(word.StartMs, line.EndMs - 1);
            if (w > 0 && line.WordTimed && starts > last) {
                text += u'<' + VttTime(starts) + u'>';
                last = starts;
            }
            for (qsizetype c = 0; c < word.Text.size();) {
                closeRuby();
                if (next < ruby.size() && ruby[next].From == at)
                    text += QStringLiteral("<ruby>");
                // Up to the next edge of a reading or the word's end.
                qsizetype to = word.Text.size();
                if (next < ruby.size()) {
                    for (const qsizetype edge : {qsizetype(ruby[next].From),
                                                 qsizetype(ruby[next].From + ruby[next].Length)})
                        if (edge > at && edge - at < to - c)
                            to = c + edge - at;
                }
                // Browsers give ::cue(:past) and ::cue(:future) to elements only: bare text
                // between two timestamps keeps the cue's colour, so every piece is a <c>.
                text += QStringLiteral("<c>") + VttEscaped(word.Text.mid(c, to - c)) +
                        QStringLiteral("</c>");
                at += to - c;
                c = to;
            }
        }
        closeRuby();
        text += CrLf;
    }
    return text;
}

} // namespace tavelkor

#include "VttWriter.h"

#include "CaptionText.h"

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
        int last = line.StartMs;
        for (qsizetype w = 0; w < line.Words.size(); ++w) {
            const TimedWord& word = line.Words[w];
            if (w > 0 && line.WordTimed && word.StartMs > last && word.StartMs < line.EndMs) {
                text += u'<' + VttTime(word.StartMs) + u'>';
                last = word.StartMs;
            }
            text += VttEscaped(word.Text);
        }
        text += CrLf;
    }
    return text;
}

} // namespace tavelkor

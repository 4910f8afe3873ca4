#include "AssWriter.h"

#include "AssWrap.h"
#include "CaptionText.h"

#include <algorithm>

namespace tavelkor {

namespace {

qint64 Centiseconds(int ms) { return (qint64(ms) + 5) / 10; }

QString AssTime(qint64 cs) { return ClockTime(cs * 10, u'.', 2, 1); }

// "&H00BBGGRR", the ASS form of an opaque colour; `fallback` when the text is no "#RRGGBB".
QString AssColour(const QString& text, const QString& fallback) {
    const auto rgb = ParseHexColour(text);
    if (!rgb)
        return AssColour(fallback, QStringLiteral("#FFFFFF"));
    return QStringLiteral("&H00%1%2%3")
        .arg((*rgb)[2], 2, 16, QChar(u'0'))
        .arg((*rgb)[1], 2, 16, QChar(u'0'))
        .arg((*rgb)[0], 2, 16, QChar(u'0'))
        .toUpper();
}

QString AssEscaped(QString text) {
    text.replace(u'{', u'｛');
    text.replace(u'}', u'｝');
    text.replace(u'\\', u'＼');
    return text;
}

QString OneLine(QString text) {
    text.replace(u'\n', u' ');
    text.replace(u'\r', u' ');
    return text;
}

} // namespace

QString MakeAssText(const TimedLyrics& lyrics, const AssWriteOptions& options) {
    const int shown = std::clamp(options.Lines, 1, 4);
    const int size = std::clamp(options.FontSize, 8, 400);
    const QString tag = options.Karaoke == u"k" || options.Karaoke == u"ko" ? options.Karaoke
                                                                            : QStringLiteral("kf");
    QString text = QStringLiteral("[Script Info]\r\n");
    if (!lyrics.Title.isEmpty())
        text += QStringLiteral("Title: ") + OneLine(lyrics.Title) + CrLf;
    text += QStringLiteral("ScriptType: v4.00+\r\n"
                           "WrapStyle: 0\r\n"
                           "ScaledBorderAndShadow: yes\r\n"
                           "YCbCr Matrix: None\r\n"
                           "PlayResX: 1920\r\n"
                           "PlayResY: 1080\r\n\r\n");
    text += QStringLiteral("[V4+ Styles]\r\n"
                           "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
                           "OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, "
                           "ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, "
                           "Alignment, MarginL, MarginR, MarginV, Encoding\r\n");
    text += QStringLiteral("Style: Lyrics,%1,%2,%3,%4,&H00000000,&H80000000,0,0,0,0,100,100,0,0,"
                           "1,3,0,2,60,60,60,1\r\n\r\n")
                .arg(OneLine(options.Font).replace(u',', u' '))
                .arg(size)
                .arg(AssColour(options.SungColour, QStringLiteral("#FFFF00")),
                     AssColour(options.UnsungColour, QStringLiteral("#C0C0C0")));
    text += QStringLiteral("[Events]\r\n"
                           "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
                           "Effect, Text\r\n");
    const int lineHeight = size * 6 / 5;
    // The width between the style's margins, where a long line breaks into rows.
    constexpr int rowWidth = 1920 - 2 * 60;
    for (qsizetype i = 0; i < lyrics.Lines.size(); ++i) {
        const TimedLine& line = lyrics.Lines[i];
        const int slot = int(i % shown);
        const int ahead = int(std::max<qsizetype>(0, i - (shown - 1)));
        const qint64 start = Centiseconds(std::min(line.StartMs, lyrics.Lines[ahead].StartMs));
        const qint64 end = std::max(start, Centiseconds(line.EndMs));
        text += QStringLiteral("Dialogue: %1,%2,%3,Lyrics,,0,0,%4,,")
                    .arg(slot)
                    .arg(AssTime(start), AssTime(end))
                    .arg(60 + (shown - 1 - slot) * lineHeight);
        // A line timed as a whole is its plain text, unless it shows ahead of its time: then it
        // waits in the unsung colour and turns at once when its time comes.
        const bool waits = Centiseconds(line.Words.first().StartMs) > start;
        if (!line.WordTimed && !waits) {
            // A "|" of the lyrics would read as a reading's mark (karaoke templates, our reader).
            const QString plain = AssEscaped(OneLine(line.Text())).replace(u'|', u'｜');
            text += WrappedAssText(plain, size, rowWidth);
            text += CrLf;
            continue;
        }
        // Each word runs from its start to the next one's; the boundaries are rounded once,
        // so the durations add up to the Dialogue's time without drift.
        // The furigana syntax of karaoke templates: a syllable that is a reading's whole base.
        auto syllable = [&](qsizetype from, const QString& words) {
            const QString written = AssEscaped(OneLine(words)).replace(u'|', u'｜');
            if (!options.Furigana)
                return written;
            auto blank = [](const QString& s) {
                return std::any_of(s.begin(), s.end(), [](QChar c) { return c.isSpace(); });
            };
            for (const RubySpan& span : line.Ruby) {
                // What a reader takes back (AssFurigana.h): no blank, not the mark "#".
                if (span.From == from && span.Length == words.size() && !words.isEmpty() &&
                    !blank(words) && !blank(span.Reading) && words != u"#")
                    return written + u'|' + AssEscaped(OneLine(span.Reading)).replace(u'|', u'｜');
            }
            return written;
        };
        qsizetype offset = 0; // of the word in the line's text
        qint64 at = start;
        const qsizetype body = text.size(); // where the Dialogue's text starts
        auto karaoke = [&](qint64 until, const QString& name, const QString& words) {
            const qint64 boundary = std::clamp(until, at, end);
            text += QStringLiteral("{\\%1%2}").arg(name).arg(boundary - at);
            text += words;
            at = boundary;
        };
        const qint64 firstWord = Centiseconds(line.Words.first().StartMs);
        if (firstWord > start)
            karaoke(firstWord, QStringLiteral("k"), QString());
        for (qsizetype w = 0; w < line.Words.size(); ++w) {
            const TimedWord& word = line.Words[w];
            const qint64 until =
                w + 1 < line.Words.size() ? Centiseconds(line.Words[w + 1].StartMs) : end;
            karaoke(until, word.Text.isEmpty() || !line.WordTimed ? QStringLiteral("k") : tag,
                    syllable(offset, word.Text));
            offset += word.Text.size();
        }
        text.replace(body, text.size() - body, WrappedAssText(text.mid(body), size, rowWidth));
        text += CrLf;
    }
    return text;
}

} // namespace tavelkor

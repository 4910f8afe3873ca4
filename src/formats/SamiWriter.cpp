#include "SamiWriter.h"

#include "../base/TextSink.h"
#include "../lyrics/DisplayLines.h"
#include "../lyrics/Ruby.h"

#include <QStringList>
#include <algorithm>
#include <charconv>
#include <utility>

namespace tavelkor {

namespace {

// Appends the escaped text; an empty text stands as "&nbsp;" when `emptyAsSpace` is set.
void AppendEscaped(TextSink& out, QStringView text, bool emptyAsSpace) {
    if (text.isEmpty()) {
        if (emptyAsSpace)
            out.Append(u"&nbsp;");
        return;
    }
    // Room for the longest escape ("&nbsp;", six characters) of every character.
    out.Reserve(text.size() * 6);
    for (const QChar c : text) {
        // Every escaped character ('<', '>', ' ') is at most '>'; most characters are above.
        if (c.unicode() > u'>') {
            out.AppendReserved(c.unicode());
            continue;
        }
        const char16_t* escape = c == u'<'   ? u"&lt;"
                                 : c == u'>' ? u"&gt;"
                                 : c == u' ' ? u"&nbsp;"
                                             : nullptr;
        if (escape == nullptr) {
            out.AppendReserved(c.unicode());
            continue;
        }
        while (*escape != 0)
            out.AppendReserved(*escape++);
    }
}

// The escaped text, the readings of `spans` (over the line from which `text` starts at
// `offset`) that lie wholly in it as <RUBY> elements.
void AppendWithRuby(TextSink& out, QStringView text, qsizetype offset,
                    const QVector<RubySpan>& spans, bool emptyAsSpace) {
    qsizetype at = 0;
    for (const RubySpan& span : spans) {
        const qsizetype from = span.From - offset;
        if (from < at || from + span.Length > text.size())
            continue;
        AppendEscaped(out, text.mid(at, from - at), false);
        out.Append(u"<RUBY>");
        AppendEscaped(out, text.mid(from, span.Length), false);
        out.Append(u"<RT>");
        AppendEscaped(out, span.Reading, false);
        out.Append(u"</RT></RUBY>");
        at = from + span.Length;
    }
    AppendEscaped(out, text.mid(at), emptyAsSpace && text.isEmpty());
}

} // namespace

QString EscapeSamiText(const QString& text) {
    if (text.isEmpty())
        return QString();
    QString out;
    TextSink sink(out, text.size());
    AppendEscaped(sink, text, false);
    sink.Finish();
    return out;
}

QString MakeSamiText(LyricsDocument& document, bool karaoke, const QString& baseStyle,
                     const std::array<QString, 4>& karaokeHtml, int lines, bool ruby) {
    if (document.LineCount() == 0)
        return QString();

    // Only three following lines exist for the extra rows.
    const int extraRows = lines < 1 ? 0 : (lines > 4 ? 3 : lines - 1);

    QString out;
    auto line = [&out](QStringView text) {
        out += text;
        out += CrLf;
    };
    line(u"<SAMI>");
    line(u"<HEAD>");
    line(u"<Title></Title>");
    line(u"<STYLE TYPE=\"text/css\">");
    line(u"<!--");
    line(QStringLiteral("P {") + baseStyle + QStringLiteral("} .LyricsCC"));
    line(u"-->");
    line(u"</STYLE></HEAD>");
    line(u"<BODY>");
    line(u"<!-- Converted from TimeTag lyrics by Tavelkor -->");

    // Room for the whole display, reserved once: every step repeats its line's text and the
    // following lines' texts with the markup around them; escapes may take a little more.
    FillFollowingTexts(document, extraRows);
    qsizetype markup = 48 + 8 * extraRows;
    if (karaoke) {
        for (const QString& html : karaokeHtml)
            markup += html.size();
    }
    qsizetype size = out.size() + 32;
    for (const LyricsLine& source : std::as_const(document.Lines)) {
        qsizetype shown = source.PlainText.size();
        for (int slot = 0; slot < extraRows; ++slot)
            shown += source.FollowingTexts[slot].size();
        const int steps = karaoke && source.HasTimeTag ? std::max(1, source.FragmentCount()) : 1;
        size += steps * (markup + shown);
    }
    TextSink sink(out, size + size / 8);
    // The markup around a step's texts, joined once for all steps.
    const QString opening =
        QStringLiteral(">\r\n<P Class=LyricsCC>") + (karaoke ? karaokeHtml[0] : QString());
    const QString between = karaokeHtml[1] + karaokeHtml[2];
    const QString closing = (karaoke ? karaokeHtml[3] : QString()) + CrLf;
    int lastStart = -1;
    ForEachDisplayLine(document, karaoke, [&](const DisplayLine& lyric) {
        if (lyric.Source.IsDirective || !lyric.Timed)
            return;
        if (lyric.TimeMs <= lastStart)
            return;
        lastStart = lyric.TimeMs;
        char digits[16];
        const auto written = std::to_chars(digits, digits + sizeof digits, lyric.TimeMs);
        sink.Reserve(32 + opening.size() + between.size() + closing.size());
        sink.AppendReserved(u"<SYNC Start=");
        for (const char* digit = digits; digit != written.ptr; ++digit)
            sink.AppendReserved(char16_t(*digit));
        sink.AppendReserved(opening);
        // The readings, where the step's texts are the line's own text cut in two.
        QVector<RubySpan> spans;
        const LyricsLine& source = lyric.Source;
        if (ruby && source.FragmentCount() > 0 &&
            lyric.Text.constData() == source.PlainText.constData())
            spans = RubyFor(document, int(&source - document.Lines.constData()),
                            source.Fragments[1].TimeMs);
        if (!spans.isEmpty()) {
            AppendWithRuby(sink, lyric.Text, 0, spans, karaoke ? lyric.Unsung.isEmpty() : true);
            if (karaoke) {
                sink.Append(between);
                AppendWithRuby(sink, lyric.Unsung, lyric.Text.size(), spans, false);
            }
        } else if (karaoke) {
            AppendEscaped(sink, lyric.Text, lyric.Unsung.isEmpty());
            sink.Append(between);
            AppendEscaped(sink, lyric.Unsung, false);
        } else {
            AppendEscaped(sink, lyric.Text, true);
        }
        sink.Append(closing);
        for (int slot = 0; slot < extraRows; ++slot) {
            sink.Append(u"<BR>");
            AppendEscaped(sink, lyric.Source.FollowingTexts[slot], true);
            sink.Append(CrLf);
        }
    }, extraRows);
    sink.Finish();
    line(u"</BODY>");
    line(u"</SAMI>");
    return out;
}

} // namespace tavelkor

#include "SamiWriter.h"

#include "../lyrics/DisplayLines.h"

#include <QStringList>
#include <charconv>

namespace tavelkor {

namespace {

const QString Nbsp = QStringLiteral("&nbsp;");

} // namespace

namespace {

// Appends the escaped text; an empty text stands as "&nbsp;" when `emptyAsSpace` is set.
void AppendEscaped(QString& out, QStringView text, bool emptyAsSpace) {
    if (text.isEmpty() && emptyAsSpace) {
        out += Nbsp;
        return;
    }
    qsizetype copied = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'<' && c != u'>' && c != u' ')
            continue;
        out += text.mid(copied, i - copied);
        out += c == u'<'   ? QStringView(u"&lt;")
               : c == u'>' ? QStringView(u"&gt;")
                           : QStringView(Nbsp);
        copied = i + 1;
    }
    out += text.mid(copied);
}

} // namespace

QString EscapeSamiText(const QString& text) {
    QString out;
    AppendEscaped(out, text, false);
    return out;
}

QString MakeSamiText(LyricsDocument& document, bool karaoke, const QString& baseStyle,
                     const std::array<QString, 4>& karaokeHtml, int lines) {
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

    out.reserve(out.size() + document.Lines.size() * (96 + 16 * extraRows));
    int lastStart = -1;
    ForEachDisplayLine(document, karaoke, [&](const DisplayLine& lyric) {
        if (lyric.Source.IsDirective || !lyric.Timed)
            return;
        if (lyric.TimeMs <= lastStart)
            return;
        lastStart = lyric.TimeMs;
        char digits[16];
        const auto written = std::to_chars(digits, digits + sizeof digits, lyric.TimeMs);
        out += u"<SYNC Start=";
        out += QLatin1StringView(digits, written.ptr - digits);
        out += u">\r\n<P Class=LyricsCC>";
        if (karaoke) {
            out += karaokeHtml[0];
            AppendEscaped(out, lyric.Text, lyric.Unsung.isEmpty());
            out += karaokeHtml[1];
            out += karaokeHtml[2];
            AppendEscaped(out, lyric.Unsung, false);
            out += karaokeHtml[3];
        } else {
            AppendEscaped(out, lyric.Text, true);
        }
        out += CrLf;
        for (int slot = 0; slot < extraRows; ++slot) {
            out += u"<BR>";
            AppendEscaped(out, lyric.Source.FollowingTexts[slot], true);
            out += CrLf;
        }
    });
    line(u"</BODY>");
    line(u"</SAMI>");
    return out;
}

} // namespace tavelkor

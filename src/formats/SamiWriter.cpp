#include "SamiWriter.h"

#include "../lyrics/Adjustments.h"

#include <QStringList>

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
        out += c == u'<' ? QStringView(u"&lt;") : c == u'>' ? QStringView(u"&gt;") : QStringView(Nbsp);
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

    QStringList unsung;
    LyricsDocument expanded;
    if (karaoke)
        expanded = MakePseudoKaraoke(document, unsung);
    else
        FillFollowingTexts(document);
    const LyricsDocument& walked = karaoke ? expanded : document;
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

    out.reserve(out.size() + walked.Lines.size() * (64 + 16 * extraRows));
    int lastStart = -1;
    for (qsizetype j = 0; j < walked.Lines.size(); ++j) {
        const LyricsLine& lyric = walked.Lines[j];
        if (lyric.IsDirective || !lyric.HasTimeTag)
            continue;
        const int start = lyric.Fragments[0].TimeMs;
        if (start <= lastStart)
            continue;
        lastStart = start;
        out += u"<SYNC Start=";
        out += QString::number(start);
        out += u">\r\n<P Class=LyricsCC>";
        if (karaoke) {
            const QString& right = unsung.value(j);
            out += karaokeHtml[0];
            AppendEscaped(out, lyric.PlainText, right.isEmpty());
            out += karaokeHtml[1];
            out += karaokeHtml[2];
            AppendEscaped(out, right, false);
            out += karaokeHtml[3];
        } else {
            AppendEscaped(out, lyric.PlainText, true);
        }
        out += CrLf;
        for (int slot = 0; slot < extraRows; ++slot) {
            out += u"<BR>";
            AppendEscaped(out, lyric.FollowingTexts[slot], true);
            out += CrLf;
        }
    }
    line(u"</BODY>");
    line(u"</SAMI>");
    return out;
}

} // namespace tavelkor

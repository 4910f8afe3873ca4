#include "SamiWriter.h"

#include "../lyrics/Adjustments.h"

#include <QStringList>

namespace tavelkor {

namespace {

const QString Nbsp = QStringLiteral("&nbsp;");

QString OrNbsp(const QString& text) { return text.isEmpty() ? Nbsp : text; }

} // namespace

QString EscapeSamiText(const QString& text) {
    QString out;
    out.reserve(text.size() + 16);
    for (const QChar c : text) {
        if (c == u'<')
            out += u"&lt;";
        else if (c == u'>')
            out += u"&gt;";
        else if (c == u' ')
            out += Nbsp;
        else
            out += c;
    }
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

    int lastStart = -1;
    for (qsizetype j = 0; j < walked.Lines.size(); ++j) {
        const LyricsLine& lyric = walked.Lines[j];
        if (lyric.IsDirective || !lyric.HasTimeTag)
            continue;
        const int start = lyric.Fragments[0].TimeMs;
        if (start <= lastStart)
            continue;
        lastStart = start;
        line(QStringLiteral("<SYNC Start=") + QString::number(start) + u'>');
        QString row = QStringLiteral("<P Class=LyricsCC>");
        if (karaoke) {
            const QString& right = unsung.value(j);
            const QString left =
                lyric.PlainText.isEmpty() && right.isEmpty() ? Nbsp : lyric.PlainText;
            row += karaokeHtml[0] + EscapeSamiText(left) + karaokeHtml[1] + karaokeHtml[2] +
                   EscapeSamiText(right) + karaokeHtml[3];
        } else {
            row += EscapeSamiText(OrNbsp(lyric.PlainText));
        }
        line(row);
        for (int slot = 0; slot < extraRows; ++slot)
            line(QStringLiteral("<BR>") + EscapeSamiText(OrNbsp(lyric.FollowingTexts[slot])));
    }
    line(u"</BODY>");
    line(u"</SAMI>");
    return out;
}

} // namespace tavelkor

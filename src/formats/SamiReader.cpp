#include "SamiReader.h"

#include "../lyrics/TextRules.h"
#include "../lyrics/TimeTagWriter.h"
#include "../lyrics/TimeValues.h"
#include "SamiRuby.h"

namespace tavelkor {

QString TrimLeadingBlanks(QStringView s) {
    qsizetype at = 0;
    while (at < s.size() && (s[at] == u' ' || s[at] == u'\t'))
        ++at;
    return s.mid(at).toString();
}

QString SplitLeadingTag(const QString& s, QString& tagInner, bool& found) {
    found = false;
    if (!s.startsWith(u'<'))
        return s;
    const qsizetype close = s.indexOf(u'>');
    if (close < 0)
        return s;
    tagInner = s.mid(1, close - 1);
    found = true;
    return s.mid(close + 1);
}

bool ParseSyncLine(const QString& line, int& startMs, QString& rest) {
    startMs = 0;
    QString inner;
    bool found = false;
    const QString after = SplitLeadingTag(TrimLeadingBlanks(line), inner, found);
    if (!found || inner.size() <= 10 || inner.left(11).toLower() != u"sync start=")
        return false;
    const auto value = ParseInt32(inner.mid(11));
    if (!value)
        return false;
    startMs = *value;
    rest = after;
    return true;
}

int ParseCaptionLine(const QString& line, QString& text, QString& rest) {
    const QString trimmed = TrimLeadingBlanks(line);
    QString inner;
    bool found = false;
    QString remainder = SplitLeadingTag(trimmed, inner, found);
    rest.clear();
    if (!found || inner.isEmpty() || inner[0].toLower() != u'p') {
        text = trimmed;
        return 0;
    }
    // Removes the tags that follow one another at the start, as SplitLeadingTag would one by
    // one, in a single pass (a line of thousands of tags stays quick).
    auto stripLeadingTags = [](const QString& s) {
        qsizetype at = 0;
        while (at < s.size() && s[at] == u'<') {
            const qsizetype close = s.indexOf(u'>', at);
            if (close < 0)
                break;
            at = close + 1;
        }
        return s.mid(at);
    };
    remainder = stripLeadingTags(remainder);
    const qsizetype open = remainder.indexOf(u'<');
    if (open >= 0 && remainder.indexOf(u'>', open + 1) >= 0) {
        text = remainder.left(open);
        QString after = stripLeadingTags(remainder.mid(open));
        const qsizetype cut = after.indexOf(u'<');
        rest = cut < 0 ? after : after.left(cut);
        return 2;
    }
    text = remainder;
    return 1;
}

QString DecodeSamiEntities(const QString& s) {
    QString out = s;
    out.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    out.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    out.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    out.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return out;
}

LyricsDocument ReadSamiText(const QString& text) {
    LyricsDocument document;
    // Files saved on Unix or classic Mac OS end their lines with LF or CR; every form counts
    // as a line break, so such a file is not read as one long line without captions.
    const QString unified = UnifyLineEnds(text);
    const QList<QStringView> lines = SplitAtCrLf(unified);
    QVector<ShownReading> readings;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        int startMs = 0;
        QString rest;
        if (!ParseSyncLine(lines[i].toString(), startMs, rest))
            continue;
        if (i + 1 >= lines.size())
            break;
        ++i; // the scan resumes after the caption line, whatever it holds
        QString caption;
        QString captionRest;
        if (ParseCaptionLine(TakeSamiRuby(lines[i].toString(), startMs, readings), caption,
                             captionRest) == 0)
            continue;
        LyricsLine lyric;
        lyric.HasTimeTag = true;
        lyric.PlainText = DecodeSamiEntities(caption);
        const QString tag = MsToTag(startMs);
        lyric.Fragments = {KaraokeFragment{tag, startMs, QString()},
                           KaraokeFragment{tag, startMs, lyric.PlainText}};
        document.Lines.append(lyric);
    }
    if (!document.Lines.isEmpty()) {
        document.HasTimeTags = true;
        document.Header.TimeRatio = 1;
        document.Header.HasTimeRatio = true;
        document.Header.Ruby = RubyEntriesOfShownReadings(readings);
        ComposeLyricsText(document);
    }
    return document;
}

} // namespace tavelkor

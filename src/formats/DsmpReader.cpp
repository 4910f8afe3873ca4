#include "DsmpReader.h"

#include "../lyrics/TextRules.h"
#include "../lyrics/TimeTagWriter.h"
#include "../lyrics/TimeValues.h"

#include <QSet>

namespace tavelkor {

namespace {

bool IsDroppedKey(const QString& key) {
    static const QSet<QString> keys = {
        QStringLiteral("lyrics"),  QStringLiteral("music"),     QStringLiteral("comment"),
        QStringLiteral("version"), QStringLiteral("size"),      QStringLiteral("font"),
        QStringLiteral("color"),   QStringLiteral("alignment"), QStringLiteral("wordwrap"),
        QStringLiteral("[spec]"),  QStringLiteral("[text]")};
    return keys.contains(key);
}

// Applies a key line to the header; false when the body is a lyric line.
bool ReadKeyLine(const QString& body, LyricsHeader& header) {
    const qsizetype equals = body.indexOf(u'=');
    const QString key =
        TrimSpaces(equals < 0 ? QStringView(body) : QStringView(body).left(equals)).toLower();
    const QString value = equals < 0 ? QString() : StripQuotes(body.mid(equals + 1));
    const QString trimmed = TrimSpaces(value);
    auto setText = [&trimmed](QString& field) {
        if (!trimmed.isEmpty())
            field = trimmed;
        return true;
    };
    // A key line always has "=": a lyric that is just the word "Music" or "Title" stays a
    // lyric. Only the section names stand alone.
    if (equals < 0)
        return key == u"[spec]" || key == u"[text]";
    if (key == u"title")
        return setText(header.Title);
    if (key == u"artist")
        return setText(header.Artist);
    if (key == u"presenter")
        return setText(header.TaggingBy);
    if (key == u"adjust") {
        const auto offset = ParseInt32(trimmed);
        if (!offset)
            return false;
        header.Offset = *offset;
        if (*offset != 0)
            header.HasOffset = true;
        return true;
    }
    return IsDroppedKey(key);
}

} // namespace

std::optional<int> ReadDsmpTime(QStringView line) {
    auto digit = [&line](int i) { return line[i] >= u'0' && line[i] <= u'9'; };
    if (line.size() < 10 || line[2] != u':' || line[5] != u':' || line[9] != u'=')
        return std::nullopt;
    int value[3] = {0, 0, 0};
    const int starts[3] = {0, 3, 6};
    const int widths[3] = {2, 2, 3};
    for (int part = 0; part < 3; ++part) {
        for (int i = starts[part]; i < starts[part] + widths[part]; ++i) {
            if (!digit(i))
                return std::nullopt;
            value[part] = value[part] * 10 + (line[i].unicode() - u'0');
        }
    }
    return value[0] * 60000 + value[1] * 1000 + value[2];
}

QString StripQuotes(const QString& s) {
    if (s.size() > 1 && s.startsWith(u'"') && s.endsWith(u'"'))
        return s.mid(1, s.size() - 2);
    return s;
}

QString FirstColumn(const QString& s) {
    if (s.isEmpty())
        return QString();
    if (!(s.startsWith(u'"') && s.endsWith(u'"')))
        return s;
    const QString inner = StripQuotes(s);
    const qsizetype cut = inner.indexOf(u"\",\"");
    return cut < 0 ? inner : inner.left(cut);
}

LyricsDocument ReadDsmpText(const QString& text) {
    LyricsDocument document;
    if (text.isEmpty())
        return document;
    const QString lf = ToLfLineEnds(text);
    for (const QStringView piece : QStringView(lf).split(u'\n')) {
        const std::optional<int> time = ReadDsmpTime(piece);
        const bool timed = time.has_value();
        const int timeMs = time.value_or(0);
        const QString body = (timed ? piece.mid(10) : piece).toString();
        if (ReadKeyLine(body, document.Header))
            continue;
        const QString lower = body.toLower();
        if (lower == u"[spec]" || lower == u"[text]")
            continue;
        LyricsLine line;
        line.PlainText = FirstColumn(TrimSpaces(body));
        if (timed) {
            line.HasTimeTag = true;
            const QString tag = MsToTag(timeMs);
            line.Fragments = {KaraokeFragment{tag, timeMs, QString()},
                              KaraokeFragment{tag, timeMs, line.PlainText}};
            document.HasTimeTags = true;
        } else {
            line.Fragments = QVector<KaraokeFragment>(1);
        }
        document.Lines.append(line);
    }
    document.Header.TimeRatio = 1;
    document.Header.HasTimeRatio = true;
    ComposeLyricsText(document);
    return document;
}

} // namespace tavelkor

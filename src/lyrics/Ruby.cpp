#include "Ruby.h"

#include "TextRules.h"
#include "TimeValues.h"

#include <algorithm>

namespace tavelkor {

namespace {

// "" or a full tag; the time it reads (-1 for "").
std::optional<int> ReadRubyTime(QStringView field) {
    if (field.isEmpty())
        return -1;
    if (field.size() != 10 || !IsFullTagAt(field, 0))
        return std::nullopt;
    const int ms = TagToMs(field);
    if (ms < 0)
        return std::nullopt;
    return ms;
}

bool Overlaps(const QVector<RubySpan>& spans, qsizetype from, qsizetype length) {
    for (const RubySpan& span : spans) {
        if (from < span.From + span.Length && span.From < from + length)
            return true;
    }
    return false;
}

} // namespace

std::optional<RubyEntry> ReadRubyDirective(QStringView line) {
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    const QString key = TrimSpaces(line.left(equals));
    if (key.size() <= 5 || !key.startsWith(u"@ruby", Qt::CaseInsensitive))
        return std::nullopt;
    const auto number = ParseInt32(QStringView(key).mid(5));
    if (!number)
        return std::nullopt;
    for (QChar c : QStringView(key).mid(5)) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const QString value = TrimSpaces(line.mid(equals + 1));
    const QList<QStringView> fields = QStringView(value).split(u',');
    if (fields.size() < 2 || fields.size() > 4 || fields[0].isEmpty() || fields[1].isEmpty())
        return std::nullopt;
    RubyEntry entry;
    entry.Number = *number;
    entry.Base = fields[0].toString();
    entry.Reading = fields[1].toString();
    const QStringView start = fields.size() > 2 ? fields[2] : QStringView();
    const QStringView end = fields.size() > 3 ? fields[3] : QStringView();
    const auto startMs = ReadRubyTime(start);
    const auto endMs = ReadRubyTime(end);
    if (!startMs || !endMs)
        return std::nullopt;
    // "base,reading,," and "base,reading," say no more than "base,reading"; only the canonical
    // form is written back.
    entry.StartTag = start.toString();
    entry.EndTag = end.toString();
    entry.StartMs = *startMs;
    entry.EndMs = *endMs;
    return entry;
}

QString ComposeRubyDirective(const RubyEntry& entry) {
    QString out = QStringLiteral("@Ruby") + QString::number(entry.Number) + u'=' + entry.Base +
                  u',' + entry.Reading;
    if (!entry.StartTag.isEmpty() || !entry.EndTag.isEmpty())
        out += u',' + entry.StartTag;
    if (!entry.EndTag.isEmpty())
        out += u',' + entry.EndTag;
    return out;
}

bool RubyApplies(const RubyEntry& entry, int timeMs) {
    if (entry.StartMs >= 0 && timeMs < entry.StartMs)
        return false;
    return entry.EndMs < 0 || timeMs < entry.EndMs;
}

void SetRubyTimes(RubyEntry& entry, int startMs, int endMs) {
    entry.StartMs = startMs;
    entry.EndMs = endMs;
    if (startMs < 0)
        entry.StartTag.clear();
    else
        SetTagText(entry.StartTag, startMs);
    if (endMs < 0)
        entry.EndTag.clear();
    else
        SetTagText(entry.EndTag, endMs);
}

QVector<RubySpan> RubySpansIn(const QVector<RubyEntry>& entries, QStringView text, int timeMs) {
    QVector<RubySpan> spans;
    for (const RubyEntry& entry : entries) {
        if (!RubyApplies(entry, timeMs))
            continue;
        const qsizetype length = entry.Base.size();
        for (qsizetype at = text.indexOf(entry.Base); at >= 0;
             at = text.indexOf(entry.Base, at + 1)) {
            if (!Overlaps(spans, at, length)) {
                spans.append({int(at), int(length), entry.Reading, entry.Number});
                break;
            }
        }
    }
    std::stable_sort(spans.begin(), spans.end(),
                     [](const RubySpan& a, const RubySpan& b) { return a.From < b.From; });
    return spans;
}

QVector<RubySpan> RubyFor(const LyricsDocument& document, int line, int timeMs) {
    if (line < 0 || line >= document.LineCount() || document.Lines[line].IsDirective)
        return {};
    return RubySpansIn(document.Header.Ruby, document.Lines[line].PlainText, timeMs);
}

} // namespace tavelkor

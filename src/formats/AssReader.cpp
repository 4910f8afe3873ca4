#include "AssReader.h"

#include "AssFurigana.h"
#include "CaptionText.h"

#include <algorithm>

namespace tavelkor {

namespace {

// The default field order of a v4.00+ script's events.
const QStringList& DefaultEventFields() {
    static const QStringList fields = {QStringLiteral("layer"),   QStringLiteral("start"),
                                       QStringLiteral("end"),     QStringLiteral("style"),
                                       QStringLiteral("name"),    QStringLiteral("marginl"),
                                       QStringLiteral("marginr"), QStringLiteral("marginv"),
                                       QStringLiteral("effect"),  QStringLiteral("text")};
    return fields;
}

// Reads the override block `block` (without its braces): a karaoke tag gives its duration in
// centiseconds; "\p" with a number above 0 starts a drawing, "\p0" ends it.
void ReadOverrides(QStringView block, std::optional<qint64>& karaoke, bool& drawing) {
    for (qsizetype at = block.indexOf(u'\\'); at >= 0; at = block.indexOf(u'\\', at + 1)) {
        QStringView tag = block.mid(at + 1);
        qsizetype nameLength = 0;
        if (tag.startsWith(u"kf") || tag.startsWith(u"ko"))
            nameLength = 2;
        else if (tag.startsWith(u'k') || tag.startsWith(u'K'))
            nameLength = 1;
        else if (tag.startsWith(u'p') && tag.size() > 1 && (tag[1].isDigit() || tag[1] == u'-'))
            nameLength = -1;
        if (nameLength == 0)
            continue;
        const QStringView rest = tag.mid(nameLength < 0 ? 1 : nameLength);
        qsizetype digits = rest.startsWith(u'-') ? 1 : 0;
        while (digits < rest.size() && digits < 12 && rest[digits].isDigit())
            ++digits;
        const qint64 value = rest.left(digits).toLongLong();
        if (nameLength < 0)
            drawing = value > 0;
        else if (digits > 0 || rest.isEmpty() || rest[0] == u'\\')
            karaoke = std::max<qint64>(value, 0);
    }
}

// The words of a Dialogue text starting at `startMs`, each karaoke tag a new word.
TimedLine ReadDialogueText(QStringView text, int startMs, int endMs) {
    TimedLine line;
    line.StartMs = startMs;
    line.EndMs = std::max(startMs, endMs);
    qint64 running = startMs; // the start of the next karaoke word
    bool drawing = false;
    QString pending; // text before the first karaoke tag
    auto append = [&](QStringView piece) {
        if (drawing || piece.isEmpty())
            return;
        if (line.Words.isEmpty())
            pending += piece;
        else
            line.Words.last().Text += piece;
    };
    qsizetype at = 0;
    while (at < text.size()) {
        const QChar c = text[at];
        if (c == u'{') {
            const qsizetype close = text.indexOf(u'}', at + 1);
            if (close < 0)
                break; // an unclosed block hides the rest, as renderers do
            std::optional<qint64> karaoke;
            ReadOverrides(text.mid(at + 1, close - at - 1), karaoke, drawing);
            if (karaoke) {
                const int wordStart = int(std::clamp<qint64>(running, startMs, line.EndMs));
                line.Words.append({QString(), wordStart});
                line.WordTimed = true;
                running = std::min<qint64>(running + *karaoke * 10, qint64(line.EndMs) + 1);
            }
            at = close + 1;
            continue;
        }
        if (c == u'\\' && at + 1 < text.size() &&
            (text[at + 1] == u'N' || text[at + 1] == u'n' || text[at + 1] == u'h')) {
            append(u" ");
            at += 2;
            continue;
        }
        const qsizetype next = [&] {
            qsizetype n = at + 1;
            while (n < text.size() && text[n] != u'{' && text[n] != u'\\')
                ++n;
            return n;
        }();
        append(text.mid(at, next - at));
        at = next;
    }
    if (line.Words.isEmpty())
        line.Words.append({pending, startMs});
    else
        line.Words.first().Text.prepend(pending);
    return line;
}

} // namespace

std::optional<TimedLyrics> ReadAssText(QStringView text) {
    TimedLyrics lyrics;
    // Karaoke-template files: the sung lines are those whose effect is "karaoke" (Comment lines
    // once the template has been applied, else Dialogue lines); the other Dialogue lines are
    // what the template generated. Without such lines every Dialogue is read.
    QVector<TimedLine> sung;
    QString section;
    QStringList fields = DefaultEventFields();
    bool events = false;
    for (const QStringView raw : SplitLines(text)) {
        // Blanks at the end of a Dialogue are no text to ASS readers and renderers.
        const QStringView line = raw.trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.toString().toLower();
            events = events || section == u"[events]";
            continue;
        }
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0)
            continue;
        const QStringView key = line.left(colon).trimmed();
        QStringView value = line.mid(colon + 1);
        while (!value.isEmpty() && value.front().isSpace())
            value = value.mid(1);
        if (section == u"[script info]" && key.compare(u"Title", Qt::CaseInsensitive) == 0) {
            lyrics.Title = value.trimmed().toString();
            continue;
        }
        if (section != u"[events]")
            continue;
        if (key.compare(u"Format", Qt::CaseInsensitive) == 0) {
            fields.clear();
            for (const QStringView field : value.split(u','))
                fields.append(field.trimmed().toString().toLower());
            continue;
        }
        const bool dialogue = key.compare(u"Dialogue", Qt::CaseInsensitive) == 0;
        if (!dialogue && key.compare(u"Comment", Qt::CaseInsensitive) != 0)
            continue;
        const qsizetype textField = fields.indexOf(QStringLiteral("text"));
        const qsizetype startField = fields.indexOf(QStringLiteral("start"));
        const qsizetype endField = fields.indexOf(QStringLiteral("end"));
        if (textField != fields.size() - 1 || startField < 0 || endField < 0)
            continue;
        // The text is the last field and may hold commas itself.
        const QList<QStringView> parts = value.split(u',');
        if (parts.size() < fields.size())
            continue;
        const std::optional<int> start = ParseClockTime(parts[startField]);
        const std::optional<int> end = ParseClockTime(parts[endField]);
        if (!start || !end)
            continue;
        qsizetype textAt = 0;
        for (qsizetype f = 0; f < textField; ++f)
            textAt += parts[f].size() + 1;
        const qsizetype effectField = fields.indexOf(QStringLiteral("effect"));
        const bool karaoke = effectField >= 0 && parts[effectField].trimmed().startsWith(
                                                     u"karaoke", Qt::CaseInsensitive);
        if (karaoke)
            sung.append(ReadDialogueText(value.mid(textAt), *start, *end));
        else if (dialogue)
            lyrics.Lines.append(ReadDialogueText(value.mid(textAt), *start, *end));
    }
    if (!sung.isEmpty()) {
        lyrics.Lines = std::move(sung);
        TakeTemplateFurigana(lyrics);
        return lyrics;
    }
    if (!events || lyrics.Lines.isEmpty())
        return std::nullopt;
    TakeAssFurigana(lyrics);
    return lyrics;
}

} // namespace tavelkor

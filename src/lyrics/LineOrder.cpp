#include "LineOrder.h"

#include "DisplayLines.h"
#include "TextRules.h"
#include "TimeTagReader.h"
#include "TimeTagWriter.h"

#include <algorithm>
#include <utility>

namespace tavelkor {

bool NeedsLineOrderNormalization(const LyricsDocument& document) {
    for (const LyricsLine& line : document.Lines) {
        if (!line.IsKaraoke)
            continue;
        for (int k = 0; k < line.FragmentCount(); ++k) {
            if (!line.Fragments[k].Text.isEmpty())
                return false;
        }
    }
    return true;
}

LyricsDocument NormalizeLineOrder(const LyricsDocument& document) {
    LyricsDocument copy = document;
    if (!copy.HasTimeTags || copy.LineCount() == 0)
        return copy;
    // Every time of a karaoke line repeats the line's text; a hostile file could make that
    // gigabytes. Such a document keeps its order.
    qint64 size = 0;
    for (const LyricsLine& line : std::as_const(copy.Lines))
        size += qint64(line.IsKaraoke ? line.FragmentCount() + 1 : 1) * (line.RawText.size() + 12);
    if (size > MaxDisplayTextChars)
        return copy;

    // 1-2. One entry per time of every line, joined into one text.
    QString joined;
    for (const LyricsLine& line : copy.Lines) {
        if (line.IsDirective)
            continue;
        if (line.IsKaraoke) {
            for (int k = 0; k <= line.FragmentCount(); ++k) {
                if (k == 1 && line.Fragments[1].TimeMs == line.Fragments[0].TimeMs)
                    continue;
                joined += line.Fragments[k].TagText;
                joined += line.PlainText;
                joined += CrLf;
            }
        } else if (line.HasTimeTag) {
            // Text that stood before the tag moves behind it, as the line-head layout writes
            // it, instead of being dropped.
            joined += line.Fragments[1].TagText;
            joined += line.PlainText;
            joined += CrLf;
        } else {
            joined += line.RawText;
            joined += CrLf;
        }
    }
    joined = NormalizeTrailingBreaks(std::move(joined));

    // 3. Cut into a preamble and chunks that each start with a tag.
    const QStringView text(joined);
    qsizetype at = FindTimeTag(text);
    QString result = (at < 0 ? text : text.left(at)).toString();
    QList<QStringView> chunks;
    while (at >= 0) {
        const qsizetype next = FindTimeTag(text, at + 10);
        chunks.append(next < 0 ? text.mid(at) : text.mid(at, next - at));
        at = next;
    }

    // 4-5. Ascending by tag, then by the text that follows, ignoring letter case; stable.
    std::stable_sort(chunks.begin(), chunks.end(), [](QStringView a, QStringView b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    for (const QStringView chunk : chunks)
        result += chunk;

    copy.Text = result;
    ParseLyricsText(copy, false, false);
    return copy;
}

} // namespace tavelkor

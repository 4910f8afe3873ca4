#include "LrcWriter.h"

#include "../lyrics/TextRules.h"
#include "../lyrics/TimeTagWriter.h"
#include "LrcStamps.h"

#include <utility>

namespace tavelkor {

QString MakeLrcText(const LyricsDocument& document, const LrcWriteOptions& options) {
    const int digits = options.Millis ? 3 : 2;
    // Room for every line with its stamps (a stamp is at most 12 characters), reserved once.
    qsizetype size = 256;
    for (const LyricsLine& line : document.Lines)
        size += line.PlainText.size() + 2 + 12 * (line.FragmentCount() + 1);
    QString text;
    text.reserve(size);
    if (options.IdTags) {
        const LyricsHeader& header = document.Header;
        const std::pair<const char16_t*, const QString*> tags[] = {{u"[ti:", &header.Title},
                                                                   {u"[ar:", &header.Artist},
                                                                   {u"[al:", &header.Album},
                                                                   {u"[by:", &header.TaggingBy}};
        for (const auto& [key, value] : tags) {
            const QString trimmed = TrimSpaces(*value);
            if (trimmed.isEmpty())
                continue;
            text += QStringView(key);
            text += trimmed;
            text += u']';
            text += CrLf;
        }
    }
    for (const LyricsLine& line : document.Lines) {
        if (line.IsDirective)
            continue;
        if (!line.HasTimeTag || line.FragmentCount() == 0) {
            text += line.PlainText;
            text += CrLf;
            continue;
        }
        const KaraokeFragment& first = line.Fragments[0];
        AppendLrcStamp(text, u'[', first.TimeMs, digits);
        // Text before the only tag keeps its word stamp too: joined, the two could read as one
        // stamp ("<00:0" and "1.00>").
        if (options.WordStamps && (line.FragmentCount() > 1 || !first.Text.isEmpty())) {
            text += first.Text;
            for (int k = 1; k <= line.FragmentCount(); ++k) {
                AppendLrcStamp(text, u'<', line.Fragments[k].TimeMs, digits);
                text += line.Fragments[k].Text;
            }
        } else {
            text += line.PlainText;
        }
        text += CrLf;
    }
    return NormalizeTrailingBreaks(std::move(text));
}

} // namespace tavelkor

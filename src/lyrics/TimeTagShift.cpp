#include "TimeTagShift.h"

#include "Ruby.h"
#include "TimeTagReader.h"
#include "TimeValues.h"

namespace tavelkor {

LyricsDocument ShiftLyricsDocument(const LyricsDocument& document, int shiftMs) {
    LyricsDocument result = document;
    if (shiftMs == 0)
        return result;
    for (LyricsLine& line : result.Lines) {
        if (!line.HasTimeTag)
            continue;
        for (KaraokeFragment& fragment : line.Fragments) {
            fragment.TimeMs = ShiftedTime(fragment.TimeMs, shiftMs);
            SetTagText(fragment.TagText, fragment.TimeMs);
        }
    }
    MapRubyTimes(result.Header.Ruby, [shiftMs](int ms) { return ShiftedTime(ms, shiftMs); });
    return result;
}

std::optional<QString> ShiftTimeTagTextInPlace(const QString& text, int shiftMs) {
    QString out;
    out.reserve(text.size() + 16);
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (start <= n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QString line = text.mid(start, end - start);
        const QString expanded = ContainsShortTag(line) ? ExpandShortTags(line) : line;
        LyricsDocument one;
        one.Text = expanded;
        ParseLyricsText(one, false, false);
        const LyricsLine* parsed = one.Lines.isEmpty() ? nullptr : &one.Lines[0];
        std::optional<RubyEntry> ruby;
        if (parsed != nullptr && parsed->IsDirective)
            ruby = ReadRubyDirective(line);
        if (ruby && (ruby->StartMs >= 0 || ruby->EndMs >= 0)) {
            // A reading's times move with the lyrics; a line not in the canonical form would
            // change more than its times, so the document's way is taken then.
            if (ComposeRubyDirective(*ruby) != line)
                return std::nullopt;
            QVector<RubyEntry> moved{*ruby};
            MapRubyTimes(moved, [shiftMs](int ms) { return ShiftedTime(ms, shiftMs); });
            out += ComposeRubyDirective(moved[0]);
        } else if (parsed == nullptr || !parsed->HasTimeTag || parsed->IsDirective ||
                   parsed->Fragments.isEmpty()) {
            out += line;
        } else {
            QString same = parsed->Fragments[0].Text;
            QString moved = parsed->Fragments[0].Text;
            for (qsizetype i = 1; i < parsed->Fragments.size(); ++i) {
                const KaraokeFragment& fragment = parsed->Fragments[i];
                same += fragment.TagText.view();
                same += fragment.Text;
                moved += MsToTag(ShiftedTime(fragment.TimeMs, shiftMs)) + fragment.Text;
            }
            if (same != expanded)
                return std::nullopt;
            out += moved;
        }
        if (end == n)
            break;
        qsizetype next = end + 1;
        if (text[end] == u'\r' && next < n && text[next] == u'\n')
            ++next;
        out += QStringView(text).mid(end, next - end);
        start = next;
    }
    return out;
}

} // namespace tavelkor

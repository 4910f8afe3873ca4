#include "AssFurigana.h"

namespace tavelkor {

namespace {

bool HasBlank(QStringView text) {
    for (const QChar c : text) {
        if (c.isSpace())
            return true;
    }
    return false;
}

// Where the syllable's "|" stands, when it is the furigana syntax; -1 when it holds none, -2
// when it holds one that is not the syntax.
qsizetype FuriganaBar(QStringView syllable) {
    const qsizetype bar = syllable.indexOf(u'|');
    if (bar < 0)
        return -1;
    const QStringView base = syllable.left(bar);
    const QStringView reading = syllable.mid(bar + 1);
    if (base.isEmpty() || reading.isEmpty() || reading.contains(u'|') || base == u"#" ||
        HasBlank(base) || HasBlank(reading))
        return -2;
    return bar;
}

} // namespace

bool TakeAssFurigana(TimedLyrics& lyrics) {
    bool any = false;
    for (const TimedLine& line : lyrics.Lines) {
        for (const TimedWord& word : line.Words) {
            const qsizetype bar = FuriganaBar(word.Text);
            if (bar == -2 || (bar >= 0 && !line.WordTimed))
                return false;
            any = any || bar >= 0;
        }
    }
    if (!any)
        return false;
    for (TimedLine& line : lyrics.Lines) {
        qsizetype at = 0;
        for (TimedWord& word : line.Words) {
            const qsizetype bar = FuriganaBar(word.Text);
            if (bar >= 0) {
                line.Ruby.append({int(at), int(bar), word.Text.mid(bar + 1), 0});
                word.Text.truncate(bar);
            }
            at += word.Text.size();
        }
    }
    return true;
}

} // namespace tavelkor

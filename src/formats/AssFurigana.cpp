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

void TakeTemplateFurigana(TimedLyrics& lyrics) {
    for (TimedLine& line : lyrics.Lines) {
        QVector<TimedWord> words;
        QVector<RubySpan> ruby;
        qsizetype length = 0;       // of the words kept so far
        bool baseContinues = false; // the last syllable kept was a base ("#" may go on with it)
        for (TimedWord& word : line.Words) {
            const qsizetype bar = word.Text.indexOf(u'|');
            QString reading = bar < 0 ? QString() : word.Text.mid(bar + 1);
            if (reading.startsWith(u'<'))
                reading.remove(0, 1);
            const QStringView base =
                bar < 0 ? QStringView(word.Text) : QStringView(word.Text).left(bar);
            if (base == u"#" && baseContinues && !words.isEmpty()) {
                ruby.last().Reading += reading;
                continue;
            }
            baseContinues = bar >= 0 && !base.trimmed().isEmpty();
            if (baseContinues)
                ruby.append({int(length), int(base.size()), reading, 0});
            word.Text = base.toString();
            length += word.Text.size();
            words.append(std::move(word));
        }
        line.Words = std::move(words);
        for (const RubySpan& span : ruby) {
            if (!span.Reading.trimmed().isEmpty())
                line.Ruby.append(span);
        }
    }
}

} // namespace tavelkor

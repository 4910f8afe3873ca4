#include "SyncedLyrics.h"

#include "../lyrics/TimeTagWriter.h"
#include "../lyrics/TimeValues.h"

#include <QStringList>
#include <algorithm>
#include <limits>

namespace tavelkor {

namespace {

int ClampedMs(qint64 ms) { return int(std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max())); }

// Builds the lines of a TimeTag document entry by entry.
class LineBuilder {
public:
    LyricsDocument document;

    void NewLine() { document.Lines.append(LyricsLine{}); }

    // Text without a time: it goes on with the text the line has so far.
    void AddText(const QString& text) {
        LyricsLine& line = Current();
        if (line.Fragments.isEmpty())
            line.Fragments.append(KaraokeFragment{});
        line.Fragments.last().Text += text;
    }

    // A tag and the text sung from it. Fragment 0 of a line repeats its first tag.
    void AddTimed(const QString& text, int ms) {
        LyricsLine& line = Current();
        const QString tag = MsToTag(ms);
        if (line.Fragments.isEmpty())
            line.Fragments.append(KaraokeFragment{tag, ms, QString()});
        else if (line.FragmentCount() == 0)
            line.Fragments[0] = KaraokeFragment{tag, ms, line.Fragments[0].Text};
        line.Fragments.append(KaraokeFragment{tag, ms, text});
        line.HasTimeTag = true;
    }

private:
    LyricsLine& Current() {
        if (document.Lines.isEmpty())
            NewLine();
        return document.Lines.last();
    }
};

} // namespace

SyncedLyrics MakeSyncedLyrics(const LyricsDocument& document) {
    SyncedLyrics entries;
    for (const LyricsLine& line : document.Lines) {
        if (line.IsDirective || !line.HasTimeTag || line.FragmentCount() == 0)
            continue;
        for (int k = 1; k <= line.FragmentCount(); ++k) {
            const KaraokeFragment& fragment = line.Fragments[k];
            if (k > 1) {
                entries.append({fragment.Text, fragment.TimeMs});
                continue;
            }
            QString text = entries.isEmpty() ? QString() : QStringLiteral("\n");
            text += line.Fragments[0].Text;
            text += fragment.Text;
            entries.append({text, fragment.TimeMs});
        }
    }
    return entries;
}

QString MakeUnsyncedLyrics(const LyricsDocument& document) {
    QStringList lines;
    for (const LyricsLine& line : document.Lines) {
        if (!line.IsDirective)
            lines.append(line.PlainText);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(u'\n');
}

LyricsDocument ReadSyncedLyrics(const SyncedLyrics& entries) {
    LineBuilder builder;
    for (const SyncedLyric& entry : entries) {
        QStringList parts = entry.Text.split(u'\n');
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            if (parts[i].endsWith(u'\r'))
                parts[i].chop(1);
        }
        qsizetype timed = parts.size() - 1;
        while (timed > 0 && parts[timed].isEmpty())
            --timed;
        if (parts[timed].isEmpty())
            timed = parts.size() - 1; // no text at all: the time goes with the new line
        for (qsizetype i = 0; i < parts.size(); ++i) {
            if (i > 0)
                builder.NewLine();
            if (i == timed)
                builder.AddTimed(parts[i], ClampedMs(entry.TimeMs));
            else if (!parts[i].isEmpty())
                builder.AddText(parts[i]);
        }
    }
    LyricsDocument& document = builder.document;
    while (!document.Lines.isEmpty() && document.Lines.last().Fragments.isEmpty())
        document.Lines.removeLast();
    for (LyricsLine& line : document.Lines) {
        for (const KaraokeFragment& fragment : std::as_const(line.Fragments))
            line.PlainText += fragment.Text;
        document.HasTimeTags = document.HasTimeTags || line.HasTimeTag;
    }
    if (document.HasTimeTags) {
        document.HasKaraoke = true;
        document.Header.TimeRatio = 1;
        document.Header.HasTimeRatio = true;
    }
    ComposeLyricsText(document);
    return document;
}

QString UnsyncedLyricsText(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    lines.replace(u'\n', CrLf);
    return lines;
}

} // namespace tavelkor

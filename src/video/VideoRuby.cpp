#include "VideoRuby.h"

#include "AssEngine.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace tavelkor {

namespace {

// One Dialogue of the script: the fields before its text, and its times in centiseconds.
struct Event {
    QStringList Fields; // Layer .. Effect
    QString Text;
    qint64 StartCs = 0;
    qint64 EndCs = 0;
};

qint64 ParseAssTime(const QString& time) {
    const QStringList parts = time.split(u':');
    if (parts.size() != 3)
        return -1;
    return (parts[0].toLongLong() * 3600 + parts[1].toLongLong() * 60) * 100 +
           qRound64(parts[2].toDouble() * 100);
}

QString AssTimeOf(qint64 cs) {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(cs / 360000)
        .arg(cs / 6000 % 60, 2, 10, QLatin1Char('0'))
        .arg(cs / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(cs % 100, 2, 10, QLatin1Char('0'));
}

QString Escaped(QString text) {
    text.replace(u'{', u'｛').replace(u'}', u'｝').replace(u'\\', u'＼');
    return text.replace(u'\n', u' ').replace(u'\r', u' ');
}

// The word of the line whose text holds the character at `at`.
qsizetype WordAt(const TimedLine& line, qsizetype at) {
    qsizetype offset = 0;
    for (qsizetype w = 0; w < line.Words.size(); ++w) {
        offset += line.Words[w].Text.size();
        if (at < offset)
            return w;
    }
    return line.Words.size() - 1;
}

struct Box {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool Empty() const { return Right <= Left || Bottom <= Top; }
};

// Where the visible glyphs of the frame lie (transparent parts left out).
Box VisibleBox(const ASS_Image* images) {
    Box box{1 << 30, 1 << 30, -(1 << 30), -(1 << 30)};
    for (const ASS_Image* part = images; part != nullptr; part = part->next) {
        if ((part->color & 0xff) == 0xff || part->w <= 0 || part->h <= 0)
            continue;
        box.Left = std::min(box.Left, part->dst_x);
        box.Top = std::min(box.Top, part->dst_y);
        box.Right = std::max(box.Right, part->dst_x + part->w);
        box.Bottom = std::max(box.Bottom, part->dst_y + part->h);
    }
    return box;
}

} // namespace

QByteArray WithFurigana(const QByteArray& script, const TimedLyrics& lyrics, int fontSize,
                        const QString& karaoke) {
    const bool anyRuby = std::any_of(lyrics.Lines.begin(), lyrics.Lines.end(),
                                     [](const TimedLine& line) { return !line.Ruby.isEmpty(); });
    const QString text = QString::fromUtf8(script);
    const qsizetype eventsAt = text.indexOf(QStringLiteral("[Events]"));
    if (!anyRuby || eventsAt < 0)
        return script;
    const qsizetype formatEnd = text.indexOf(u'\n', text.indexOf(QStringLiteral("Format:"), eventsAt));
    const QString header = text.left(formatEnd + 1);
    QVector<Event> events;
    for (const QString& row : text.mid(formatEnd + 1).split(u'\n')) {
        if (!row.startsWith(QStringLiteral("Dialogue: ")))
            continue;
        const QStringList fields = row.mid(10).trimmed().split(u',');
        if (fields.size() < 10)
            return script;
        Event event{fields.mid(0, 9), fields.mid(9).join(u','), ParseAssTime(fields[1]),
                    ParseAssTime(fields[2])};
        events.append(event);
    }
    if (events.size() != lyrics.Lines.size())
        return script;

    // Every base laid out alone: its line as the script has it, karaoke tags left out and all
    // but the base transparent, one event per tenth of a second.
    static const QRegularExpression tags(QStringLiteral("\\{[^}]*\\}"));
    struct Placed {
        qsizetype Line;
        RubySpan Span;
    };
    QVector<Placed> placed;
    QString probe = header;
    for (qsizetype i = 0; i < events.size(); ++i) {
        const TimedLine& line = lyrics.Lines[i];
        const QString visible = QString(events[i].Text).remove(tags).trimmed();
        if (visible != Escaped(line.Text()))
            continue;
        for (const RubySpan& span : line.Ruby) {
            if (span.Length <= 0 || span.From + span.Length > visible.size())
                continue;
            QStringList fields = events[i].Fields;
            const qint64 at = placed.size() * 10;
            fields[1] = AssTimeOf(at);
            fields[2] = AssTimeOf(at + 10);
            probe += QStringLiteral("Dialogue: ") + fields.join(u',') + u',' +
                     QStringLiteral("{\\alpha&HFF&}") + visible.left(span.From) +
                     QStringLiteral("{\\alpha&H00&}") + visible.mid(span.From, span.Length) +
                     QStringLiteral("{\\alpha&HFF&}") + visible.mid(span.From + span.Length) +
                     QStringLiteral("\r\n");
            placed.append({i, span});
        }
    }
    if (placed.isEmpty())
        return script;
    static const QRegularExpression playRes(QStringLiteral("PlayRes([XY]):\\s*(\\d+)"));
    int width = 1920, height = 1080;
    for (auto m = playRes.globalMatch(header); m.hasNext();) {
        const QRegularExpressionMatch match = m.next();
        (match.captured(1) == u"X" ? width : height) = match.captured(2).toInt();
    }
    AssEngine engine(width, height);
    QByteArray probeBytes = probe.toUtf8();
    ASS_Track* track =
        ass_read_memory(engine.Library, probeBytes.data(), size_t(probeBytes.size()), nullptr);
    if (track == nullptr)
        return script;

    QString added;
    const QString tag = karaoke == u"k" || karaoke == u"ko" ? karaoke : QStringLiteral("kf");
    const int rubySize = std::max(8, fontSize / 2);
    for (qsizetype k = 0; k < placed.size(); ++k) {
        const Box box = VisibleBox(ass_render_frame(engine.Renderer, track, k * 100 + 50, nullptr));
        if (box.Empty())
            continue;
        const TimedLine& line = lyrics.Lines[placed[k].Line];
        const Event& event = events[placed[k].Line];
        const RubySpan& span = placed[k].Span;
        // The reading turns while its base is sung: from the start of the word that holds the
        // base's first character to the end of the word that holds its last.
        const qsizetype first = WordAt(line, span.From);
        const qsizetype last = WordAt(line, span.From + span.Length - 1);
        const qint64 sung = std::clamp<qint64>((line.Words[first].StartMs + 5) / 10, event.StartCs,
                                               event.EndCs);
        const qint64 done =
            last + 1 < line.Words.size() ? (line.Words[last + 1].StartMs + 5) / 10 : event.EndCs;
        QStringList fields = event.Fields;
        fields[0] = QString::number(fields[0].toInt() + 10);
        added += QStringLiteral("Dialogue: %1,{\\an2\\pos(%2,%3)\\fs%4\\k%5\\%6%7}%8\r\n")
                     .arg(fields.join(u','))
                     .arg((box.Left + box.Right) / 2)
                     .arg(box.Top - rubySize / 8)
                     .arg(rubySize)
                     .arg(sung - event.StartCs)
                     .arg(tag)
                     .arg(std::max<qint64>(0, std::min(done, event.EndCs) - sung))
                     .arg(Escaped(span.Reading));
    }
    ass_free_track(track);
    return script + added.toUtf8();
}

} // namespace tavelkor

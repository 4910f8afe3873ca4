#include "SamiRuby.h"

#include "../lyrics/Ruby.h"
#include "../lyrics/RubyEntries.h"
#include "SamiReader.h"

namespace tavelkor {

QString TakeSamiRuby(const QString& line, int timeMs, QVector<ShownReading>& shown) {
    if (!line.contains(QStringLiteral("<RUBY"), Qt::CaseInsensitive))
        return line;
    QString out;
    qsizetype at = 0;
    for (;;) {
        const qsizetype open = line.indexOf(QStringLiteral("<RUBY>"), at, Qt::CaseInsensitive);
        const qsizetype rt =
            open < 0 ? -1 : line.indexOf(QStringLiteral("<RT>"), open, Qt::CaseInsensitive);
        const qsizetype close =
            rt < 0 ? -1 : line.indexOf(QStringLiteral("</RUBY>"), rt, Qt::CaseInsensitive);
        if (close < 0)
            break;
        const QString base = line.mid(open + 6, rt - open - 6);
        QString reading = line.mid(rt + 4, close - rt - 4);
        if (reading.endsWith(QStringLiteral("</RT>"), Qt::CaseInsensitive))
            reading.chop(5);
        out += QStringView(line).mid(at, open - at);
        out += base;
        const QString decoded = DecodeSamiEntities(reading).trimmed();
        if (!base.contains(u'<') && !decoded.isEmpty())
            shown.append({timeMs, DecodeSamiEntities(base), decoded});
        at = close + 7;
    }
    out += QStringView(line).mid(at);
    return out;
}

QVector<RubyEntry> RubyEntriesOfShownReadings(const QVector<ShownReading>& shown) {
    // The bases in the order they first show, each with its runs: captions in a row that read
    // it the same way (one caption may read it at several places, in order).
    struct Run {
        int StartMs;
        QStringList Readings;
    };
    QStringList bases;
    QVector<QVector<Run>> runs;
    QVector<Run> current; // per base, the caption being read
    auto close = [&](qsizetype b) {
        if (current[b].Readings.isEmpty())
            return;
        if (runs[b].isEmpty() || runs[b].last().Readings != current[b].Readings)
            runs[b].append(current[b]);
        current[b].Readings.clear();
    };
    for (const ShownReading& reading : shown) {
        if (!RubyFitsTimeTag(reading.Base, reading.Reading))
            continue;
        qsizetype b = bases.indexOf(reading.Base);
        if (b < 0) {
            b = bases.size();
            bases.append(reading.Base);
            runs.append(QVector<Run>());
            current.append(Run{reading.TimeMs, {}});
        }
        if (current[b].StartMs != reading.TimeMs) {
            close(b);
            current[b].StartMs = reading.TimeMs;
        }
        current[b].Readings.append(reading.Reading);
    }
    QVector<RubyEntry> entries;
    for (qsizetype b = 0; b < bases.size(); ++b) {
        close(b);
        for (qsizetype r = 0; r < runs[b].size(); ++r) {
            for (const QString& text : runs[b][r].Readings) {
                RubyEntry entry;
                entry.Number = int(entries.size()) + 1;
                entry.Base = bases[b];
                entry.Reading = text;
                SetRubyTimes(entry, r == 0 ? -1 : runs[b][r].StartMs,
                             r + 1 < runs[b].size() ? runs[b][r + 1].StartMs : -1);
                entries.append(entry);
            }
        }
    }
    return entries;
}

} // namespace tavelkor

#include "LrcShift.h"

#include "../lyrics/TextRules.h"
#include "../lyrics/TimeValues.h"
#include "LrcStamps.h"

namespace tavelkor {

namespace {

QString Shifted(QChar open, const LrcStamp& stamp, int shiftMs) {
    return FormatLrcStamp(open, ShiftedTime(stamp.TimeMs, shiftMs), stamp.FractionDigits,
                          stamp.MinuteDigits, stamp.SecondDigits);
}

} // namespace

QString ShiftLrcText(int shiftMs, const QString& text) {
    return RewriteLines(text, [shiftMs](QStringView line) {
        const LrcLineHead head = ReadLrcLineHead(line);
        if (head.Stamps.isEmpty())
            return line.toString();
        QString out;
        out.reserve(line.size() + 16);
        qsizetype copied = 0;
        for (const PlacedLrcStamp& placed : head.Stamps) {
            out += line.mid(copied, placed.Position - copied);
            out += Shifted(u'[', placed.Stamp, shiftMs);
            copied = placed.Position + placed.Stamp.Length;
        }
        const QStringView body = line.mid(head.BodyBegin);
        ForEachLrcWordStamp(body, [&](const PlacedLrcStamp& placed) {
            const qsizetype at = head.BodyBegin + placed.Position;
            out += line.mid(copied, at - copied);
            out += Shifted(line[at], placed.Stamp, shiftMs);
            copied = at + placed.Stamp.Length;
        });
        out += line.mid(copied);
        return out;
    });
}

} // namespace tavelkor

#include "SamiShift.h"

#include "../lyrics/TextRules.h"
#include "../lyrics/TimeValues.h"
#include "SamiReader.h"

namespace tavelkor {

QString ShiftSamiText(int shiftMs, const QString& text) {
    return RewriteLines(text, [shiftMs](QStringView line) {
        const QString whole = line.toString();
        int start = 0;
        QString rest;
        if (!ParseSyncLine(whole, start, rest))
            return whole;
        return QStringLiteral("<SYNC Start=") + QString::number(ShiftedTime(start, shiftMs)) +
               u'>' + rest;
    });
}

} // namespace tavelkor

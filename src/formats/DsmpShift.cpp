#include "DsmpShift.h"

#include "../lyrics/TextRules.h"
#include "../lyrics/TimeValues.h"
#include "DsmpReader.h"
#include "DsmpWriter.h"

namespace tavelkor {

QString ShiftDsmpText(int shiftMs, const QString& text) {
    return RewriteLines(text, [shiftMs](QStringView line) {
        const std::optional<int> time = ReadDsmpTime(line);
        if (!time)
            return line.toString();
        QString shifted = FormatDsmpTime(ShiftedTime(*time, shiftMs));
        shifted += line.mid(10);
        return shifted;
    });
}

} // namespace tavelkor

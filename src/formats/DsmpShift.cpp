#include "DsmpShift.h"

#include "../lyrics/TextRules.h"
#include "../lyrics/TimeValues.h"
#include "DsmpReader.h"
#include "DsmpWriter.h"

#include <algorithm>

namespace tavelkor {

namespace {

// The latest time "##:##:###=" holds, 99:59.999: a later one would need a third digit of
// minutes, and the line would no longer read as timed.
constexpr int MaxDsmpTimeMs = 99 * 60000 + 59 * 1000 + 999;

} // namespace

QString ShiftDsmpText(int shiftMs, const QString& text) {
    return RewriteLines(text, [shiftMs](QStringView line) {
        const std::optional<int> time = ReadDsmpTime(line);
        if (!time)
            return line.toString();
        QString shifted = FormatDsmpTime(std::min(ShiftedTime(*time, shiftMs), MaxDsmpTimeMs));
        shifted += line.mid(10);
        return shifted;
    });
}

} // namespace tavelkor

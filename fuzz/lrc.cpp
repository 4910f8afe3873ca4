// LRC reading, writing, detection and the time shift on arbitrary text: a document read is in
// time order with no time below 0; what the writer makes of it (with word stamps) reads back as
// the same timed lines at the times it rounded them to; a shifted text keeps every line and
// what it says; a document read goes through re-timing and the TimeTag writer.
#include "base/Cp932.h"
#include "formats/LrcReader.h"
#include "formats/LrcShift.h"
#include "formats/LrcWriter.h"
#include "formats/LyricsFormat.h"
#include "lyrics/Adjustments.h"
#include "lyrics/TimeTagWriter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace tavelkor;

namespace {

// Every timed line as its time (rounded to `unitMs` as the writer rounds it: halves to even,
// never beyond 32 bits) and its text; aborts when a time is
// below 0 or the lines are out of time order.
QStringList Shown(const LyricsDocument& document, long long unitMs) {
    QStringList lines;
    long long latest = 0;
    for (const LyricsLine& line : document.Lines) {
        for (const KaraokeFragment& fragment : line.Fragments) {
            if (fragment.TimeMs < 0)
                std::abort(); // a time below 0
        }
        if (!line.HasTimeTag)
            continue;
        const long long ms = line.Fragments[0].TimeMs;
        if (ms < latest)
            std::abort(); // lines out of the order a player shows them
        latest = ms;
        long long units = ms / unitMs + (2 * (ms % unitMs) > unitMs);
        units += 2 * (ms % unitMs) == unitMs && units % 2 == 1;
        units -= units * unitMs > 2147483647LL;
        lines << QString::number(units * unitMs) + u' ' + line.PlainText;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5)
        return 0;
    int shift = 0;
    std::memcpy(&shift, data, 4);
    const bool karaoke = data[4] & 1, millis = data[4] & 2;
    const QString text = DecodeCp932(reinterpret_cast<const char*>(data + 5), qsizetype(size - 5));
    DetectTextFormat(text);
    if (std::optional<LyricsDocument> document = ReadLrcText(text, karaoke)) {
        const QString written = MakeLrcText(*document, {karaoke, millis, bool(data[4] & 4)});
        const std::optional<LyricsDocument> again = ReadLrcText(written, true);
        if (karaoke && (again || written.size() < 1000000) &&
            (!again || Shown(*again, 1) != Shown(*document, millis ? 1 : 10)))
            std::abort(); // what we write does not read back as the lines we had
        double ratio = data[4] & 8 ? 0.9953125 : 1;
        ApplyTimeCorrection(*document, ratio, -1);
        ComposeLyricsText(*document);
    }
    auto texts = [](const std::optional<LyricsDocument>& document) {
        QStringList out;
        for (const LyricsLine& line : document->Lines)
            out << QString::number(line.HasTimeTag) + line.PlainText;
        std::sort(out.begin(), out.end());
        return out;
    };
    const std::optional<LyricsDocument> before = ReadLrcText(text, false);
    const std::optional<LyricsDocument> after = ReadLrcText(ShiftLrcText(shift, text), false);
    if (before && after && texts(before) != texts(after))
        std::abort(); // the shift changed which lines are timed or what they say
    return 0;
}

#include "TimeTagShift.h"

#include "Ruby.h"
#include "TimeValues.h"

namespace tavelkor {

LyricsDocument ShiftLyricsDocument(const LyricsDocument& document, int shiftMs) {
    LyricsDocument result = document;
    if (shiftMs == 0)
        return result;
    for (LyricsLine& line : result.Lines) {
        if (!line.HasTimeTag)
            continue;
        for (KaraokeFragment& fragment : line.Fragments) {
            fragment.TimeMs = ShiftedTime(fragment.TimeMs, shiftMs);
            fragment.TagText = MsToTag(fragment.TimeMs);
        }
    }
    MapRubyTimes(result.Header.Ruby, [shiftMs](int ms) { return ShiftedTime(ms, shiftMs); });
    return result;
}

} // namespace tavelkor

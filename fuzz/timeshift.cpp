// The time-shift text functions on arbitrary text and amounts.
#include "tools/TimeShift.h"
#include "lyrics/Cp932.h"
#include "lyrics/TimeTagReader.h"

#include <cstring>

using namespace tavelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    int shift = 0;
    std::memcpy(&shift, data, 4);
    const QString text = DecodeCp932(reinterpret_cast<const char*>(data + 4), qsizetype(size - 4));
    ShiftSamiText(shift, text);
    ShiftDsmpText(shift, text);
    LyricsDocument document;
    document.Text = text;
    ParseLyricsText(document, false, true);
    ShiftLyricsDocument(document, shift);
    return 0;
}

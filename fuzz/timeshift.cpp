// The time-shift text functions on arbitrary text and amounts: every time of a timed TimeTag
// line is the old time plus the amount, held within 0 and the largest 32-bit value, and every SYNC
// time of shifted SAMI text reads back as 0 or more.
#include "base/Cp932.h"
#include "formats/DsmpShift.h"
#include "formats/SamiReader.h"
#include "formats/SamiShift.h"
#include "lyrics/TimeTagReader.h"
#include "lyrics/TimeTagShift.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

using namespace tavelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    int shift = 0;
    std::memcpy(&shift, data, 4);
    const QString text = DecodeCp932(reinterpret_cast<const char*>(data + 4), qsizetype(size - 4));

    const QString sami = ShiftSamiText(shift, text);
    for (const QString& line : sami.split(QStringLiteral("\r\n"))) {
        int startMs = 0;
        QString rest;
        if (ParseSyncLine(line, startMs, rest) && startMs < 0)
            std::abort(); // a shifted SAMI time below 0
    }
    ShiftDsmpText(shift, text);

    LyricsDocument document;
    document.Text = text;
    ParseLyricsText(document, false, true);
    const LyricsDocument shifted = ShiftLyricsDocument(document, shift);
    if (shifted.Lines.size() != document.Lines.size())
        std::abort();
    for (qsizetype l = 0; l < document.Lines.size(); ++l) {
        const auto& before = document.Lines[l].Fragments;
        const auto& after = shifted.Lines[l].Fragments;
        if (before.size() != after.size())
            std::abort();
        for (qsizetype f = 0; f < before.size(); ++f) {
            const long long moved = static_cast<long long>(before[f].TimeMs) + shift;
            const long long expected =
                document.Lines[l].HasTimeTag
                    ? std::clamp<long long>(moved, 0, std::numeric_limits<int>::max())
                    : before[f].TimeMs; // untimed lines keep what they have
            if (after[f].TimeMs != expected)
                std::abort(); // a shifted time that is not the old one moved and held in range
        }
    }
    return 0;
}

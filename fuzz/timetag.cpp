// TimeTag reading and writing on arbitrary bytes: parsing never fails, composing a parsed
// document and parsing the result again gives the same text (composing is idempotent), and the
// adjustments keep every time within the tag range.
#include "lyrics/Adjustments.h"
#include "lyrics/Cp932.h"
#include "lyrics/TextRules.h"
#include "lyrics/TimeTagReader.h"
#include "lyrics/TimeTagWriter.h"

#include <cstdlib>

using namespace tavelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LyricsDocument document;
    document.Text =
        UnifyLineEnds(DecodeCp932(reinterpret_cast<const char*>(data), qsizetype(size)));
    ParseLyricsText(document, size % 2 == 0, size % 3 == 0);
    bool changed = false;
    document = NormalizeKaraoke(document, changed);
    ComposeLyricsText(document);
    const QString once = document.Text;

    LyricsDocument again;
    again.Text = once;
    ParseLyricsText(again, false, false);
    ComposeLyricsText(again);
    if (again.Text != once)
        std::abort(); // composing a composed document must not change it

    QStringList unsung;
    MakePseudoKaraoke(again, unsung);
    MergeProgressiveLines(again);
    KaraokeToLineTop(again);
    double target = 1;
    ApplyTimeCorrection(again, target, int(size) - 100);
    return 0;
}

// TimeTag reading and writing on arbitrary bytes: parsing never fails, composing a parsed
// document and parsing the result again gives the same text (composing is idempotent), the
// karaoke repair leaves no time earlier than one before it, and re-timing leaves no time
// below 0. Readings ("@RubyN" lines) compose to what they read and stand within their lines.
#include "base/Cp932.h"
#include "lyrics/Adjustments.h"
#include "lyrics/Ruby.h"
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
    // (A document of one line is left as it is, as the program always did.)
    int latest = 0;
    for (const LyricsLine& line :
         document.LineCount() > 1 ? std::as_const(document.Lines) : QVector<LyricsLine>()) {
        for (qsizetype f = 1; f < line.Fragments.size(); ++f) {
            if (line.Fragments[f].TimeMs < latest)
                std::abort(); // an inversion the repair left
            latest = line.Fragments[f].TimeMs;
        }
    }
    // Every reading stands over its line's text, in order, none over another; a "@Ruby" line
    // read composes to a line that reads the same.
    for (const RubyEntry& entry : std::as_const(document.Header.Ruby)) {
        const auto again = ReadRubyDirective(ComposeRubyDirective(entry));
        if (!again || again->Base != entry.Base || again->Reading != entry.Reading ||
            again->StartMs != entry.StartMs || again->EndMs != entry.EndMs)
            std::abort();
    }
    for (int i = 0; i < document.LineCount(); ++i) {
        const LyricsLine& line = document.Lines[i];
        const int time = line.FragmentCount() > 0 ? line.Fragments[1].TimeMs : 0;
        qsizetype end = 0;
        for (const RubySpan& span : RubyFor(document, i, time)) {
            if (span.From < end || span.Length <= 0 ||
                span.From + span.Length > line.PlainText.size())
                std::abort(); // a reading outside its line or over another
            end = span.From + span.Length;
        }
    }
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
    for (const LyricsLine& line : std::as_const(again.Lines)) {
        for (const KaraokeFragment& fragment : line.Fragments) {
            if (fragment.TimeMs < 0)
                std::abort(); // re-timing went below 0
        }
    }
    return 0;
}

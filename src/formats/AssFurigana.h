// The furigana syntax of ASS karaoke templates read back: a syllable "base|reading".
#pragma once

#include "TimedLyrics.h"

namespace tavelkor {

// Turns every karaoke syllable "base|reading" of `lyrics` into its base with the reading over
// it, but only when the file uses the syntax throughout, so that a "|" of ordinary lyrics is
// not taken for one: at least one syllable holds a "|", every syllable that holds one holds
// exactly one with a base and a reading on either side, neither with a blank nor the
// templates' continuation mark "#" as base, and no line timed as a whole holds a "|".
// Otherwise the lyrics stay as they are. True when readings were taken.
bool TakeAssFurigana(TimedLyrics& lyrics);

// The readings of a karaoke-template file's sung lines, where every "|" of a syllable is the
// templates' mark: "base|reading" (a "<" opening the reading only lets it spread over the
// syllables before) puts the reading over the base, and a syllable "#|reading" (or "#")
// goes on with the base before it, sung as a part of its syllable, its reading added to that
// base's. A base with no reading is plain text.
void TakeTemplateFurigana(TimedLyrics& lyrics);

} // namespace tavelkor

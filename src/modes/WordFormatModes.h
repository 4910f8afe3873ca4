// Mode 11 (TimeTag -> the word-timed caption formats) and mode 12 (those formats -> TimeTag).
#pragma once

#include "../app/ModeInfo.h"
#include "../base/TextEncoding.h"
#include "../formats/WordFormats.h"

namespace tavelkor {

struct Settings;

// How mode 11 writes the formats: the T2X settings (and T2S's number of lines for ASS), and
// each format's encoding: ASS in UTF-8 with a BOM (as the subtitle editors write it), the
// others in UTF-8.
WordFormatOptions WordFormatOptionsOf(const Settings& settings);
TextEncoding WordFormatEncoding(WordFormat format);

// Reads TimeTag files as the TimeTag-to-SAMI mode does (every time real time) and writes each
// format that T2X/Formats names beside the source or into the output folder, ASS in UTF-8 with
// a BOM and the others in UTF-8. One result per file: a format that could not be written is
// named with its code in the note and gives the file its code; the others are still written.
void TimeTagToWordFormats(const ModeInfo& mode, BatchState& state, Settings& settings,
                          RunQuestions& questions);
// Reads ASS, TTML, WebVTT or SRT files (recognised by content, the extension a hint) and writes
// TimeTag: word timing becomes karaoke tags (only the line's start without X2T/Karaoke), re-timed
// to the default ratio as the SAMI-to-TimeTag mode does. NotTargetFile for a file none reads.
void WordFormatsToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                          RunQuestions& questions);

} // namespace tavelkor

// The steps that the TimeTag-to-caption modes and the caption-to-TimeTag modes share.
#pragma once

#include "../app/BatchFrame.h"
#include "../app/ModeInfo.h"
#include "../lyrics/LyricsDocument.h"

#include <atomic>
#include <functional>
#include <optional>

namespace tavelkor {

// Turns a TimeTag document as read into the one the SAMI and DSMP writers show: repairs time
// inversions, settles the time ratio (from the header, else `defaultRatio`) and re-times
// every fragment to real milliseconds (ratio 1, the offset folded in, the start silence left
// as it is). The preview computes its times with this too, so it shows what a player shows.
// With `keepLineEnds` a line's end tag keeps its time where a later line starts before it:
// the caption formats show such lines at once (duets, translations), where SAMI cannot.
void ToRealTimes(LyricsDocument& document, double defaultRatio, bool keepLineEnds = false);

// Reads a TimeTag file for the SAMI and DSMP writers: repairs time inversions, settles the
// time ratio (from the header, else `defaultRatio`) and re-times every fragment to real
// milliseconds, then hands the document to `write`. NotTargetFile when the file carries no
// time tag, or when its display would not be lyrics-sized (`write` gives nothing).
ConvertedText
ConvertFromTimeTag(const QString& path, double defaultRatio, EncodingChoice encoding,
                   const std::function<std::optional<QString>(LyricsDocument&)>& write,
                   bool keepLineEnds = false);

// Re-times a document read from a real-time format (ratio 1) to `defaultRatio` when that is
// below 1; the caller composes it afterwards. A default ratio below 0 re-times as 1;
// `ratioBecameOne` is then set, so the caller can let the setting read 1 afterwards, as the
// re-timing leaves the variable it is given.
void RetimeToDefaultRatio(LyricsDocument& document, double defaultRatio,
                          std::atomic<bool>& ratioBecameOne);

// Reads a SAMI or DSMP file with `read`, re-times it to the default ratio
// (RetimeToDefaultRatio), merges growing lines into karaoke lines when `karaoke` is on, and
// composes the TimeTag text. EmptyFile when the file is empty or cannot be read.
ConvertedText ConvertToTimeTag(const QString& path, LyricsDocument (*read)(const QString&),
                               double defaultRatio, bool karaoke, EncodingChoice encoding,
                               std::atomic<bool>& ratioBecameOne);

// Converts one file of a to-TimeTag mode with the default ratio, reporting through
// `ratioBecameOne` as RetimeToDefaultRatio does.
using ToTimeTagConverter = std::function<ConvertedText(const QString& path, double defaultRatio,
                                                       std::atomic<bool>& ratioBecameOne)>;

// Runs a mode that converts to TimeTag with `convert`.
void RunToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                  const ToTimeTagConverter& convert);
// Makes a document of a file's decoded text (`path` for what its name hints); nothing when the
// text is not of the mode's format.
using TextToDocument =
    std::function<std::optional<LyricsDocument>(const QString& text, const QString& path)>;
// Runs a mode that reads a text format into TimeTag: each file's text is read through the one
// decoder (EmptyFile when it is empty or cannot be read), made a document by `read`
// (NotTargetFile when it gives none), re-timed to the default ratio and composed. With
// `captionEncodings` the text is decoded by the caption formats' rule (DecodeCaptionText): a
// Windows-1252 file is said so in its result, and one with bytes no encoding reads is refused
// (NotTargetFile) with a note rather than converted with characters lost.
void RunTextToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                      const TextToDocument& read, bool captionEncodings = false);
// Runs a SAMI or DSMP to TimeTag mode with `read`.
void RunToTimeTag(const ModeInfo& mode, BatchState& state, Settings& settings,
                  LyricsDocument (*read)(const QString&), bool karaoke);

} // namespace tavelkor

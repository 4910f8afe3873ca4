// Reading WebVTT and SubRip (SRT) captions as timed lyrics.
#pragma once

#include "TimedLyrics.h"

#include <QStringView>
#include <optional>

namespace tavelkor {

// A WebVTT file: after the "WEBVTT" line, every cue is a line (identifiers, cue settings,
// NOTE, STYLE and REGION blocks are passed over). Inline timestamps "<mm:ss.mmm>" start words
// (held within the cue's time and never before the word before); other tags are dropped, ruby
// readings (<rt>) with them, and entities are decoded. The lines of a cue's text are joined
// by a blank. Nothing when the text does not start with "WEBVTT" or holds no cue.
std::optional<TimedLyrics> ReadVttText(QStringView text);

// An SRT file: every block with a "start --> end" line is a line, its text lines joined by a
// blank, HTML-like tags and "{\...}" blocks dropped. Nothing when there is no cue.
std::optional<TimedLyrics> ReadSrtText(QStringView text);

// "start --> end" (the rest of the line after the end is cue settings); nothing for any other
// line.
std::optional<std::pair<int, int>> ParseCueTiming(QStringView line);

} // namespace tavelkor

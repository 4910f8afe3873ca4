// Opening any lyrics file in the timing editor and saving the result as TimeTag.
#pragma once

#include "../base/TextEncoding.h"
#include "../formats/LyricsFormat.h"
#include "TimingDocument.h"

#include <QString>

namespace tavelkor {

struct TimingSource {
    QString Path;
    LyricsFormat Format = LyricsFormat::Unknown; // Unknown: plain text without time tags
    TextEncoding Encoding = TextEncoding::Cp932;
    // How the file ends its lines (LyricsSource::LineEnd).
    QString LineEnd = CrLf;
    TimingDocument Document;
    QString Error; // why the file cannot be opened; empty when it can
};

// Reads plain text, TimeTag, LRC, SAMI or DSMP once (ReadLyricsSource), with the times made
// real as the preview makes them (`defaultRatio` for TimeTag files that state no
// ratio).
TimingSource LoadTimingSource(const QString& path, EncodingChoice choice, double defaultRatio,
                              const SplitRules& rules);

// Where Ctrl+S saves: the file itself when it was TimeTag or plain text, otherwise a TimeTag
// file of the same base name with ".txt" beside it (for a ".txt" LRC or DSMP file,
// "name.timetag.txt").
QString TimingSavePath(const TimingSource& source);
// True when saving writes the source file itself.
bool SavesInPlace(const TimingSource& source);

// Writes the text (lines ended with CR LF) to `path` in `encoding` (byte order mark kept), each
// line ended with `lineEnd`, through a temporary file renamed over it. False when nothing was
// written; `replaced` counts the characters the encoding could not hold.
bool SaveTimingText(const QString& path, const QString& text, TextEncoding encoding,
                    QStringView lineEnd, int& replaced);

} // namespace tavelkor

// The lyrics a preview shows and the song it plays: a lyrics file read by the readers of the
// modes, its times made real as the SAMI writer makes them, and the song beside it.
#pragma once

#include "../audio/SongBeside.h"
#include "../formats/LyricsFormat.h"
#include "../formats/LyricsSource.h"
#include "../lyrics/LyricsDocument.h"

#include <QString>

namespace tavelkor {

// A lyrics file as read, before any re-timing.
struct PreviewSource {
    QString Path;
    LyricsFormat Format = LyricsFormat::Unknown;
    LyricsDocument Document;
    TextEncoding Encoding = TextEncoding::Cp932;
    QString Error; // why the file cannot be previewed; empty when it can
};

// Finds the file's format as the time shift does (DetectLyricsFormat) and reads it with that
// format's reader: TimeTag as the SAMI mode reads it (line order normalised, short tags
// expanded), SAMI and DSMP whole. A file that is missing, unreadable, of no known format or
// without a single timed line gets an Error for the user.
PreviewSource LoadPreviewDocument(const QString& path, EncodingChoice choice);
// The same checks on a file already read.
PreviewSource PreviewSourceOf(LyricsSource&& file);

// The document the display shows, in real milliseconds, with the lyrics moved by `nudgeMs`
// exactly as saving the nudge with the time shift would move them and the SAMI mode would
// then read them: TimeTag tags move (held at 0 and 99:59.99) before the ratio, offset and
// inversion repair of the SAMI mode apply (`defaultRatio` when the file states no ratio);
// SAMI and DSMP times are real already and move held at 0 and the largest 32-bit value.
// With `karaoke`, SAMI and DSMP captions whose text grows (the steps a karaoke conversion
// wrote) become one karaoke line again, their times kept to the millisecond.
LyricsDocument PreviewTimes(const PreviewSource& source, int nudgeMs, double defaultRatio,
                            bool karaoke);

} // namespace tavelkor

// A lyrics file read once: its bytes decoded as the encoding setting says, its format found,
// its document read by that format's reader, and the facts about the file that saving it again
// keeps (encoding, byte order mark, line ends). The preview and the timing editor open files
// through it.
#pragma once

#include "../lyrics/LyricsDocument.h"
#include "LyricsFormat.h"

#include <QString>

namespace tavelkor {

struct LyricsSource {
    QString Path;
    bool Exists = false;     // a regular file is there
    bool ReadFailed = false; // it is there but could not be read: nothing else is set
    LyricsFormat Format = LyricsFormat::Unknown;
    TextEncoding Encoding = TextEncoding::Cp932; // Utf8Bom: UTF-8 behind a byte order mark
    QString EncodingReason;
    // How the file ends its lines (its first line end): LF, CR or CR LF; CR LF when it has none.
    QString LineEnd = CrLf;
    QString Text; // the decoded text, line ends as in the file
    // TimeTag as the SAMI mode reads it (line order normalised, short tags expanded); SAMI and
    // DSMP whole; LRC with its word stamps as karaoke fragments; empty for Unknown.
    LyricsDocument Document;
};

// Reads the file at `path` once; the format is judged as DetectLyricsFormat judges it.
LyricsSource ReadLyricsSource(const QString& path, EncodingChoice choice);

} // namespace tavelkor

// The song that lies beside a lyrics file.
#pragma once

#include <QString>

namespace tavelkor {

// The song of a lyrics file, for the preview, the timing editor and the karaoke video alike:
// the .mp3, else the .rmp, of the same base name beside it, as the TimeTag mode finds it; else
// the first of .flac, .ogg, .opus, .m4a and .wav of that name. For MP3 and RMP, `Offset` and `Length` give the
// MPEG data inside: past a MacBinary header (the data fork) and, in an RMP file, the RIFF
// "data" chunk; the other formats are the whole file (Length -1). Path is empty when there is
// no song; Error says why a song that is there cannot be played.
struct PreviewSong {
    QString Path;
    qint64 Offset = 0;
    qint64 Length = 0;
    bool WholeFile = true; // the MPEG data is the whole file: it plays as it is
    QString Error;
};
PreviewSong FindPreviewSong(const QString& lyricsPath);
// The song at `songPath` as FindPreviewSong gives it: for an .mp3 or .rmp file where its MPEG
// data lies, any other file whole.
PreviewSong SongAt(const QString& songPath);

} // namespace tavelkor

#include "TimingSong.h"

#include "../base/PathHelpers.h"
#include "../base/TextFile.h"

namespace tavelkor {

PreviewSong FindTimingSong(const QString& lyricsPath) {
    PreviewSong song = FindPreviewSong(lyricsPath);
    if (!song.Path.isEmpty())
        return song;
    const QString stem = AddTrailingBackslash(FolderOf(lyricsPath)) + BaseNameOf(lyricsPath);
    for (const char* extension : {".flac", ".ogg", ".opus", ".m4a", ".wav"}) {
        const QString path = stem + QString::fromLatin1(extension);
        if (FileExists(path)) {
            song.Path = path;
            song.Offset = 0;
            song.Length = -1;
            song.WholeFile = true;
            return song;
        }
    }
    return song;
}

std::shared_ptr<const DecodedSong> DecodeTimingSong(const PreviewSong& song) {
    if (!song.Error.isEmpty()) {
        auto failed = std::make_shared<DecodedSong>();
        failed->Error = song.Error;
        return failed;
    }
    return std::make_shared<DecodedSong>(
        DecodeSong(song.Path, song.Offset, song.WholeFile ? -1 : song.Length));
}

} // namespace tavelkor

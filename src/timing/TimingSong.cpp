#include "TimingSong.h"

#include "../audio/Vbmp3.h"
#include "../base/PathHelpers.h"
#include "SongDecoder.h"

namespace tavelkor {

void TakeSongNames(LyricsHeader& header, const PreviewSong& song) {
    if (song.Path.isEmpty() || !song.Error.isEmpty())
        return;
    QString title, artist, album;
    const QString extension = ExtensionOf(song.Path).toLower();
    if (extension == u"mp3" || extension == u"rmp") {
        TagInfoRecord tags;
        MpegInfoRecord mpeg;
        InfoListRecord infoList;
        if (vbmp3_getFileInfo2(song.Path, tags, mpeg, infoList) == 0)
            return;
        auto pick = [](const QString& info, const QString& tag) {
            return info.isEmpty() ? tag : info;
        };
        title = pick(AnsiToText(infoList.Texts[0]), AnsiToText(tags.Title));
        artist = pick(AnsiToText(infoList.Texts[1]), AnsiToText(tags.Artist));
        album = pick(AnsiToText(infoList.Texts[2]), AnsiToText(tags.Album));
    } else {
        const SongNames names = ReadSongNames(song.Path);
        title = names.Title;
        artist = names.Artist;
        album = names.Album;
    }
    auto take = [](QString& field, const QString& value) {
        if (field.isEmpty())
            field = value;
    };
    take(header.Title, title);
    take(header.Artist, artist);
    take(header.Album, album);
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

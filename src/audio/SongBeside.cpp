#include "SongBeside.h"

#include "../base/PathHelpers.h"
#include "../base/TextFile.h"
#include "AudioFileReader.h"
#include "CompanionAudioFile.h"
#include "MacBinary.h"
#include "RiffFile.h"

#include <algorithm>

namespace tavelkor {

PreviewSong FindPreviewSong(const QString& lyricsPath) {
    PreviewSong song;
    song.Path = CompanionAudioFile(lyricsPath);
    if (song.Path.isEmpty()) {
        // The formats people keep next to LRC files play as they are.
        const QString stem = AddTrailingBackslash(FolderOf(lyricsPath)) + BaseNameOf(lyricsPath);
        for (const char* extension : {".flac", ".ogg", ".opus", ".m4a", ".wav"}) {
            const QString path = stem + QString::fromLatin1(extension);
            if (FileExists(path)) {
                song.Path = path;
                song.Length = -1;
                return song;
            }
        }
        return song;
    }
    return SongAt(song.Path);
}

PreviewSong SongAt(const QString& songPath) {
    PreviewSong song;
    song.Path = songPath;
    const QString extension = ExtensionOf(songPath).toLower();
    if (extension != u"mp3" && extension != u"rmp") {
        song.Length = -1;
        return song;
    }
    AudioFileReader file;
    if (!file.Open(song.Path)) {
        song.Error = QStringLiteral(u"曲ファイルを読めません：") + song.Path;
        return song;
    }
    qint64 begin = 0;
    qint64 end = file.Size();
    const MacBinaryLayout wrapper = ReadMacBinary(file);
    if (wrapper.Damaged) {
        song.Error = QStringLiteral(u"曲ファイルのMacBinaryヘッダーが壊れています：") + song.Path;
        return song;
    }
    if (wrapper.Present) {
        begin = wrapper.DataForkOffset;
        end = wrapper.DataForkOffset + wrapper.DataForkLength;
    }
    if (file.Read(begin, 4) == QByteArrayLiteral("RIFF")) {
        const RiffLayout riff = ReadRiffLayout(file, begin, end);
        if (riff.DataChunk < 0) {
            song.Error = QStringLiteral(u"RMPファイルにMPEGデータがありません：") + song.Path;
            return song;
        }
        const RiffChunk& data = riff.Chunks[riff.DataChunk];
        begin = data.DataOffset();
        end = std::min(data.DataEnd(), end);
    }
    song.Offset = begin;
    song.Length = std::max<qint64>(0, end - begin);
    song.WholeFile = begin == 0 && end == file.Size();
    return song;
}

} // namespace tavelkor

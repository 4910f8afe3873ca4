// Decoding a song to samples with FFmpeg's libraries: MP3 (also the MPEG data inside an RMP or
// MacBinary file), FLAC, Ogg Vorbis, Opus, M4A and WAV, to two channels of float samples at the
// song's own rate.
#pragma once

#include <QString>
#include <vector>

namespace tavelkor {

struct DecodedSong {
    int SampleRate = 0;
    std::vector<float> Left;
    std::vector<float> Right;
    QString Error; // why the song cannot be played; empty when it decoded

    qint64 Frames() const { return qint64(Left.size()); }
    qint64 DurationMs() const { return SampleRate > 0 ? Frames() * 1000 / SampleRate : 0; }
};

// The title, artist and album of a song's tags as FFmpeg reads them ("" for what is missing).
struct SongNames {
    QString Title;
    QString Artist;
    QString Album;
};
SongNames ReadSongNames(const QString& path);

// Decodes the bytes `offset` .. `offset + length` of the file (all of it when length < 0).
DecodedSong DecodeSong(const QString& path, qint64 offset = 0, qint64 length = -1);

} // namespace tavelkor

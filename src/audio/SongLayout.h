// What the MP3 library finds when it looks at a song file: its kind (the AudioFileFlags), where
// the song, its frames and its tags lie, and the Lyrics3 lyrics embedded in it.
#pragma once

#include "AudioFileReader.h"
#include "AudioTail.h"
#include "Id3Tags.h"
#include "Lyrics3Block.h"
#include "MacBinary.h"
#include "RiffFile.h"
#include "Vbmp3.h"

namespace tavelkor {

struct SongLayout {
    AudioFileFlags Flags = 0;
    qint64 FileSize = 0;
    MacBinaryLayout MacBinary;
    qint64 Begin = 0; // the song: the whole file, or the data fork of a MacBinary file
    qint64 End = 0;
    bool Rmp = false;
    RiffLayout Riff;
    AudioTail Tail;         // the blocks after the frames of an MP3 file
    qint64 TagsBegin = 0;   // where an ID3v2 tag may start: the song or its "data" chunk
    qint64 AudioStart = -1; // the first MPEG frame
    qint64 AudioEnd = 0;    // the end of the frames: the tail, or the end of the "data" chunk
    bool LyricsFound = false;
    Lyrics3Content Lyrics; // plain ILYC text comes as one LYR field of version 0
};

inline bool Has(AudioFileFlags flags, AudioFileFlags bits) { return (flags & bits) != 0; }

inline QByteArray UpToNul(const QByteArray& bytes) {
    const qsizetype end = bytes.indexOf('\0');
    return end < 0 ? bytes : bytes.left(end);
}

// The ID of the INFO sub-chunk that holds the lyrics of an RMP file.
inline constexpr char IlycId[] = "ILYC";

// Examines the song in the open file.
SongLayout Examine(AudioFileReader& file);

// Opens the file for reading and examines it, after putting back a change to it that was cut
// short. False when the file cannot be examined at all.
bool OpenSong(const QString& path, AudioFileReader& file, SongLayout& layout);

// The whole ID3v2 tag in front of the audio, or an empty array when there is none (or its
// size points past the song).
QByteArray ReadFrontTag(AudioFileReader& file, const SongLayout& layout);

// The tags of the ID3v2 tag in front of the audio, if there is a readable one.
SongTags ReadFrontTags(AudioFileReader& file, const SongLayout& layout);

// The ID3v1 tag (with TAG+) at the end of an MP3, or the IID3 copy of an RMP file.
SongTags ReadEndTags(AudioFileReader& file, const SongLayout& layout);

} // namespace tavelkor

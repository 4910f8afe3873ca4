// The changes the MP3 library makes to a song: the new end of an MP3 file or the new LIST/INFO
// chunk of an RMP file, with or without a Lyrics3 block, and applying such a change safely.
#pragma once

#include "SongLayout.h"
#include "TailRewrite.h"

namespace tavelkor {

// The stored lyrics: the 60000-byte argument up to its first NUL, without the blanks that
// fill it up. False when they cannot be stored in a Lyrics3 field (more than 99999 bytes, or
// a 0xFF byte, which the format does not allow and CP932 text never holds).
bool LyricsToStore(const QByteArray& argument, QByteArray& text);

// The record's four texts are the extended title, artist and album and the author.
struct RecordField {
    const char* id;
    QByteArray text;
};
QVector<RecordField> RecordTexts(const Lyrics3InfoRecord& info);

// IND and LYR first, then the record's non-empty texts, then the other fields of the block
// being replaced.
QVector<Lyrics3Field> NewLyricsFields(const Lyrics3InfoRecord& info, const QByteArray& text,
                                      const Lyrics3Content& old);

// The new end of an MP3 file: APE tags, the lyrics block (none to delete), TAG+, ID3v1. A
// file without an ID3v1 tag that gets lyrics gets one made from its ID3v2 tag.
bool Mp3Change(AudioFileReader& file, const SongLayout& layout, const QByteArray& lyricsBlock,
               TailChange& change);

// The new LIST/INFO chunk of an RMP file with the ILYC data (none to delete), the chunks
// after it unchanged, and the RIFF size updated.
bool RmpChange(AudioFileReader& file, const SongLayout& layout, const QByteArray& ilyc,
               TailChange& change);

// The change of the Lyrics3 lyrics of a song: `block` is the new Lyrics3 block, or empty to
// delete the lyrics.
bool LyricsChange(AudioFileReader& file, const SongLayout& layout, const QByteArray& block,
                  TailChange& change);

// A change must not make the song read as something else at its new size: a song that starts
// with bytes that look like an unsigned MacBinary header would turn into a wrapper whose size
// happens to match, and its lyrics and audio would no longer be found. `start` is the file's
// first MacBinaryProbeLength bytes after the change.
bool KeepsItsKind(const QByteArray& start, qint64 newSize);

// Applies a change to the song examined in `file` (closed first, as the change reopens it).
bool ApplyChange(const QString& path, AudioFileReader& file, const SongLayout& layout,
                 const TailChange& change);

} // namespace tavelkor

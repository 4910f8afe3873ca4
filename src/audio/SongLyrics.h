// Lyrics in a song beside the Lyrics3 block of the library interface (Vbmp3.h): the ID3v2
// lyrics frames USLT and SYLT in the tag at the start of an MP3 file, which today's players
// read, written in the same change as the Lyrics3 block.
//
// RMP files keep their lyrics in the RIFF chunk only. The players that read RMP files take the
// lyrics from there; an ID3v2 tag cannot stand in front of a RIFF file (it would no longer be
// one), and inside the "data" chunk it would be played as audio by them; and the players and
// taggers that read SYLT and USLT do not open RMP files.
#pragma once

#include "Id3Lyrics.h"
#include "Vbmp3.h"

namespace tavelkor {

// vbmp3_setFileLyrics3InfoVB (the same refusals, the same Lyrics3 block) that also puts
// `frames` into the ID3v2 tag of an MP3 file when given (nullptr: the file changes exactly as
// vbmp3_setFileLyrics3InfoVB changes it). Both go in at once or not at all: when the new tag
// fits in the old tag's bytes, tag and end are changed in place under one undo journal;
// otherwise the song is rewritten into a new file renamed over it (SongRewrite.h). False, with
// the file as it was, also when the ID3v2 tag cannot be changed (Id3TagEdit::Unusable).
bool EmbedSongLyrics(const QString& path, const Lyrics3InfoRecord& info, const QByteArray& lyrics,
                     const Id3LyricsFrames* frames);

// The lyrics frames of an MP3 file's ID3v2 tag, chosen as ReadLyricsFrames chooses; SYLT
// times counted in MPEG frames come back in milliseconds (with the samples per frame and the
// sampling rate of the song's first frame). Nothing for an RMP, damaged or unreadable file.
FoundId3Lyrics ReadSongId3Lyrics(const QString& path, const QByteArray& language);

// Removes one lyrics frame from an MP3 file's ID3v2 tag, in place (the tag keeps its size).
// False, with the file as it was, when it is not there or the file cannot be changed (the
// refusals of vbmp3_delFileLyrics3Info).
bool DeleteSongId3Lyrics(const QString& path, const Id3LyricsFrameRef& frame);

} // namespace tavelkor

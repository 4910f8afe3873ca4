// The lyrics frames of an ID3v2 tag: USLT (the lyrics text) and SYLT (texts with the times at
// which they are sung), which today's players, taggers and phones show. Read and made through
// TagLib.
//
// Changing them changes nothing else in the tag: every other frame keeps its bytes (TagLib's
// own tag writer would drop frames it does not carry over, such as ID3v2.3 RVAD and EQUA), and
// the tag keeps its version. The new frames go first, in front of the others, so that a reader
// that stops at a broken frame further on still finds them. In the new tag the frames are not
// unsynchronised (ID3v2.2 and 2.3 tags that were are decoded first), and an extended header
// (whose checksum and padding size would no longer match) and a footer are left out; an ID3v2.4
// tag marked unsynchronised keeps the mark, and its new frames are unsynchronised frame by
// frame. Bytes after the frames that are neither a frame TagLib can read nor padding are kept
// at the very end of the tag, behind padding, where no reader takes them for a frame.
#pragma once

#include "../formats/SyncedLyrics.h"

#include <QByteArray>
#include <QString>

namespace tavelkor {

// The lyrics frames to write: both in the given language with an empty description, the text
// in UTF-16. An empty text or list writes no such frame; either way the frames of the same
// kind, language and description that were there go.
struct Id3LyricsFrames {
    QByteArray Language; // three letters, ISO 639-2 ("jpn")
    QString Unsynced;    // USLT
    SyncedLyrics Synced; // SYLT: content type lyrics, times in milliseconds
};

// One lyrics frame of a tag: which kind, and which of the frames of that kind with its
// language and description (the first is 0).
struct Id3LyricsFrameRef {
    bool Synced = false;
    QByteArray Language;
    QString Description;
    int Index = 0;
};

// The lyrics frames a reader chooses from a tag: of each kind the one in the given language
// with an empty description, else (SYLT) the first of content type lyrics, else the first.
struct FoundId3Lyrics {
    bool HasSynced = false;
    SyncedLyrics Synced;            // in the frame's order
    bool TimesInMpegFrames = false; // the SYLT counts MPEG frames instead of milliseconds
    Id3LyricsFrameRef SyncedFrame;
    bool HasUnsynced = false;
    QString Unsynced;
    Id3LyricsFrameRef UnsyncedFrame;
};

enum class Id3TagEdit {
    Unchanged, // the tag already reads so: nothing to write
    Changed,   // the new tag
    Unusable,  // the tag cannot be taken apart (an unknown version, a compressed ID3v2.2
               // tag, an extended header that does not fit), or the new one cannot be made
};

// The tag with the lyrics frames put in. `tag` is the whole old tag (header, frames, padding
// and footer), or empty for a song without one, which gets an ID3v2.3 tag. When the new tag
// fits in the old one's bytes it takes exactly as many bytes (the rest is padding); otherwise
// it gets padding for the frames to grow by half, at least 4 KB, and is longer than the old
// one by a whole number of 4 KB blocks (which file systems insert without moving the audio).
Id3TagEdit PutLyricsFrames(const QByteArray& tag, const Id3LyricsFrames& frames,
                           QByteArray& newTag);

// The tag without one lyrics frame, as long as the old one. Unchanged when the frame is not
// there.
Id3TagEdit RemoveLyricsFrame(const QByteArray& tag, const Id3LyricsFrameRef& frame,
                             QByteArray& newTag);

// The lyrics frames of a tag, choosing as FoundId3Lyrics says. Texts stored as ISO-8859-1 are
// read as Id3FieldText reads them.
FoundId3Lyrics ReadLyricsFrames(const QByteArray& tag, const QByteArray& language);

// True for a language code a frame can carry: three ASCII letters.
bool IsLanguageCode(const QByteArray& language);

} // namespace tavelkor

// The song information of ID3 tags: the ID3v2 tag in front of the audio (read through TagLib),
// the 128-byte ID3v1 tag at the end and the TAG+ block before it.
#pragma once

#include <QByteArray>
#include <QString>
#include <taglib/tstring.h>

namespace tavelkor {

inline constexpr qint64 Id3v1Length = 128;
inline constexpr qint64 TagPlusLength = 227;
inline constexpr int Id3v1NoGenre = 255;

// Song information as CP932 bytes, each text without NUL and trailing blanks.
struct SongTags {
    bool Found = false; // a tag supplied the values
    QByteArray Title;
    QByteArray Artist;
    QByteArray Album;
    QByteArray Year;
    QByteArray Comment;
    int Genre = Id3v1NoGenre; // the ID3v1 genre number, 255 when there is none
    QByteArray GenreText;
};

// The whole length of the ID3v2 tag whose first 10 bytes are `head` (header, frames, padding
// and footer), or -1 when they are not an ID3v2 header.
qint64 Id3v2TagLength(const QByteArray& head);

// The text of a string field of an ID3v2 frame stored in `encoding` (TagLib's String::Type,
// held as a number: TagLib passes on an encoding byte that names no encoding as it is). A field
// stored as ISO-8859-1 holds CP932 bytes in practice (Japanese taggers put them there), or
// UTF-8 bytes from tools that ignore the encoding byte: bytes that are valid UTF-8 and not all
// ASCII are read as UTF-8, all others as CP932.
QString Id3FieldText(const TagLib::String& text, int encoding);

// Reads title, artist, album, year, comment and genre from a whole ID3v2 tag as CP932 bytes:
// texts stored as ISO-8859-1 keep their bytes, unless they are UTF-8 (see Id3FieldText), which
// is encoded to CP932 like every Unicode text. False when the bytes hold no tag TagLib can
// read.
bool ReadId3v2Tags(const QByteArray& tag, SongTags& tags);

// True when the 128 bytes are an ID3v1 tag ("TAG"), and the 227 bytes a TAG+ block ("TAG+").
bool IsId3v1(const QByteArray& bytes);
bool IsTagPlus(const QByteArray& bytes);

// Reads an ID3v1 tag; `tagPlus` is the TAG+ block before it or empty. Title, artist and album
// continue into the TAG+ block when their ID3v1 field is full.
SongTags ReadId3v1(const QByteArray& tag, const QByteArray& tagPlus = QByteArray());

// A 128-byte ID3v1 tag with title, artist, album and year of `tags` (each cut on a character
// boundary to its field) and no genre.
QByteArray BuildId3v1(const SongTags& tags);

} // namespace tavelkor

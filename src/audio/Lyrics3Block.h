// Lyrics3 blocks, the lyrics that MP3 players look for just before the ID3v1 tag.
//
// v2.00: "LYRICSBEGIN", fields, the block size as 6 digits, "LYRICS200". A field is a 3-letter
// ID, its data length as 5 digits and the data. The size counts from "LYRICSBEGIN" to the end
// of the last field, so the whole block takes size + 15 bytes.
// v1 (read only): "LYRICSBEGIN", at most 5100 bytes of text, "LYRICSEND".
#pragma once

#include <QByteArray>
#include <QVector>

namespace tavelkor {

struct Lyrics3Field {
    QByteArray Id; // three letters: IND, LYR, INF, AUT, EAL, EAR, ETT, IMG, ...
    QByteArray Data;
};

struct Lyrics3Content {
    int Version = 0;              // 1 or 2
    QVector<Lyrics3Field> Fields; // a v1 block holds one LYR field with its text
    // The field with this ID, or nullptr.
    const Lyrics3Field* Find(const char* id) const;
};

inline constexpr char Lyrics3Begin[] = "LYRICSBEGIN";
inline constexpr char Lyrics3v2End[] = "LYRICS200";
inline constexpr char Lyrics3v1End[] = "LYRICSEND";
inline constexpr qsizetype Lyrics3KeywordLength = 11;   // "LYRICSBEGIN"
inline constexpr qsizetype Lyrics3EndLength = 9;        // "LYRICS200", "LYRICSEND"
inline constexpr qsizetype Lyrics3v2TrailerLength = 15; // size digits + "LYRICS200"
inline constexpr int Lyrics3FieldMaxBytes = 99999;
inline constexpr int Lyrics3v1MaxTextBytes = 5100;

// The whole length of the v2.00 block that `trailer` (its last 15 bytes) ends, or -1 when they
// are not 6 digits and "LYRICS200" or give a size too small to hold "LYRICSBEGIN".
qint64 Lyrics3v2BlockLength(const QByteArray& trailer);

// Reads a whole v2.00 block, "LYRICSBEGIN" through "LYRICS200". False when the block does not
// start with "LYRICSBEGIN" or its fields do not fill it exactly (a field length that points
// past the block, an ID that is not three capital letters, a length that is not 5 digits).
bool ParseLyrics3v2(const QByteArray& block, Lyrics3Content& content);

// The start of the v1 block in `bytes`, which end with "LYRICSEND" and hold at most the
// 5100 + 11 bytes before it: the last "LYRICSBEGIN" there. -1 when there is none.
qsizetype FindLyrics3v1Begin(const QByteArray& bytes);

// A v2.00 block holding the fields in the order given. Empty when it cannot be written: an ID
// that is not three capital letters, a field longer than 99999 bytes.
QByteArray BuildLyrics3v2(const QVector<Lyrics3Field>& fields);

} // namespace tavelkor

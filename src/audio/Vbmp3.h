// The MP3 library: file kind, song information and embedded lyrics of MP3 and RMP (MP3 in
// RIFF) files. Our own implementation of the interface the program was designed around: the
// same functions, records, flags and 60000-byte buffers, written from the public formats
// (MPEG audio frames, ID3v1/v2, APE, Lyrics3 v1/v2, RIFF, MacBinary).
//
// Texts in the records and buffers are CP932 bytes, NUL-padded; a text ends at its first NUL.
// Results other than AudioFileFlags are 16-bit; zero means failure.
#pragma once

#include "../base/Cp932.h"
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace tavelkor {

// The result of vbmp3_getFileType: -1 when the file cannot be examined at all, otherwise an
// OR of these bits.
using AudioFileFlags = int32_t;
inline constexpr AudioFileFlags AudioFileUnreadable = -1;
inline constexpr AudioFileFlags AudioNotMpeg = 0x01;   // no MPEG audio: no lyrics, no silence scan
inline constexpr AudioFileFlags AudioRmp = 0x02;       // RMP file; MPEG data from byte offset 20
inline constexpr AudioFileFlags AudioDamaged = 0x04;   // size fields that lie: no lyrics, no scan
inline constexpr AudioFileFlags AudioMacBinary = 0x08; // a MacBinary header precedes the audio
inline constexpr AudioFileFlags AudioHasLyrics = 0x20; // the file carries embedded lyrics
inline constexpr AudioFileFlags AudioLyricsNotStorable = 0x40; // lyrics cannot be stored here

// Size of the lyrics buffers.
inline constexpr int LyricsBufferBytes = 60000;

template <std::size_t N>
using AnsiText = std::array<char, N>; // CP932 bytes, NUL-padded

struct Lyrics3InfoRecord {
    char Indication1 = 0; // the program sets both to '1' before writing
    char Indication2 = 0;
    AnsiText<250> Text1{};
    AnsiText<250> Text2{};
    AnsiText<250> Text3{};
    AnsiText<250> Text4{};
};

struct TagInfoRecord {
    AnsiText<128> Title{};
    AnsiText<128> Artist{};
    AnsiText<128> Album{};
    AnsiText<5> Year{};
    AnsiText<128> Comment{};
    int32_t Genre = 0;
    AnsiText<128> GenreText{};
};

// The fourteen values the MP3 library reports about a song's MPEG audio, each by its name.
struct MpegInfoRecord {
    std::array<int32_t, 14> Values{};

    int32_t& Version() { return Values[0]; }           // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5 (0: none)
    int32_t& Layer() { return Values[1]; }             // 1, 2 or 3
    int32_t& HasCrc() { return Values[2]; }            // 1 when frames carry a CRC
    int32_t& Bitrate() { return Values[3]; }           // kbit/s (the average for VBR)
    int32_t& ChannelMode() { return Values[4]; }       // 0 stereo, 1 joint, 2 dual, 3 mono
    int32_t& Channels() { return Values[5]; }          // 1 or 2
    int32_t& Copyright() { return Values[6]; }         // the header's copyright bit
    int32_t& Original() { return Values[7]; }          // the header's original bit
    int32_t& Emphasis() { return Values[8]; }          // the header's emphasis field
    int32_t& FirstFrameIsAudio() { return Values[9]; } // 0 when it is a Xing/Info/VBRI frame
    int32_t& SamplingRate() { return Values[10]; }     // Hz
    int32_t& FrameCount() { return Values[11]; }
    int32_t& LengthMs() { return Values[12]; }
    int32_t& Vbr() { return Values[13]; } // 1 for a variable bitrate

    int32_t Version() const { return Values[0]; }
    int32_t Layer() const { return Values[1]; }
    int32_t Bitrate() const { return Values[3]; }
    int32_t Channels() const { return Values[5]; }
    int32_t FirstFrameIsAudio() const { return Values[9]; }
    int32_t SamplingRate() const { return Values[10]; }
    int32_t FrameCount() const { return Values[11]; }
    int32_t LengthMs() const { return Values[12]; }
    int32_t Vbr() const { return Values[13]; }
    // Samples in one frame: 1152 for MPEG-1 Layer II/III, 576 for MPEG-2/2.5 Layer III, 384 for
    // Layer I; 1152 when no audio was found.
    int SamplesPerFrame() const;
};

// Fourteen texts; the first three are title, artist and album.
struct InfoListRecord {
    std::array<AnsiText<128>, 14> Texts{};
};

AudioFileFlags vbmp3_getFileType(const QString& path);
short vbmp3_cutMacBinary(const QString& path);
short vbmp3_getFileInfo(const QString& path, TagInfoRecord& tags, MpegInfoRecord& mpeg);
short vbmp3_getFileInfo2(const QString& path, TagInfoRecord& tags, MpegInfoRecord& mpeg,
                         InfoListRecord& infoList);
// `lyrics` is a LyricsBufferBytes buffer of CP932 text filled up at its end with blanks (the
// blanks are not stored); `buffer2` and `buffer3` are empty buffers of the same size.
short vbmp3_setFileLyrics3InfoVB(const QString& path, const Lyrics3InfoRecord& info,
                                 const QByteArray& lyrics, const QByteArray& buffer2,
                                 const QByteArray& buffer3);
// Copies the embedded lyrics into `lyrics` (resized to LyricsBufferBytes, NUL-terminated
// when shorter).
short vbmp3_getFileLyrics3InfoVB(const QString& path, Lyrics3InfoRecord& info, QByteArray& lyrics,
                                 QByteArray& buffer2, QByteArray& buffer3);
short vbmp3_delFileLyrics3Info(const QString& path);

// The text of a record field, up to its first NUL, decoded from CP932.
template <std::size_t N>
QString AnsiToText(const AnsiText<N>& field) {
    std::size_t length = 0;
    while (length < N && field[length] != 0)
        ++length;
    return DecodeCp932(field.data(), qsizetype(length));
}

} // namespace tavelkor

// MacBinary I/II/III wrappers: a 128-byte header, an optional secondary header, the data fork
// (the song) and the resource fork, each fork padded to a multiple of 128 bytes. A song that
// travelled from a Macintosh may arrive wrapped this way; until the wrapper is stripped its
// tags and lyrics are not at the end of the file.
#pragma once

#include "AudioFileReader.h"

namespace tavelkor {

struct MacBinaryLayout {
    bool Present = false; // the file starts with a MacBinary header
    bool Damaged = false; // a signed (II/III) header whose fork lengths do not fit the file
    int Version = 0;      // 1, 2 or 3
    qint64 DataForkOffset = 0;
    qint64 DataForkLength = 0;
};

// Recognises the header: bytes 0, 74 and 82 zero, a name length of 1 to 63, and then the
// "mBIN" signature (III), a matching CRC (II), or, for an unsigned header (I), forks that make
// up the whole file and a data fork that starts like a song ("ID3", "RIFF" or a frame sync).
MacBinaryLayout ReadMacBinary(AudioFileReader& file);

// The bytes the recognition looks at: the header and the first four of a data fork that
// follows it directly.
inline constexpr qint64 MacBinaryProbeLength = 132;

// The same recognition for a file of `fileSize` bytes that starts with `start` (its first
// MacBinaryProbeLength bytes, or all of a shorter file). An unsigned header is recognised by
// the file's size, so a change of size can make a song read as a wrapper.
MacBinaryLayout ReadMacBinaryStart(const QByteArray& start, qint64 fileSize);

// The CRC-16 of MacBinary II (polynomial 0x1021, start 0, not reflected).
quint16 MacBinaryCrc(const QByteArray& bytes);

} // namespace tavelkor

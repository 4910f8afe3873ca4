// RMP files: MPEG audio in a RIFF container,
//
//     "RIFF" size "RMP3" · "data" size <MP3 bytes> [pad] · "LIST" size "INFO" <sub-chunks>
//
// All numbers little-endian; a chunk is ID, size of its data, data, and a 0x00 pad byte when
// the size is odd. The LIST/INFO sub-chunks hold NUL-terminated CP932 texts (INAM title, IART
// artist, IPRD album, ...), the lyrics (ILYC) and IID3, a copy of the ID3v1 tag written last
// so that the file ends in a "TAG" block.
#pragma once

#include "AudioFileReader.h"

#include <QVector>

namespace tavelkor {

struct RiffChunk {
    QByteArray Id;
    qint64 Offset = 0; // of the chunk's ID
    qint64 Size = 0;   // of its data
    qint64 DataOffset() const { return Offset + 8; }
    qint64 DataEnd() const { return Offset + 8 + Size; }
};

struct InfoItem {
    QByteArray Id;
    QByteArray Data;
};

struct RiffLayout {
    bool IsRiff = false;  // "RIFF" at the start
    bool IsRmp = false;   // of form "RMP3"
    bool Damaged = false; // a size that points past the end of its container
    qint64 RiffEnd = 0;   // 8 + the RIFF size
    qint64 ChunksEnd = 0; // after the last whole chunk (and its pad byte)
    QVector<RiffChunk> Chunks;
    int DataChunk = -1;          // index of the first "data" chunk
    int InfoList = -1;           // index of the first "LIST" chunk of type "INFO"
    qint64 InfoListEnd = 0;      // after the LIST/INFO chunk and its pad byte
    QVector<InfoItem> InfoItems; // the LIST/INFO sub-chunks in file order
    // The data of the first sub-chunk with this ID, or nullptr.
    const InfoItem* Find(const char* id) const;
};

// Walks the RIFF chunks of the bytes [begin, end) of the file. A missing pad byte after the
// last chunk is accepted; a chunk size past the RIFF end or a RIFF size past `end` make the
// layout damaged.
RiffLayout ReadRiffLayout(AudioFileReader& file, qint64 begin, qint64 end);

// A whole "LIST" chunk of type "INFO" holding the sub-chunks in the order given, each padded
// to even length.
QByteArray BuildInfoList(const QVector<InfoItem>& items);

} // namespace tavelkor

#include "MacBinary.h"

#include "MpegFrames.h"

#include <algorithm>

namespace tavelkor {

namespace {

constexpr qint64 HeaderLength = 128;

qint64 PaddedTo128(qint64 length) { return (length + 127) / 128 * 128; }

quint16 ReadBe16(const char* bytes) {
    return quint16(quint16(uchar(bytes[0])) << 8 | uchar(bytes[1]));
}

bool StartsLikeASong(const QByteArray& bytes) {
    return bytes.startsWith("ID3") || bytes.startsWith("RIFF") ||
           (bytes.size() >= 4 && HasFrameSync(reinterpret_cast<const uchar*>(bytes.constData())));
}

} // namespace

quint16 MacBinaryCrc(const QByteArray& bytes) {
    quint16 crc = 0;
    for (const char byte : bytes) {
        crc ^= quint16(uchar(byte)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) != 0 ? quint16(crc << 1 ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

MacBinaryLayout ReadMacBinary(AudioFileReader& file) {
    return ReadMacBinaryStart(file.Read(0, std::min(MacBinaryProbeLength, file.Size())),
                              file.Size());
}

MacBinaryLayout ReadMacBinaryStart(const QByteArray& start, qint64 fileSize) {
    MacBinaryLayout layout;
    const QByteArray header = start.left(HeaderLength);
    if (header.size() != HeaderLength || header[0] != 0 || header[74] != 0 || header[82] != 0 ||
        header[1] < 1 || header[1] > 63)
        return layout;
    if (header.mid(102, 4) == "mBIN")
        layout.Version = 3;
    else if (MacBinaryCrc(header.left(124)) == ReadBe16(header.constData() + 124))
        layout.Version = 2;
    else
        layout.Version = 1;

    const qint64 dataLength = ReadBe32(header.constData() + 83);
    const qint64 resourceLength = ReadBe32(header.constData() + 87);
    const qint64 secondaryLength = layout.Version >= 2 ? ReadBe16(header.constData() + 120) : 0;
    layout.DataForkOffset = HeaderLength + PaddedTo128(secondaryLength);
    layout.DataForkLength = dataLength;
    // The forks must lie inside the file; the padding of the last one may be missing.
    const qint64 resourceOffset = layout.DataForkOffset + PaddedTo128(dataLength);
    const qint64 dataEnd = layout.DataForkOffset + dataLength;
    const qint64 resourceEnd = resourceOffset + resourceLength;
    const bool fits =
        dataLength > 0 && dataEnd <= fileSize && (resourceLength == 0 || resourceEnd <= fileSize);
    // Without a signature, the forks must also account for the whole file, as they do in a
    // real one: a song that merely starts with zero bytes is not taken for a wrapper. (Such a
    // song could become one at another size; the library refuses changes that would do so.)
    const qint64 lastEnd = resourceLength == 0 ? dataEnd : resourceEnd;
    const bool exact = fileSize == lastEnd || fileSize == PaddedTo128(lastEnd);
    if (layout.Version == 1 &&
        (!fits || !exact || !StartsLikeASong(start.mid(layout.DataForkOffset, 4))))
        return MacBinaryLayout{};
    layout.Present = true;
    layout.Damaged = !fits;
    return layout;
}

} // namespace tavelkor

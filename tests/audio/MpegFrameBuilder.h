// Builds MPEG audio frames byte by byte for the frame and silence tests.
#pragma once

#include "audio/MpegFrames.h"

#include <QByteArray>
#include <algorithm>

namespace tavelkor::test {

struct FrameShape {
    int version = 1;      // 1 = MPEG-1, 2 = MPEG-2, 3 = MPEG-2.5
    int layer = 3;        // 1 to 3; 0 writes the reserved layer pattern
    int bitrateIndex = 9; // 15 writes the invalid index
    int rateIndex = 0;    // 3 writes the reserved sampling-rate pattern
    bool crc = false;
    bool padding = false;
    int channelMode = 3; // single channel
};

inline QByteArray HeaderBytes(const FrameShape& s) {
    const int versionBits = s.version == 1 ? 3 : s.version == 2 ? 2 : 0;
    const int layerBits = s.layer == 0 ? 0 : 4 - s.layer;
    QByteArray bytes(4, '\0');
    bytes[0] = char(0xFF);
    bytes[1] = char(0xE0 | versionBits << 3 | layerBits << 1 | (s.crc ? 0 : 1));
    bytes[2] = char(s.bitrateIndex << 4 | s.rateIndex << 2 | (s.padding ? 2 : 0));
    bytes[3] = char(s.channelMode << 6);
    return bytes;
}

inline const uchar* Bytes(const QByteArray& bytes) {
    return reinterpret_cast<const uchar*>(bytes.constData());
}

// Sets `count` bits at `bitOffset`, counted from the top bit of `byteOffset`.
inline void SetBits(QByteArray& frame, int byteOffset, int bitOffset, int count, int value) {
    for (int i = 0; i < count; ++i) {
        const int bit = bitOffset + i;
        const int mask = 0x80 >> (bit % 8);
        char& byte = frame[byteOffset + bit / 8];
        byte = char((value >> (count - 1 - i)) & 1 ? (byte | mask) : (byte & ~mask));
    }
}

// Where part2_3_length of a granule and channel starts, in bits from the start of the side
// information, as the Layer III side-information layout places it.
inline int Part23LengthBit(int version, bool mono, int granule, int channel) {
    if (version == 1)
        return (mono ? 18 : 20) + (granule * (mono ? 1 : 2) + channel) * 59;
    return (mono ? 9 : 10) + channel * 63;
}

// A whole frame: the header, zero side information, then `fill` up to the frame's length (only
// the header when the header gives no length).
// With `codedBits` every Layer III granule and channel gets a part2_3_length of 100.
inline QByteArray Frame(const FrameShape& s, char fill = 0, bool codedBits = false) {
    const QByteArray header = HeaderBytes(s);
    MpegFrameHeader decoded;
    DecodeFrameHeader(Bytes(header), decoded);
    const int length = std::max(decoded.FrameLength, 4);
    const int mainData = MainDataOffset(decoded);
    QByteArray frame = header + QByteArray(length - 4, '\0');
    for (int i = mainData; i < length; ++i)
        frame[i] = fill;
    if (codedBits && s.layer == 3) {
        const bool mono = s.channelMode == 3;
        const int sideStart = s.crc ? 6 : 4;
        for (int granule = 0; granule < (s.version == 1 ? 2 : 1); ++granule) {
            for (int channel = 0; channel < (mono ? 1 : 2); ++channel)
                SetBits(frame, sideStart, Part23LengthBit(s.version, mono, granule, channel), 12,
                        100);
        }
    }
    return frame;
}

// Frames of the usual kinds, MPEG-1 Layer III, single channel, 128 kbit/s at 44.1 kHz.
inline QByteArray ZeroFrame() { return Frame(FrameShape{}); }
// Silent as LAME writes it: no coded bits, main data filled with 0x55.
inline QByteArray LameSilentFrame() { return Frame(FrameShape{}, 0x55); }
inline QByteArray SoundFrame() { return Frame(FrameShape{}, 0x37, true); }

inline QByteArray Repeat(const QByteArray& frame, int times) { return frame.repeated(times); }

} // namespace tavelkor::test

#include "MpegFrames.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace tavelkor {

namespace {

// Bitrates in kbit/s for the indexes 0 to 14, one row per table.
enum BitrateRow { Mpeg1Layer1, Mpeg1Layer2, Mpeg1Layer3, Mpeg2Layer1, Mpeg2Layers23 };
// clang-format off
constexpr int Bitrates[5][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
};
// clang-format on

constexpr std::array<int, 3> BaseSamplingRates{44100, 48000, 32000};

bool IsSingleChannel(const MpegFrameHeader& header) { return header.ChannelMode == 3; }

quint32 BigEndian32(const char* bytes) {
    const auto* b = reinterpret_cast<const uchar*>(bytes);
    return (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | quint32(b[3]);
}

// Reads exactly `count` bytes at `position`; false on any shortfall or error.
bool ReadAt(QIODevice& device, qint64 position, char* buffer, qint64 count) {
    if (position < 0 || count <= 0 || !device.seek(position))
        return false;
    return device.read(buffer, count) == count;
}

qint64 ClampedEnd(const QIODevice& device, qint64 end) {
    const qint64 size = device.size();
    return (end < 0 || end > size) ? size : end;
}

bool CanRead(const QIODevice& device) {
    return device.isOpen() && device.isReadable() && !device.isSequential();
}

// The ID3v2 header at the start of a tag: "ID3", version and revision below 0xFF, a size of
// four 7-bit bytes. The tag's total length, header and footer included, or -1.
qint64 Id3v2TagLength(const uchar* head) {
    if (head[0] != 'I' || head[1] != 'D' || head[2] != '3' || head[3] == 0xFF || head[4] == 0xFF)
        return -1;
    if ((head[6] | head[7] | head[8] | head[9]) & 0x80)
        return -1;
    const qint64 size = (qint64(head[6]) << 21) | (qint64(head[7]) << 14) | (qint64(head[8]) << 7) |
                        qint64(head[9]);
    const bool footer = head[3] >= 4 && (head[5] & 0x10);
    return 10 + size + (footer ? 10 : 0);
}

// Reads the frame header at `position` and, when it is valid and the whole frame lies before
// `end`, the frame itself into `frame`.
bool ReadFrame(QIODevice& device, qint64 position, qint64 end, const MpegFrameHeader* previous,
               MpegFrameHeader& header, QByteArray& frame) {
    uchar bytes[4];
    if (end - position < 4 || !ReadAt(device, position, reinterpret_cast<char*>(bytes), 4))
        return false;
    if (!HasFrameSync(bytes) || !DecodeFrameHeader(bytes, header, previous))
        return false;
    if (header.FrameLength < 4 || header.FrameLength > end - position)
        return false;
    frame.resize(header.FrameLength);
    std::memcpy(frame.data(), bytes, 4);
    const qint64 rest = header.FrameLength - 4;
    return rest == 0 || device.read(frame.data() + 4, rest) == rest;
}

// numerator / denominator rounded to the nearest whole number; both positive.
qint64 RoundedQuotient(qint64 numerator, qint64 denominator) {
    return (numerator + denominator / 2) / denominator;
}

int ClampToInt32(qint64 value) {
    return int(std::clamp<qint64>(value, 0, std::numeric_limits<int32_t>::max()));
}

} // namespace

bool HasFrameSync(const uchar* bytes) { return bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0; }

int BitrateKbps(int version, int layer, int index) {
    if (index < 0 || index > 14 || layer < 1 || layer > 3 || version < 1 || version > 3)
        return 0;
    // MPEG-2.5, an extension of MPEG-2, shares the MPEG-2 tables.
    const BitrateRow row = version == 1 ? BitrateRow(Mpeg1Layer1 + layer - 1)
                           : layer == 1 ? Mpeg2Layer1
                                        : Mpeg2Layers23;
    return Bitrates[row][index];
}

bool DecodeFrameHeader(const uchar* bytes, MpegFrameHeader& header,
                       const MpegFrameHeader* previous) {
    const quint32 word = (quint32(bytes[0]) << 24) | (quint32(bytes[1]) << 16) |
                         (quint32(bytes[2]) << 8) | quint32(bytes[3]);
    MpegFrameHeader h;
    const int versionBits = (word >> 19) & 3;
    h.Version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 3;

    const int layerBits = (word >> 17) & 3;
    h.Layer = layerBits == 0 ? (previous ? previous->Layer : 0) : 4 - layerBits;

    h.Protection = (word >> 16) & 1;
    h.BitrateIndex = (word >> 12) & 0xF;

    const int rateBits = (word >> 10) & 3;
    h.SamplingRateIndex = rateBits == 3 ? (previous ? previous->SamplingRateIndex : -1) : rateBits;
    const int rateDivisor = h.Version == 1 ? 1 : h.Version == 2 ? 2 : 4;
    if (h.SamplingRateIndex >= 0 && h.SamplingRateIndex < 3)
        h.SamplingRate = BaseSamplingRates[h.SamplingRateIndex] / rateDivisor;

    h.Padding = (word >> 9) & 1;
    h.Private = (word >> 8) & 1;
    h.ChannelMode = (word >> 6) & 3;
    h.ModeExtension = (word >> 4) & 3;
    h.Copyright = (word >> 3) & 1;
    h.Original = (word >> 2) & 1;
    h.Emphasis = word & 3;

    h.BitrateKbps = BitrateKbps(h.Version, h.Layer, h.BitrateIndex);
    h.FrameLength = FrameLength(h);
    h.MainDataOffset = MainDataOffset(h);
    header = h;
    return h.Layer >= 1 && h.Layer <= 3 && h.BitrateIndex != 15 && h.SamplingRate > 0;
}

int FrameLength(const MpegFrameHeader& header) {
    if (header.SamplingRate <= 0 || header.BitrateKbps <= 0)
        return 0;
    const qint64 bitsPerSecond = qint64(header.BitrateKbps) * 1000;
    switch (header.Layer) {
    case 1:
        return int((12 * bitsPerSecond / header.SamplingRate + header.Padding) * 4);
    case 2:
        return int(144 * bitsPerSecond / header.SamplingRate + header.Padding);
    case 3: {
        const int factor = header.Version == 1 ? 144 : 72;
        return int(factor * bitsPerSecond / header.SamplingRate + header.Padding);
    }
    default:
        return 0;
    }
}

int SideInfoLength(const MpegFrameHeader& header) {
    if (header.Layer != 3)
        return 0;
    if (header.Version == 1)
        return IsSingleChannel(header) ? 17 : 32;
    return IsSingleChannel(header) ? 9 : 17;
}

int MainDataOffset(const MpegFrameHeader& header) {
    return (header.Protection == 1 ? 4 : 6) + SideInfoLength(header);
}

int SamplesPerFrame(const MpegFrameHeader& header) {
    if (header.Layer == 1)
        return 384;
    if (header.Layer == 3 && header.Version != 1)
        return 576;
    return 1152;
}

bool SideInfoCodesNoBits(const QByteArray& frame, const MpegFrameHeader& header) {
    if (header.Layer != 3 || frame.size() < MainDataOffset(header))
        return false;
    const auto* side =
        reinterpret_cast<const uchar*>(frame.constData()) + (header.Protection == 1 ? 4 : 6);
    auto bitsAt = [side](int bitOffset, int count) {
        int value = 0;
        for (int i = 0; i < count; ++i) {
            const int bit = bitOffset + i;
            value = (value << 1) | ((side[bit / 8] >> (7 - bit % 8)) & 1);
        }
        return value;
    };
    const int channels = IsSingleChannel(header) ? 1 : 2;
    // MPEG-1: main_data_begin (9), private bits (5 or 3), scfsi (4 per channel), then two
    // granules of 59 bits per channel. MPEG-2 and 2.5: main_data_begin (8), private bits (1 or
    // 2), one granule of 63 bits per channel. part2_3_length opens each granule's channel part.
    const bool mpeg1 = header.Version == 1;
    const int granules = mpeg1 ? 2 : 1;
    const int stride = mpeg1 ? 59 : 63;
    const int first = mpeg1 ? 9 + (channels == 1 ? 5 : 3) + 4 * channels : 8 + channels;
    for (int part = 0; part < granules * channels; ++part) {
        if (bitsAt(first + part * stride, 12) != 0)
            return false;
    }
    return true;
}

VbrHeaderInfo ReadVbrHeader(const QByteArray& frame, const MpegFrameHeader& header) {
    VbrHeaderInfo info;
    const char* data = frame.constData();
    const qsizetype size = frame.size();
    // "Xing"/"Info" follows the Layer III side information; writers leave out the CRC there,
    // but a header frame with a CRC is also looked for after it.
    const bool mono = IsSingleChannel(header);
    const int sideInfo = header.Version == 1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    for (const int offset : {4 + sideInfo, 6 + sideInfo}) {
        if (offset == 6 + sideInfo && header.Protection == 1)
            break;
        if (size < offset + 8)
            continue;
        const bool xing = std::memcmp(data + offset, "Xing", 4) == 0;
        if (!xing && std::memcmp(data + offset, "Info", 4) != 0)
            continue;
        info.Found = true;
        info.Vbr = xing;
        const quint32 flags = BigEndian32(data + offset + 4);
        int field = offset + 8;
        if (flags & 1) {
            if (size >= field + 4)
                info.Frames = BigEndian32(data + field);
            field += 4;
        }
        if ((flags & 2) && size >= field + 4)
            info.Bytes = BigEndian32(data + field);
        return info;
    }
    // "VBRI": version (2), delay (2), quality (2), bytes (4), frames (4), all big-endian.
    if (size >= 36 + 18 && std::memcmp(data + 36, "VBRI", 4) == 0) {
        info.Found = true;
        info.Vbr = true;
        info.Bytes = BigEndian32(data + 46);
        info.Frames = BigEndian32(data + 50);
    }
    return info;
}

qint64 FindAudioStart(QIODevice& device, qint64 from, qint64 end) {
    if (!CanRead(device))
        return -1;
    end = ClampedEnd(device, end);
    qint64 position = from;
    if (position < 0 || position >= end)
        return -1;

    // Tags in front of the audio, one after another.
    for (int tags = 0; tags < 16 && end - position >= 10; ++tags) {
        uchar head[10];
        if (!ReadAt(device, position, reinterpret_cast<char*>(head), 10))
            return -1;
        const qint64 length = Id3v2TagLength(head);
        if (length < 0)
            break;
        if (length > end - position)
            return -1;
        position += length;
    }

    const qint64 window = std::min<qint64>(AudioStartSearchBytes + 4, end - position);
    if (window < 4)
        return -1;
    QByteArray bytes(window, '\0');
    if (!ReadAt(device, position, bytes.data(), window))
        return -1;
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    for (qint64 i = 0; i + 4 <= window; ++i) {
        MpegFrameHeader header;
        if (!HasFrameSync(data + i) || !DecodeFrameHeader(data + i, header) ||
            header.FrameLength < header.MainDataOffset)
            continue;
        if (i == 0)
            return position;
        // Away from the expected position a sync can be chance: the next frame must confirm it.
        const qint64 next = position + i + header.FrameLength;
        if (next == end)
            return position + i;
        uchar nextBytes[4];
        MpegFrameHeader nextHeader;
        if (end - next >= 4 && ReadAt(device, next, reinterpret_cast<char*>(nextBytes), 4) &&
            HasFrameSync(nextBytes) && DecodeFrameHeader(nextBytes, nextHeader, &header) &&
            nextHeader.Version == header.Version && nextHeader.Layer == header.Layer &&
            nextHeader.SamplingRate == header.SamplingRate)
            return position + i;
    }
    return -1;
}

bool ReadMpegInfo(QIODevice& device, qint64 audioStart, MpegInfoRecord& info, qint64 audioEnd) {
    info = MpegInfoRecord{};
    if (!CanRead(device))
        return false;
    const qint64 end = ClampedEnd(device, audioEnd);
    if (audioStart < 0 || end - audioStart < 4)
        return false;

    uchar bytes[4];
    MpegFrameHeader first;
    if (!ReadAt(device, audioStart, reinterpret_cast<char*>(bytes), 4) || !HasFrameSync(bytes) ||
        !DecodeFrameHeader(bytes, first))
        return false;
    // A frame cut short by the end of the file is still examined as far as it goes.
    const qint64 available = std::min<qint64>(std::max(first.FrameLength, 4), end - audioStart);
    QByteArray frame(available, '\0');
    if (!ReadAt(device, audioStart, frame.data(), available))
        return false;
    const VbrHeaderInfo vbr = ReadVbrHeader(frame, first);

    MpegFrameHeader audio = first;
    qint64 audioBytes = end - audioStart;
    if (vbr.Found) {
        const qint64 next = audioStart + first.FrameLength;
        MpegFrameHeader nextHeader;
        if (first.FrameLength >= 4 && end - next >= 4 &&
            ReadAt(device, next, reinterpret_cast<char*>(bytes), 4) && HasFrameSync(bytes) &&
            DecodeFrameHeader(bytes, nextHeader, &first))
            audio = nextHeader;
        audioBytes = std::max<qint64>(0, end - next);
    }

    const int samples = SamplesPerFrame(audio);
    qint64 frames = 0;
    int bitrate = audio.BitrateKbps;
    if (vbr.Frames > 0) {
        frames = vbr.Frames;
        if (vbr.Bytes > 0)
            bitrate = ClampToInt32(
                RoundedQuotient(vbr.Bytes * 8 * audio.SamplingRate, frames * samples * 1000));
    } else if (audio.BitrateKbps > 0) {
        frames = RoundedQuotient(audioBytes * 8 * audio.SamplingRate,
                                 qint64(samples) * audio.BitrateKbps * 1000);
    }

    info.Version() = audio.Version;
    info.Layer() = audio.Layer;
    info.HasCrc() = audio.Protection == 0 ? 1 : 0;
    info.Bitrate() = bitrate;
    info.ChannelMode() = audio.ChannelMode;
    info.Channels() = IsSingleChannel(audio) ? 1 : 2;
    info.Copyright() = audio.Copyright;
    info.Original() = audio.Original;
    info.Emphasis() = audio.Emphasis;
    info.FirstFrameIsAudio() = vbr.Found ? 0 : 1;
    info.SamplingRate() = audio.SamplingRate;
    info.FrameCount() = ClampToInt32(frames);
    info.LengthMs() = ClampToInt32(RoundedQuotient(frames * samples * 1000, audio.SamplingRate));
    info.Vbr() = vbr.Vbr ? 1 : 0;
    return true;
}

bool ReadMpegInfo(const QString& path, qint64 audioStart, MpegInfoRecord& info, qint64 audioEnd) {
    info = MpegInfoRecord{};
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return ReadMpegInfo(file, audioStart, info, audioEnd);
}

int CountSilentFramesFrom(QIODevice& device, qint64 start, bool stepOverFirst, int tolerance,
                          qint64 end) {
    if (!CanRead(device))
        return 0;
    end = ClampedEnd(device, end);
    if (start < 0 || start >= end)
        return 0;
    // Bytes other than 0x00 and 0xFF a silent frame may hold; below 0 none at all.
    const double allowanceValue = std::floor(double(tolerance) / 100.0 * -8.0);
    const qint64 allowance = qint64(allowanceValue);

    qint64 position = start;
    int count = 0;
    MpegFrameHeader header;
    MpegFrameHeader previous;
    bool hasPrevious = false;
    QByteArray frame;
    frame.reserve(MaxFrameLength);

    if (stepOverFirst) {
        if (!ReadFrame(device, position, end, nullptr, header, frame))
            return 0;
        previous = header;
        hasPrevious = true;
        position += header.FrameLength;
        count = 1;
    }

    for (;;) {
        if (!ReadFrame(device, position, end, hasPrevious ? &previous : nullptr, header, frame))
            return 0;
        previous = header;
        hasPrevious = true;
        position += header.FrameLength;

        qint64 soundBytes = 0;
        bool sound = false;
        for (int i = header.MainDataOffset; i < frame.size(); ++i) {
            const uchar byte = uchar(frame[i]);
            if (byte == 0x00 || byte == 0xFF)
                continue;
            ++soundBytes;
            if (soundBytes > allowance) {
                sound = true;
                break;
            }
        }
        if (sound && SideInfoCodesNoBits(frame, header))
            sound = false;
        if (sound)
            return count;
        if (++count > MaxSilentFrames)
            return 0;
    }
}

} // namespace tavelkor

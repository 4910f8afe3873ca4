#include "LeadingSilence.h"

#include "MpegFrames.h"
#include "Vbmp3.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace tavelkor {

namespace {

// The MPEG data of an RMP file starts right after the RIFF header and the `data` chunk header.
constexpr qint64 RmpMpegDataOffset = 20;

quint32 LittleEndian32(const char* bytes) {
    const auto* b = reinterpret_cast<const uchar*>(bytes);
    return quint32(b[0]) | (quint32(b[1]) << 8) | (quint32(b[2]) << 16) | (quint32(b[3]) << 24);
}

// Where the MPEG data of an RMP file ends: the end of its `data` chunk when that chunk comes
// first, else the end of the file. -1 when the RIFF or `data` size points past the end of the
// file: the sizes lie, and the file gives no silence.
qint64 RmpMpegDataEnd(QFile& file) {
    const qint64 size = file.size();
    char head[RmpMpegDataOffset];
    if (!file.seek(0) || file.read(head, RmpMpegDataOffset) != RmpMpegDataOffset)
        return -1;
    if (std::memcmp(head, "RIFF", 4) == 0 && 8 + qint64(LittleEndian32(head + 4)) > size)
        return -1;
    if (std::memcmp(head + 12, "data", 4) != 0)
        return size;
    const qint64 dataEnd = RmpMpegDataOffset + qint64(LittleEndian32(head + 16));
    return dataEnd > size ? -1 : dataEnd;
}

} // namespace

int CountLeadingSilentFrames(const QString& path, int tolerance) {
    // Only a regular file is examined: a folder, a pipe or a device gives no silence.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return 0;

    const AudioFileFlags type = vbmp3_getFileType(path);
    TagInfoRecord tags;
    MpegInfoRecord mpeg;
    if (vbmp3_getFileInfo(path, tags, mpeg) == 0)
        return 0;
    if (type == AudioFileUnreadable || (type & (AudioMacBinary | AudioDamaged | AudioNotMpeg)))
        return 0;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.isSequential())
        return 0;
    const bool rmp = (type & AudioRmp) != 0;
    const qint64 end = rmp ? RmpMpegDataEnd(file) : file.size();
    if (end < 0)
        return 0;
    const qint64 audioStart = FindAudioStart(file, rmp ? RmpMpegDataOffset : 0, end);
    if (audioStart < 0)
        return 0;
    // The library reports a Xing/Info/VBRI header frame in front of the audio by a tenth value
    // of 0: that frame is stepped over and counted, as it plays as one silent frame.
    return CountSilentFramesFrom(file, audioStart, mpeg.FirstFrameIsAudio() == 0, tolerance, end);
}

} // namespace tavelkor

// MPEG audio frames of MP3 and RMP files: the 4-byte frame header, frame lengths, where a
// frame's main data starts, Layer III side information, the Xing/Info/VBRI header frame that
// encoders put in front of the audio, and the walk over the leading silent frames of a song.
//
// Every reader here works on an open QIODevice, reads only the bytes it needs, never reads
// outside the device and never writes to it.
#pragma once

#include "Vbmp3.h"

#include <QIODevice>
#include <QString>
#include <QtGlobal>

namespace tavelkor {

// The fields of one frame header. Version: 1 = MPEG-1, 2 = MPEG-2, 3 = MPEG-2.5. Layer: 1 to
// 3. Protection: 1 = no CRC follows the header, 0 = a 2-byte CRC follows. ChannelMode: 0
// stereo, 1 joint stereo, 2 dual channel, 3 single channel.
struct MpegFrameHeader {
    int Version = 0;
    int Layer = 0;
    int Protection = 1;
    int BitrateIndex = 0;
    int BitrateKbps = 0;
    int SamplingRateIndex = 0; // 0 = 44100, 1 = 48000, 2 = 32000 Hz before halving/quartering
    int SamplingRate = 0;      // in Hz
    int Padding = 0;
    int Private = 0;
    int ChannelMode = 0;
    int ModeExtension = 0;
    int Copyright = 0;
    int Original = 0;
    int Emphasis = 0;
    int FrameLength = 0;    // bytes, header included
    int MainDataOffset = 0; // bytes from the frame start
};

// The longest frame any header can describe (MPEG-2.5 Layer II, 160 kbit/s, 8000 Hz, padded).
inline constexpr int MaxFrameLength = 2881;

// True when the first 11 bits of the 4 bytes are the frame sync (all set).
bool HasFrameSync(const uchar* bytes);

// Decodes the 4 header bytes. The reserved layer pattern (0,0) and sampling-rate pattern (1,1)
// take the value of `previous`, the header of the frame before in the same walk; without one
// they make the header invalid. False for an invalid header: bitrate index 15, no usable layer
// or sampling rate. The frame sync is not checked here (see HasFrameSync).
bool DecodeFrameHeader(const uchar* bytes, MpegFrameHeader& header,
                       const MpegFrameHeader* previous = nullptr);

// The bitrate in kbit/s for an index 0 to 14 (0 = free format); 0 for anything else.
int BitrateKbps(int version, int layer, int index);

// Frame length in bytes, header included, as the MPEG audio standards give it (bitrate in bit/s,
// quotients rounded down): Layer I (12 x bitrate / rate + padding) x 4, in 4-byte slots; Layer II
// 144 x bitrate / rate + padding; Layer III the same for MPEG-1 and 72 x bitrate / rate +
// padding for MPEG-2 and MPEG-2.5. 0 when the bitrate or the sampling rate is 0.
int FrameLength(const MpegFrameHeader& header);

// Bytes of Layer III side information: 32 (MPEG-1) or 17 (single channel); MPEG-2 and MPEG-2.5
// 17 or 9. 0 for Layers I and II.
int SideInfoLength(const MpegFrameHeader& header);

// Where the main data of a frame starts: the header, the CRC if any, the side information.
int MainDataOffset(const MpegFrameHeader& header);

// Samples per channel in one frame: 384 (Layer I), 1152 (Layer II, MPEG-1 Layer III), 576
// (MPEG-2 and MPEG-2.5 Layer III).
int SamplesPerFrame(const MpegFrameHeader& header);

// True when `frame` (the whole frame, header first) is a Layer III frame whose side information
// codes no bits: part2_3_length is 0 in every granule and channel. Such a frame decodes to
// silence whatever its main-data bytes hold. False for Layers I and II and for a frame too short
// to hold its side information.
bool SideInfoCodesNoBits(const QByteArray& frame, const MpegFrameHeader& header);

// The header frame some encoders put in front of the audio: "Xing" or "Info" right after the
// side information, or "VBRI" at byte 36. It carries no sound.
struct VbrHeaderInfo {
    bool Found = false;
    bool Vbr = false;   // "Xing" or "VBRI"; "Info" marks a constant bitrate
    qint64 Frames = -1; // audio frames after the header frame, -1 when not given
    qint64 Bytes = -1;  // bytes of audio, header frame included, -1 when not given
};
VbrHeaderInfo ReadVbrHeader(const QByteArray& frame, const MpegFrameHeader& header);

// How far past the expected start the audio-start search looks for a frame sync.
inline constexpr int AudioStartSearchBytes = 4096;

// The byte position of the first MPEG frame at or after `from` (0 for an MP3 file, 20 for the
// data of an RMP file): ID3v2 tags there are stepped over using their size; then a valid frame
// header is taken at the expected position, or else the first one within AudioStartSearchBytes
// that the next frame's header confirms. -1 when there is none, also when a tag's size points
// past `end` (-1 = the device's size).
qint64 FindAudioStart(QIODevice& device, qint64 from, qint64 end = -1);

// Fills `info` from the frames at `audioStart` (as FindAudioStart gives it); `audioEnd` is where
// the audio stops (-1 = the device's size, trailing tags included). False, with `info` cleared,
// when no valid frame header is there. Values 0 to 8 and 10 describe the first audio frame
// (the frame after a header frame). The fourteen values:
//   [0]  MPEG version: 1, 2 or 3 (MPEG-2.5)
//   [1]  layer: 1, 2 or 3
//   [2]  1 when a CRC follows each frame header, else 0
//   [3]  bitrate in kbit/s; the average when a Xing/VBRI/Info header gives frames and bytes
//   [4]  channel mode: 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
//   [5]  channels: 1 or 2
//   [6]  copyright bit
//   [7]  original bit
//   [8]  emphasis: 0 to 3
//   [9]  0 when the first frame is a Xing/Info/VBRI header frame, else 1
//   [10] sampling rate in Hz
//   [11] audio frames: from the header frame, else estimated from the byte count
//   [12] playing time in milliseconds
//   [13] 1 when a "Xing" or "VBRI" header marks a variable bitrate, else 0
bool ReadMpegInfo(QIODevice& device, qint64 audioStart, MpegInfoRecord& info, qint64 audioEnd = -1);
bool ReadMpegInfo(const QString& path, qint64 audioStart, MpegInfoRecord& info,
                  qint64 audioEnd = -1);

// The largest count of leading silent frames; a longer silence counts as a failure (0).
inline constexpr int MaxSilentFrames = 32767;

// Walks the frames from `start` to `end` (-1 = the device's size) and counts the frames before
// the first one that carries sound. With `stepOverFirst` the first frame is stepped over and
// counted whatever its data holds (a header frame that plays as one silent frame); its header
// must still be valid.
//
// A frame is silent when its bytes from the main-data offset to its end hold no byte other
// than 0x00 and 0xFF, or no more such bytes than the allowance, which is
// floor(tolerance / 100 x -8) (-1 for tolerance 5: none allowed); a Layer III frame is also
// silent when its side information codes no bits.
//
// 0 stands for every failure: no frame with sound before the end, a position without a frame
// header, an invalid header (bitrate index 15, no sampling rate), a frame that runs past the
// end, a read error, more than MaxSilentFrames silent frames.
int CountSilentFramesFrom(QIODevice& device, qint64 start, bool stepOverFirst, int tolerance,
                          qint64 end = -1);

} // namespace tavelkor

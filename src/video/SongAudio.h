// The song's sound in a karaoke video: the song read packet by packet from the bytes where its
// data lies, and written into the video's container either as it is (MPEG audio) or encoded
// anew as AAC. Nothing of the song is held beyond the packets in flight.
#pragma once

#include "../audio/SongBeside.h"
#include "FfmpegHandles.h"

#include <QFile>

namespace tavelkor {

// The bytes Begin .. Begin + Size of a file, which FFmpeg reads as if they were the whole file.
struct FileRegion {
    QFile File;
    qint64 Begin = 0;
    qint64 Size = 0;
};

class SongAudio {
public:
    SongAudio() = default;
    SongAudio(const SongAudio&) = delete;
    SongAudio& operator=(const SongAudio&) = delete;

    // Opens the song's data and measures its length by a pass over its packets (no decoding).
    // False with `error` set when it is not a song FFmpeg can read.
    bool Open(const PreviewSong& song, QString& error);
    // The song's length in seconds, as its packets add up.
    double DurationSeconds() const { return duration_; }
    // Whether the song is MPEG audio, which an MP4 holds as it is.
    bool IsMpegAudio() const;
    // Adds the sound's stream to `output`: the song's packets as they are, or with `aac` (or
    // for a song that is not MPEG audio) an AAC encoder fed by the song's decoded samples.
    bool AddStream(AVFormatContext* output, bool aac, QString& error);
    // Writes the sound up to `seconds` (all of it when negative) into `output`, whose header is
    // written. False with `error` set when the song or the output fails.
    bool WriteUntil(AVFormatContext* output, double seconds, QString& error);

private:
    bool OpenInput(QString& error);
    bool WriteCopied(AVFormatContext* output, AVPacket* packet, QString& error);
    bool Encode(AVFormatContext* output, AVPacket* packet, QString& error);
    bool DrainEncoder(AVFormatContext* output, bool flush, QString& error);

    PreviewSong song_;
    FileRegion region_;
    std::unique_ptr<AVIOContext, void (*)(AVIOContext*)> io_{nullptr, nullptr};
    InputFormat input_;
    int streamIndex_ = -1;
    double duration_ = 0;
    AVStream* outStream_ = nullptr;
    Packet pending_;        // read from the song, not yet written (it lies past the limit)
    bool finished_ = false; // the song's last packet is written
    // AAC only.
    CodecContext decoder_;
    CodecContext encoder_;
    Resampler resampler_;
    SampleQueue queue_{nullptr, av_audio_fifo_free};
    Frame decoded_;
    int64_t samplesOut_ = 0;
};

} // namespace tavelkor

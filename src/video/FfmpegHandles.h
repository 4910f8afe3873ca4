// Owning handles of the FFmpeg objects the karaoke video makes, each freed by its library's own
// function, and the text of an FFmpeg error code.
#pragma once

#include <QString>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

namespace tavelkor {

// Frees through a function that takes the address of the pointer and clears it.
template <auto Free>
struct FreeThroughAddress {
    template <class T>
    void operator()(T* object) const {
        Free(&object);
    }
};

using InputFormat = std::unique_ptr<AVFormatContext, FreeThroughAddress<avformat_close_input>>;
using CodecContext = std::unique_ptr<AVCodecContext, FreeThroughAddress<avcodec_free_context>>;
using Packet = std::unique_ptr<AVPacket, FreeThroughAddress<av_packet_free>>;
using Frame = std::unique_ptr<AVFrame, FreeThroughAddress<av_frame_free>>;
using Resampler = std::unique_ptr<SwrContext, FreeThroughAddress<swr_free>>;
using SampleQueue = std::unique_ptr<AVAudioFifo, decltype(&av_audio_fifo_free)>;

// "FFmpeg: Invalid data found when processing input" for an error code of the libraries.
QString FfmpegErrorText(int code);

} // namespace tavelkor

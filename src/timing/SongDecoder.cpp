#include "SongDecoder.h"

#include <QFile>
#include <cstring>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace tavelkor {

namespace {

// The song's bytes in memory, read by FFmpeg through a custom I/O context.
struct MemoryInput {
    QByteArray Bytes;
    qint64 Position = 0;
};

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
    auto* input = static_cast<MemoryInput*>(opaque);
    const qint64 left = input->Bytes.size() - input->Position;
    if (left <= 0)
        return AVERROR_EOF;
    const int count = int(std::min<qint64>(left, size));
    std::memcpy(buffer, input->Bytes.constData() + input->Position, size_t(count));
    input->Position += count;
    return count;
}

int64_t SeekInput(void* opaque, int64_t offset, int whence) {
    auto* input = static_cast<MemoryInput*>(opaque);
    if (whence & AVSEEK_SIZE)
        return input->Bytes.size();
    qint64 base = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = input->Position;
        break;
    case SEEK_END:
        base = input->Bytes.size();
        break;
    default:
        return -1;
    }
    const qint64 target = base + offset;
    if (target < 0 || target > input->Bytes.size())
        return -1;
    input->Position = target;
    return target;
}

struct FormatCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct IoCloser {
    void operator()(AVIOContext* io) const {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
struct CodecCloser {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct ResamplerCloser {
    void operator()(SwrContext* context) const { swr_free(&context); }
};
struct PacketCloser {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameCloser {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};

DecodedSong Failed(const QString& why) {
    DecodedSong song;
    song.Error = why;
    return song;
}

} // namespace

SongNames ReadSongNames(const QString& path) {
    SongNames names;
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return names;
    std::unique_ptr<AVFormatContext, FormatCloser> format(opened);
    avformat_find_stream_info(format.get(), nullptr);
    auto value = [&format](const char* key) {
        const AVDictionaryEntry* entry = av_dict_get(format->metadata, key, nullptr, 0);
        for (unsigned i = 0; entry == nullptr && i < format->nb_streams; ++i)
            entry = av_dict_get(format->streams[i]->metadata, key, nullptr, 0);
        return entry != nullptr ? QString::fromUtf8(entry->value) : QString();
    };
    names.Title = value("title");
    names.Artist = value("artist");
    names.Album = value("album");
    return names;
}

DecodedSong DecodeSong(const QString& path, qint64 offset, qint64 length) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset))
        return Failed(QStringLiteral(u"曲ファイルを読めません：") + path);
    MemoryInput input;
    input.Bytes = length < 0 ? file.readAll() : file.read(length);

    constexpr int BufferSize = 64 * 1024;
    auto* buffer = static_cast<unsigned char*>(av_malloc(BufferSize));
    std::unique_ptr<AVIOContext, IoCloser> io(
        avio_alloc_context(buffer, BufferSize, 0, &input, ReadPacket, nullptr, SeekInput));
    AVFormatContext* opened = avformat_alloc_context();
    opened->pb = io.get();
    if (avformat_open_input(&opened, nullptr, nullptr, nullptr) < 0)
        return Failed(QStringLiteral(u"曲ファイルの形式がわかりません：") + path);
    std::unique_ptr<AVFormatContext, FormatCloser> format(opened);
    if (avformat_find_stream_info(format.get(), nullptr) < 0)
        return Failed(QStringLiteral(u"曲ファイルの形式がわかりません：") + path);
    const AVCodec* codec = nullptr;
    const int stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream < 0 || codec == nullptr)
        return Failed(QStringLiteral(u"曲ファイルに音声がありません：") + path);
    std::unique_ptr<AVCodecContext, CodecCloser> decoder(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(decoder.get(), format->streams[stream]->codecpar);
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0 || decoder->sample_rate <= 0)
        return Failed(QStringLiteral(u"曲の音声を読めません：") + path);

    DecodedSong song;
    song.SampleRate = decoder->sample_rate;
    const AVStream* audio = format->streams[stream];
    if (audio->duration > 0) {
        const qint64 expected =
            av_rescale_q(audio->duration, audio->time_base, AVRational{1, song.SampleRate});
        song.Left.reserve(size_t(expected) + 4096);
        song.Right.reserve(size_t(expected) + 4096);
    }
    std::unique_ptr<SwrContext, ResamplerCloser> resampler;
    std::unique_ptr<AVPacket, PacketCloser> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameCloser> frame(av_frame_alloc());
    std::vector<float> left, right;
    auto drain = [&]() -> bool {
        while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
            if (!resampler) {
                AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
                SwrContext* made = nullptr;
                if (swr_alloc_set_opts2(&made, &stereo, AV_SAMPLE_FMT_FLTP, song.SampleRate,
                                        &frame->ch_layout, AVSampleFormat(frame->format),
                                        frame->sample_rate, 0, nullptr) < 0 ||
                    swr_init(made) < 0) {
                    swr_free(&made);
                    return false;
                }
                resampler.reset(made);
            }
            const int room = swr_get_out_samples(resampler.get(), frame->nb_samples);
            left.resize(room);
            right.resize(room);
            uint8_t* out[2] = {reinterpret_cast<uint8_t*>(left.data()),
                               reinterpret_cast<uint8_t*>(right.data())};
            const int made =
                swr_convert(resampler.get(), out, room,
                            const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            if (made > 0) {
                song.Left.insert(song.Left.end(), left.begin(), left.begin() + made);
                song.Right.insert(song.Right.end(), right.begin(), right.begin() + made);
            }
            av_frame_unref(frame.get());
        }
        return true;
    };
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream &&
            avcodec_send_packet(decoder.get(), packet.get()) >= 0 && !drain())
            return Failed(QStringLiteral(u"曲の音声を読めません：") + path);
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
    if (song.Left.empty())
        return Failed(QStringLiteral(u"曲の音声を読めません：") + path);
    return song;
}

} // namespace tavelkor

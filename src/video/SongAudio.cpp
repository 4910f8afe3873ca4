#include "SongAudio.h"

#include <cmath>

extern "C" {
#include <libavutil/opt.h>
}

namespace tavelkor {

namespace {

// The song's data is the bytes Offset .. Offset + Length of its file (the MPEG data of an RMP
// or MacBinary file).
int ReadRegion(void* opaque, uint8_t* buffer, int size) {
    auto* region = static_cast<FileRegion*>(opaque);
    const qint64 left = region->Begin + region->Size - region->File.pos();
    if (left <= 0)
        return AVERROR_EOF;
    const qint64 count = region->File.read(reinterpret_cast<char*>(buffer), std::min<qint64>(left, size));
    return count > 0 ? int(count) : AVERROR_EOF;
}

int64_t SeekRegion(void* opaque, int64_t offset, int whence) {
    auto* region = static_cast<FileRegion*>(opaque);
    if (whence & AVSEEK_SIZE)
        return region->Size;
    qint64 base = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        base = region->File.pos() - region->Begin;
        break;
    case SEEK_END:
        base = region->Size;
        break;
    default:
        return -1;
    }
    const qint64 target = base + offset;
    if (target < 0 || target > region->Size || !region->File.seek(region->Begin + target))
        return -1;
    return target;
}

void FreeIo(AVIOContext* io) {
    av_freep(&io->buffer);
    avio_context_free(&io);
}

// The bit rate of the AAC sound: what a song of CD quality keeps.
constexpr int64_t AacBitRate = 192000;

} // namespace

bool SongAudio::OpenInput(QString& error) {
    input_.reset();
    io_.reset();
    if (!region_.File.isOpen()) {
        region_.File.setFileName(song_.Path);
        if (!region_.File.open(QIODevice::ReadOnly)) {
            error = QStringLiteral(u"曲ファイルを読めません：") + song_.Path;
            return false;
        }
        const qint64 size = song_.Length < 0 ? region_.File.size() - song_.Offset : song_.Length;
        region_.Begin = song_.Offset;
        region_.Size = std::max<qint64>(0, size);
    }
    region_.File.seek(region_.Begin);
    constexpr int BufferSize = 64 * 1024;
    auto* buffer = static_cast<unsigned char*>(av_malloc(BufferSize));
    io_ = {avio_alloc_context(buffer, BufferSize, 0, &region_, ReadRegion, nullptr, SeekRegion),
           FreeIo};
    AVFormatContext* opened = avformat_alloc_context();
    opened->pb = io_.get();
    opened->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (avformat_open_input(&opened, nullptr, nullptr, nullptr) < 0) {
        error = QStringLiteral(u"曲ファイルの形式を読み取れません：") + song_.Path;
        return false;
    }
    input_.reset(opened);
    if (avformat_find_stream_info(opened, nullptr) < 0 ||
        (streamIndex_ = av_find_best_stream(opened, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0)) < 0) {
        error = QStringLiteral(u"曲ファイルに音声がありません：") + song_.Path;
        return false;
    }
    return true;
}

bool SongAudio::Open(const PreviewSong& song, QString& error) {
    song_ = song;
    if (!OpenInput(error))
        return false;
    // The length as the packets add up: what a player plays, whatever a header claims.
    Packet packet(av_packet_alloc());
    const AVStream* stream = input_->streams[streamIndex_];
    int64_t first = AV_NOPTS_VALUE;
    int64_t end = 0;
    while (av_read_frame(input_.get(), packet.get()) >= 0) {
        if (packet->stream_index == streamIndex_ && packet->pts != AV_NOPTS_VALUE) {
            if (first == AV_NOPTS_VALUE)
                first = packet->pts;
            end = std::max(end, packet->pts + packet->duration);
        }
        av_packet_unref(packet.get());
    }
    duration_ = first == AV_NOPTS_VALUE ? 0 : double(end - first) * av_q2d(stream->time_base);
    if (duration_ <= 0) {
        error = QStringLiteral(u"曲ファイルに再生できる音声がありません：") + song_.Path;
        return false;
    }
    return OpenInput(error);
}

bool SongAudio::IsMpegAudio() const {
    const AVCodecID codec = input_->streams[streamIndex_]->codecpar->codec_id;
    return codec == AV_CODEC_ID_MP3 || codec == AV_CODEC_ID_MP2 || codec == AV_CODEC_ID_MP1;
}

bool SongAudio::AddStream(AVFormatContext* output, bool aac, QString& error) {
    const AVStream* in = input_->streams[streamIndex_];
    outStream_ = avformat_new_stream(output, nullptr);
    if (outStream_ == nullptr) {
        error = QStringLiteral(u"動画に音声を加えられません");
        return false;
    }
    pending_.reset(av_packet_alloc());
    if (!aac && IsMpegAudio()) {
        avcodec_parameters_copy(outStream_->codecpar, in->codecpar);
        outStream_->codecpar->codec_tag = 0;
        outStream_->time_base = in->time_base;
        return true;
    }
    const AVCodec* decoder = avcodec_find_decoder(in->codecpar->codec_id);
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (decoder == nullptr || encoder == nullptr) {
        error = QStringLiteral(u"曲の音声をAACにできません（FFmpegに必要なコーデックがありません）");
        return false;
    }
    decoder_.reset(avcodec_alloc_context3(decoder));
    avcodec_parameters_to_context(decoder_.get(), in->codecpar);
    if (avcodec_open2(decoder_.get(), decoder, nullptr) < 0) {
        error = QStringLiteral(u"曲の音声を読めません：") + song_.Path;
        return false;
    }
    encoder_.reset(avcodec_alloc_context3(encoder));
    encoder_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder_->sample_rate = decoder_->sample_rate;
    av_channel_layout_default(&encoder_->ch_layout,
                              std::min(2, std::max(1, decoder_->ch_layout.nb_channels)));
    encoder_->bit_rate = AacBitRate;
    encoder_->time_base = {1, encoder_->sample_rate};
    if (output->oformat->flags & AVFMT_GLOBALHEADER)
        encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(encoder_.get(), encoder, nullptr) < 0) {
        error = QStringLiteral(u"AACエンコーダーを開けません");
        return false;
    }
    avcodec_parameters_from_context(outStream_->codecpar, encoder_.get());
    outStream_->time_base = encoder_->time_base;
    SwrContext* resampler = nullptr;
    swr_alloc_set_opts2(&resampler, &encoder_->ch_layout, encoder_->sample_fmt,
                        encoder_->sample_rate, &decoder_->ch_layout, decoder_->sample_fmt,
                        decoder_->sample_rate, 0, nullptr);
    resampler_.reset(resampler);
    if (resampler == nullptr || swr_init(resampler) < 0) {
        error = QStringLiteral(u"曲の音声を変換できません");
        return false;
    }
    queue_.reset(av_audio_fifo_alloc(encoder_->sample_fmt, encoder_->ch_layout.nb_channels,
                                     encoder_->frame_size));
    decoded_.reset(av_frame_alloc());
    return true;
}

bool SongAudio::WriteUntil(AVFormatContext* output, double seconds, QString& error) {
    const AVStream* in = input_->streams[streamIndex_];
    while (!finished_) {
        if (pending_->data == nullptr) {
            const int read = av_read_frame(input_.get(), pending_.get());
            if (read < 0) {
                finished_ = true;
                return encoder_ == nullptr || Encode(output, nullptr, error);
            }
            if (pending_->stream_index != streamIndex_) {
                av_packet_unref(pending_.get());
                continue;
            }
        }
        if (seconds >= 0 && pending_->pts != AV_NOPTS_VALUE &&
            double(pending_->pts) * av_q2d(in->time_base) > seconds)
            return true;
        const bool written = encoder_ ? Encode(output, pending_.get(), error)
                                      : WriteCopied(output, pending_.get(), error);
        av_packet_unref(pending_.get());
        if (!written)
            return false;
    }
    return true;
}

bool SongAudio::WriteCopied(AVFormatContext* output, AVPacket* packet, QString& error) {
    av_packet_rescale_ts(packet, input_->streams[streamIndex_]->time_base, outStream_->time_base);
    packet->stream_index = outStream_->index;
    packet->pos = -1;
    const int written = av_interleaved_write_frame(output, packet);
    if (written < 0) {
        error = FfmpegErrorText(written);
        return false;
    }
    return true;
}

bool SongAudio::Encode(AVFormatContext* output, AVPacket* packet, QString& error) {
    // Decoded samples go through the resampler into the queue; the encoder takes them a frame
    // of its size at a time (and what is left at the end as a shorter last frame).
    if (avcodec_send_packet(decoder_.get(), packet) < 0 && packet != nullptr)
        return true; // a damaged frame of the song is left out, as a player leaves it out
    while (avcodec_receive_frame(decoder_.get(), decoded_.get()) >= 0) {
        const int room = swr_get_out_samples(resampler_.get(), decoded_->nb_samples);
        uint8_t** planes = nullptr;
        av_samples_alloc_array_and_samples(&planes, nullptr, encoder_->ch_layout.nb_channels,
                                           room, encoder_->sample_fmt, 0);
        const int made = swr_convert(resampler_.get(), planes, room,
                                     const_cast<const uint8_t**>(decoded_->extended_data),
                                     decoded_->nb_samples);
        if (made > 0)
            av_audio_fifo_write(queue_.get(), reinterpret_cast<void**>(planes), made);
        av_freep(&planes[0]);
        av_freep(&planes);
        av_frame_unref(decoded_.get());
    }
    return DrainEncoder(output, packet == nullptr, error);
}

bool SongAudio::DrainEncoder(AVFormatContext* output, bool flush, QString& error) {
    const int size = encoder_->frame_size;
    Frame frame(av_frame_alloc());
    Packet encoded(av_packet_alloc());
    auto receive = [&]() {
        int got = 0;
        while ((got = avcodec_receive_packet(encoder_.get(), encoded.get())) >= 0) {
            encoded->stream_index = outStream_->index;
            av_packet_rescale_ts(encoded.get(), encoder_->time_base, outStream_->time_base);
            if ((got = av_interleaved_write_frame(output, encoded.get())) < 0)
                break;
        }
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            return true;
        error = FfmpegErrorText(got);
        return false;
    };
    while (av_audio_fifo_size(queue_.get()) >= size ||
           (flush && av_audio_fifo_size(queue_.get()) > 0)) {
        av_frame_unref(frame.get());
        frame->nb_samples = std::min(size, av_audio_fifo_size(queue_.get()));
        av_channel_layout_copy(&frame->ch_layout, &encoder_->ch_layout);
        frame->format = encoder_->sample_fmt;
        frame->sample_rate = encoder_->sample_rate;
        av_frame_get_buffer(frame.get(), 0);
        av_audio_fifo_read(queue_.get(), reinterpret_cast<void**>(frame->data), frame->nb_samples);
        frame->pts = samplesOut_;
        samplesOut_ += frame->nb_samples;
        if (avcodec_send_frame(encoder_.get(), frame.get()) < 0 || !receive())
            return error.isEmpty() ? (error = QStringLiteral(u"AACに変換できません"), false)
                                   : false;
    }
    if (flush) {
        avcodec_send_frame(encoder_.get(), nullptr);
        return receive();
    }
    return true;
}

QString FfmpegErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QStringLiteral("FFmpeg: ") + QString::fromUtf8(text);
}

} // namespace tavelkor

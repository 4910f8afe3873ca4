#include "KaraokeVideo.h"

#include "KaraokePicture.h"
#include "SongAudio.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cmath>
#include <cstdio>

extern "C" {
#include <libavutil/opt.h>
}

namespace tavelkor {

namespace {

struct OutputCloser {
    void operator()(AVFormatContext* context) const {
        if (context->pb != nullptr)
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};

// Everything that writes the video: the container, the picture's encoder and the sound.
class VideoWriter {
public:
    VideoWriter(const KaraokeVideoJob& job, const KaraokeVideoProgress& progress)
        : job_(job), progress_(progress) {}
    KaraokeVideoResult Write(const QString& temporaryPath);

private:
    bool Fail(const QString& error) {
        result_.Error = error;
        return false;
    }
    KaraokeVideoResult Failure(const QString& error) {
        result_.Error = error;
        return result_;
    }
    bool OpenEncoder(bool stillBackground);
    bool SendFrame(AVFrame* frame);

    const KaraokeVideoJob& job_;
    const KaraokeVideoProgress& progress_;
    KaraokeVideoResult result_;
    std::unique_ptr<AVFormatContext, OutputCloser> output_;
    CodecContext encoder_;
    AVStream* stream_ = nullptr;
    SongAudio song_;
};

bool VideoWriter::OpenEncoder(bool stillBackground) {
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr)
        return Fail(QStringLiteral(u"FFmpegにH.264エンコーダー（libx264）がありません"));
    encoder_.reset(avcodec_alloc_context3(codec));
    AVCodecContext* encoder = encoder_.get();
    encoder->width = job_.Width;
    encoder->height = job_.Height;
    encoder->time_base = {1, job_.Fps};
    encoder->framerate = {job_.Fps, 1};
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->color_range = AVCOL_RANGE_MPEG;
    encoder->colorspace = AVCOL_SPC_BT709;
    encoder->color_primaries = AVCOL_PRI_BT709;
    encoder->color_trc = AVCOL_TRC_BT709;
    if (output_->oformat->flags & AVFMT_GLOBALHEADER)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(encoder->priv_data, "preset", job_.Preset.toUtf8().constData(), 0);
    av_opt_set_double(encoder->priv_data, "crf", job_.Crf, 0);
    // A still picture behind the lyrics keeps its fine detail with the encoder's tuning for
    // still images; a plain colour has none to keep.
    if (stillBackground)
        av_opt_set(encoder->priv_data, "tune", "stillimage", 0);
    const int opened = avcodec_open2(encoder, codec, nullptr);
    if (opened < 0)
        return Fail(QStringLiteral(u"H.264エンコーダーを開けません（") + FfmpegErrorText(opened) +
                    u'）');
    stream_ = avformat_new_stream(output_.get(), nullptr);
    avcodec_parameters_from_context(stream_->codecpar, encoder);
    stream_->time_base = encoder->time_base;
    stream_->avg_frame_rate = encoder->framerate;
    return true;
}

bool VideoWriter::SendFrame(AVFrame* frame) {
    int got = avcodec_send_frame(encoder_.get(), frame);
    Packet packet(av_packet_alloc());
    while (got >= 0) {
        got = avcodec_receive_packet(encoder_.get(), packet.get());
        if (got < 0)
            break;
        av_packet_rescale_ts(packet.get(), encoder_->time_base, stream_->time_base);
        packet->stream_index = stream_->index;
        got = av_interleaved_write_frame(output_.get(), packet.get());
    }
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
        return true;
    return Fail(QStringLiteral(u"動画を書き込めません（") + FfmpegErrorText(got) + u'）');
}

KaraokeVideoResult VideoWriter::Write(const QString& temporaryPath) {
    QString error;
    const QImage background = MakeVideoBackground(job_.Width, job_.Height, job_.BackgroundImage,
                                                  job_.BackgroundColour, error);
    KaraokePicture picture(background);
    if (background.isNull() || !picture.Load(job_.AssScript, error) ||
        !song_.Open(job_.Song, error)) {
        result_.Outcome = VideoOutcome::InputUnreadable;
        return Failure(error);
    }
    AVFormatContext* made = nullptr;
    avformat_alloc_output_context2(&made, nullptr, "mp4", temporaryPath.toUtf8().constData());
    if (made == nullptr)
        return Failure(QStringLiteral(u"FFmpegがMP4を書けません"));
    output_.reset(made);
    if (!OpenEncoder(!job_.BackgroundImage.isEmpty()) ||
        !song_.AddStream(made, job_.Aac, error))
        return Failure(result_.Error.isEmpty() ? error : result_.Error);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "+faststart", 0);
    int status = avio_open(&made->pb, temporaryPath.toUtf8().constData(), AVIO_FLAG_WRITE);
    if (status >= 0)
        status = avformat_write_header(made, &options);
    av_dict_free(&options);
    if (status < 0)
        return Failure(QStringLiteral(u"動画ファイルを書き始められません（") +
                    FfmpegErrorText(status) + u'）');

    // The song's length rounded up to whole frames (a hair's width of rounding aside).
    const qint64 total =
        std::max<qint64>(1, qint64(std::ceil(song_.DurationSeconds() * job_.Fps - 1e-6)));
    // Two pictures taken in turn: the encoder has mostly let go of the one before the last by
    // the time it is drawn into again, so no new buffer is needed for a new picture.
    Frame pictures[2] = {Frame(av_frame_alloc()), Frame(av_frame_alloc())};
    for (Frame& frame : pictures) {
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = job_.Width;
        frame->height = job_.Height;
        frame->color_range = AVCOL_RANGE_MPEG;
        frame->colorspace = AVCOL_SPC_BT709;
        if (av_frame_get_buffer(frame.get(), 0) < 0)
            return Failure(QStringLiteral(u"メモリが足りません"));
    }
    int shown = 0;
    const qint64 step = std::max<qint64>(1, total / 200);
    for (qint64 i = 0; i < total; ++i) {
        if (progress_.Stop != nullptr && *progress_.Stop) {
            result_.Outcome = VideoOutcome::Cancelled;
            return result_;
        }
        if (!song_.WriteUntil(made, double(i + 1) / job_.Fps, error))
            return Failure(error);
        // The picture is drawn anew only when the lyrics change; one the encoder still holds
        // on to is not drawn over (it gets a buffer of its own).
        if (picture.Render(std::llround(double(i) * 1000 / job_.Fps))) {
            shown = 1 - shown;
            if (av_frame_make_writable(pictures[shown].get()) < 0)
                return Failure(QStringLiteral(u"メモリが足りません"));
            picture.Paint(pictures[shown].get());
        }
        pictures[shown]->pts = i;
        if (!SendFrame(pictures[shown].get()))
            return result_;
        if (progress_.Shown && ((i + 1) % step == 0 || i + 1 == total))
            progress_.Shown(i + 1, total);
    }
    if (!SendFrame(nullptr) || !song_.WriteUntil(made, -1, error))
        return Failure(result_.Error.isEmpty() ? error : result_.Error);
    status = av_write_trailer(made);
    if (status >= 0)
        status = avio_closep(&made->pb);
    if (status < 0)
        return Failure(QStringLiteral(u"動画ファイルを書き終えられません（") +
                    FfmpegErrorText(status) + u'）');
    result_.Outcome = VideoOutcome::Written;
    return result_;
}

} // namespace

KaraokeVideoResult WriteKaraokeVideo(const KaraokeVideoJob& job,
                                     const KaraokeVideoProgress& progress) {
    // The video is made beside its final name, under a hidden temporary one, so that what
    // stands under the final name is always whole. The temporary file is made as any new file
    // is (the user's file mode mask applies), so the renamed video has the usual permissions.
    const QFileInfo target(job.OutputPath);
    QString temporaryPath;
    for (int attempt = 0; attempt < 100 && temporaryPath.isEmpty(); ++attempt) {
        QFile temporary(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".%1.part").arg(QRandomGenerator::global()->generate()));
        if (temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            temporaryPath = temporary.fileName();
    }
    if (temporaryPath.isEmpty()) {
        KaraokeVideoResult failed;
        failed.Error = QStringLiteral(u"出力フォルダにファイルを作れません：") + target.absolutePath();
        return failed;
    }
    // FFmpeg's own messages (the encoder's statistics) stay off the terminal; what goes wrong
    // is told in the result.
    av_log_set_level(AV_LOG_QUIET);
    KaraokeVideoResult result;
    {
        VideoWriter writer(job, progress);
        result = writer.Write(temporaryPath);
    }
    if (result.Outcome == VideoOutcome::Written) {
        result.Replaced = target.exists();
        if (std::rename(QFile::encodeName(temporaryPath).constData(),
                        QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
            result.Outcome = VideoOutcome::Failed;
            result.Replaced = false;
            result.Error = QStringLiteral(u"動画ファイルの名前を付けられません：") + job.OutputPath;
        }
    }
    if (result.Outcome != VideoOutcome::Written)
        QFile::remove(temporaryPath);
    return result;
}

} // namespace tavelkor

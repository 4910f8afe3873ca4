#include "AudioSinkOutput.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstring>

namespace tavelkor {

namespace {

qint64 NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The sink's buffer, and how often it is topped up.
constexpr int BufferMs = 300;
constexpr int QueueMs = 500;
constexpr int FillEveryMs = 10;

QAudioFormat FloatStereo(int sampleRate) {
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Float);
    return format;
}

// A stream of silence on the default output.
class SilentStream : public QIODevice {
public:
    SilentStream() {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        const QAudioFormat format = FloatStereo(44100);
        if (device.isNull() || !device.isFormatSupported(format))
            return;
        sink_ = std::make_unique<QAudioSink>(device, format);
        open(QIODevice::ReadOnly);
        sink_->start(this);
    }
    ~SilentStream() override {
        if (sink_)
            sink_->stop();
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 1 << 20; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        std::memset(data, 0, size_t(maxSize));
        return maxSize;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::unique_ptr<QAudioSink> sink_;
};

} // namespace

std::shared_ptr<void> AudioSinkOutput::KeepSoundServerAwake() {
    static std::weak_ptr<SilentStream> shared;
    std::shared_ptr<SilentStream> stream = shared.lock();
    if (!stream) {
        stream = std::make_shared<SilentStream>();
        shared = stream;
    }
    return stream;
}

AudioSinkOutput::AudioSinkOutput() : awake_(KeepSoundServerAwake()) {
    filler_.setTimerType(Qt::PreciseTimer);
    filler_.setInterval(FillEveryMs);
    QObject::connect(&filler_, &QTimer::timeout, [this] { Fill(); });
}

AudioSinkOutput::~AudioSinkOutput() { Stop(); }

void AudioSinkOutput::Fill() {
    if (device_ == nullptr)
        return;
    // What the sink asks for, and once it plays more where its requests are late (the sound
    // server's messages wait on a busy machine while it plays on): the frames written stay
    // QueueMs ahead of those played. The sink keeps what comes beyond its buffer.
    const qint64 asked = sink_->bytesFree() / qint64(2 * sizeof(float));
    const qint64 played = sink_->processedUSecs() * rate_ / 1000000;
    const int frames = int(clock_.Started() ? std::max(asked, qint64(rate_) * QueueMs / 1000 -
                                                                  (written_ - played))
                                            : asked);
    if (frames <= 0)
        return;
    block_.resize(size_t(2 * frames));
    const int made = source_(block_.data(), frames);
    if (made <= 0)
        return;
    if (!clock_.Started())
        clock_.Start(NowUs());
    written_ += device_->write(reinterpret_cast<const char*>(block_.data()),
                               qint64(made) * qint64(2 * sizeof(float))) /
                qint64(2 * sizeof(float));
}

bool AudioSinkOutput::Start(int sampleRate, Source source) {
    Stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    const QAudioFormat format = FloatStereo(sampleRate);
    if (device.isNull() || !device.isFormatSupported(format)) {
        error_ = QStringLiteral(u"音を出せる機器がありません");
        return false;
    }
    rate_ = sampleRate;
    sink_ = std::make_unique<QAudioSink>(device, format);
    // Room for the window's thread to be kept from topping it up for a while on a busy machine.
    // A seek or a speed change starts a new stream, so none of it is heard after them.
    sink_->setBufferSize(int(sampleRate * 2 * sizeof(float) * BufferMs / 1000));
    device_ = sink_->start();
    if (device_ == nullptr || sink_->error() != QAudio::NoError) {
        error_ = QStringLiteral(u"音を出せません");
        Stop();
        return false;
    }
    source_ = std::move(source);
    written_ = 0;
    clock_.Reset();
    error_.clear();
    Fill();
    filler_.start();
    return true;
}

void AudioSinkOutput::Stop() {
    filler_.stop();
    if (sink_) {
        sink_->stop();
        sink_.reset();
    }
    device_ = nullptr;
    source_ = nullptr;
}

qint64 AudioSinkOutput::PlayedFrames() const {
    if (!sink_ || rate_ == 0)
        return 0;
    return clock_.PlayedUs(sink_->processedUSecs(), NowUs()) * rate_ / 1000000;
}

} // namespace tavelkor

#include "AudioSinkOutput.h"

#include <QAudioDevice>
#include <QMediaDevices>

namespace tavelkor {

AudioSinkOutput::AudioSinkOutput() = default;

AudioSinkOutput::~AudioSinkOutput() { Stop(); }

qint64 AudioSinkOutput::Feeder::readData(char* data, qint64 maxSize) {
    const int frames = int(maxSize / qint64(2 * sizeof(float)));
    if (frames <= 0 || !Render)
        return 0;
    const int made = Render(reinterpret_cast<float*>(data), frames);
    return qint64(made) * qint64(2 * sizeof(float));
}

bool AudioSinkOutput::Start(int sampleRate, Source source) {
    Stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Float);
    if (device.isNull() || !device.isFormatSupported(format)) {
        error_ = QStringLiteral(u"音を出せる機器がありません");
        return false;
    }
    rate_ = sampleRate;
    sink_ = std::make_unique<QAudioSink>(device, format);
    // A short buffer: what is already in it still plays after a seek or a speed change.
    sink_->setBufferSize(int(sampleRate * 2 * sizeof(float) / 10));
    feeder_.Render = std::move(source);
    feeder_.open(QIODevice::ReadOnly);
    sink_->start(&feeder_);
    if (sink_->error() != QAudio::NoError) {
        error_ = QStringLiteral(u"音を出せません");
        Stop();
        return false;
    }
    error_.clear();
    return true;
}

void AudioSinkOutput::Stop() {
    if (sink_) {
        sink_->stop();
        sink_.reset();
    }
    feeder_.close();
    feeder_.Render = nullptr;
}

qint64 AudioSinkOutput::PlayedFrames() const {
    if (!sink_ || rate_ == 0)
        return 0;
    return sink_->processedUSecs() * rate_ / 1000000;
}

} // namespace tavelkor

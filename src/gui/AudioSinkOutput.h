// The timing editor's sound output: Qt Multimedia's QAudioSink pulls the stretched song's
// frames as 32-bit float stereo; the frames played are the sink's processed time.
#pragma once

#include "../timing/SongPlayer.h"

#include <QAudioSink>
#include <QIODevice>
#include <memory>

namespace tavelkor {

class AudioSinkOutput : public SoundOutput {
public:
    AudioSinkOutput();
    ~AudioSinkOutput() override;
    bool Start(int sampleRate, Source source) override;
    void Stop() override;
    qint64 PlayedFrames() const override;
    QString Error() const override { return error_; }

private:
    // Hands the sink what the source renders.
    class Feeder : public QIODevice {
    public:
        Source Render;
        bool isSequential() const override { return true; }
        qint64 bytesAvailable() const override { return 1 << 20; }

    protected:
        qint64 readData(char* data, qint64 maxSize) override;
        qint64 writeData(const char*, qint64) override { return -1; }
    };

    std::unique_ptr<QAudioSink> sink_;
    Feeder feeder_;
    int rate_ = 0;
    QString error_;
};

} // namespace tavelkor

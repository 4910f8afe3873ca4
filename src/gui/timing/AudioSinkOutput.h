// The timing editor's sound output: the stretched song's frames go to Qt Multimedia's
// QAudioSink as 32-bit float stereo, written by a timer of the window's thread as fast as the
// sink takes them (the frames are ready: RenderAhead renders them on a thread of its own). The
// frames played are the sink's processed time, smoothed by an OutputClock that starts when the
// first frames are handed over.
#pragma once

#include "../../timing/OutputClock.h"
#include "../../timing/SongPlayer.h"

#include <QAudioSink>
#include <QIODevice>
#include <QTimer>
#include <memory>
#include <vector>

namespace tavelkor {

class AudioSinkOutput : public SoundOutput {
public:
    AudioSinkOutput();
    ~AudioSinkOutput() override;
    bool Start(int sampleRate, Source source) override;
    void Stop() override;
    qint64 PlayedFrames() const override;
    QString Error() const override { return error_; }

    // Keeps a stream of silence playing while anyone holds the handle (the timing editor from
    // its window's start). A PulseAudio sink without streams renders two seconds ahead and
    // sleeps; a stream started then plays its first 60 ms and stalls until the sink wakes, up
    // to two seconds later. With a stream always there the sink keeps short sleeps.
    static std::shared_ptr<void> KeepSoundServerAwake();

private:
    // Writes what the sink has room for.
    void Fill();

    std::unique_ptr<QAudioSink> sink_;
    QIODevice* device_ = nullptr; // the sink's, while it runs
    Source source_;
    QTimer filler_;
    std::vector<float> block_;
    std::shared_ptr<void> awake_;
    mutable OutputClock clock_;
    qint64 written_ = 0; // frames written since the start
    int rate_ = 0;
    QString error_;
};

} // namespace tavelkor

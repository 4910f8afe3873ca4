// The timing editor's clock: the decoded song played through a sound output at 1x, 0.75x or
// 0.5x with the pitch kept, rendered ahead on a thread of its own (RenderAhead). Its position
// is song time: the frames the output has played, times the speed, from where playing last
// started. Seeking, pausing and changing the speed start the renderer and the output afresh at
// the song position, so no old audio is heard after them. While paused, the renderer already
// renders from the paused position, so Play has frames at once.
#pragma once

#include "../preview/PreviewClock.h"
#include "RenderAhead.h"

#include <QString>
#include <functional>
#include <memory>

namespace tavelkor {

// Where the samples go: the sound card in the window, a counter in tests.
class SoundOutput {
public:
    // Writes up to `frames` interleaved stereo float frames; fewer at the end of the song (or
    // when the renderer fell far behind). It only copies, waiting for the renderer when it is
    // behind, as it is right after a start.
    using Source = std::function<int(float* interleaved, int frames)>;
    virtual ~SoundOutput() = default;
    // Starts pulling frames at `sampleRate` from `source`; PlayedFrames starts at 0.
    virtual bool Start(int sampleRate, Source source) = 0;
    virtual void Stop() = 0;
    // Frames the device has played since Start.
    virtual qint64 PlayedFrames() const = 0;
    virtual QString Error() const { return QString(); }
};

// A clock whose speed can change; positions are always song time.
class TimingClock : public PreviewClock {
public:
    virtual void SetSpeed(double speed) = 0;
    virtual double Speed() const = 0;
    // True when there is sound to tap to.
    virtual bool Audible() const = 0;
    // The decoded samples it plays (for the waveform and the onsets); null for none.
    virtual std::shared_ptr<const DecodedSong> Song() const { return nullptr; }
};

class SongPlayer : public TimingClock {
public:
    SongPlayer(std::shared_ptr<const DecodedSong> song, std::unique_ptr<SoundOutput> output);
    // The output stops before the renderer it pulls from goes.
    ~SongPlayer() override;

    void Play() override;
    void Pause() override;
    bool Playing() const override { return playing_; }
    qint64 PositionMs() const override;
    void Seek(qint64 positionMs) override;
    qint64 DurationMs() const override { return song_->DurationMs(); }
    bool Ended() const override;
    QString Error() const override { return error_; }
    void SetSpeed(double speed) override;
    double Speed() const override { return speed_; }
    bool Audible() const override { return error_.isEmpty(); }
    std::shared_ptr<const DecodedSong> Song() const override { return song_; }

    SoundOutput& Output() { return *output_; }

private:
    qint64 PausedFrame() const;
    // Starts rendering from the paused position.
    void Prepare();
    void StartOutput();

    std::shared_ptr<const DecodedSong> song_;
    std::unique_ptr<SoundOutput> output_;
    RenderAhead renderer_;
    double speed_ = 1;
    bool playing_ = false;
    qint64 startFrame_ = 0; // the song frame the output started at
    qint64 pausedMs_ = 0;
    qint64 rendered_ = 0; // frames handed to the output since it started
    bool renderedAll_ = false;
    bool prepared_ = false; // the renderer runs from the paused position, nothing read yet
    QString error_;
};

} // namespace tavelkor

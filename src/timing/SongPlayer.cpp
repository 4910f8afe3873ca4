#include "SongPlayer.h"

#include <algorithm>

namespace tavelkor {

namespace {
// How long the output waits for frames the renderer has not made yet: right after a start it
// makes the first ones within milliseconds; later it is two seconds ahead, unless the machine
// kept it from running that long.
constexpr int WaitForRendererMs = 500;
} // namespace

SongPlayer::SongPlayer(std::shared_ptr<const DecodedSong> song, std::unique_ptr<SoundOutput> output)
    : song_(std::move(song)), output_(std::move(output)), renderer_(song_), error_(song_->Error) {
    Prepare();
}

SongPlayer::~SongPlayer() {
    output_->Stop();
    renderer_.Stop();
}

qint64 SongPlayer::PausedFrame() const {
    return std::clamp<qint64>(pausedMs_ * song_->SampleRate / 1000, 0, song_->Frames());
}

void SongPlayer::Prepare() {
    prepared_ = error_.isEmpty() && song_->Frames() > 0;
    if (prepared_)
        renderer_.Start(PausedFrame(), speed_);
}

void SongPlayer::StartOutput() {
    startFrame_ = PausedFrame();
    if (!prepared_ || renderer_.StartFrame() != startFrame_ || renderer_.Speed() != speed_)
        renderer_.Start(startFrame_, speed_);
    prepared_ = false;
    rendered_ = 0;
    renderedAll_ = false;
    const bool started = output_->Start(song_->SampleRate, [this](float* out, int frames) {
        const int made = renderer_.Read(out, frames, WaitForRendererMs);
        rendered_ += made;
        renderedAll_ = renderer_.Finished();
        return made;
    });
    if (!started) {
        renderer_.Stop();
        error_ = output_->Error();
        playing_ = false;
    }
}

void SongPlayer::Play() {
    if (playing_ || !error_.isEmpty() || song_->Frames() == 0)
        return;
    if (pausedMs_ >= DurationMs())
        pausedMs_ = 0;
    playing_ = true;
    StartOutput();
}

void SongPlayer::Pause() {
    if (!playing_)
        return;
    pausedMs_ = PositionMs();
    output_->Stop();
    playing_ = false;
    Prepare();
}

qint64 SongPlayer::PositionMs() const {
    if (!playing_)
        return pausedMs_;
    const qint64 played = std::min(output_->PlayedFrames(), rendered_);
    const double songFrame = double(startFrame_) + double(played) * speed_;
    return std::min<qint64>(qint64(songFrame * 1000.0 / song_->SampleRate + 0.5), DurationMs());
}

void SongPlayer::Seek(qint64 positionMs) {
    const bool was = playing_;
    if (was) {
        output_->Stop();
        renderer_.Stop();
    }
    playing_ = false;
    pausedMs_ = std::clamp<qint64>(positionMs, 0, DurationMs());
    if (was) {
        playing_ = true;
        StartOutput();
    } else {
        Prepare();
    }
}

void SongPlayer::SetSpeed(double speed) {
    if (speed == speed_)
        return;
    const qint64 position = PositionMs();
    speed_ = speed;
    Seek(position);
}

bool SongPlayer::Ended() const {
    return playing_ && renderedAll_ && output_->PlayedFrames() >= rendered_;
}

} // namespace tavelkor

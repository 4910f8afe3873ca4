#include "StretchRenderer.h"

#include <rubberband/RubberBandStretcher.h>

#include <algorithm>

namespace tavelkor {

StretchRenderer::StretchRenderer(std::shared_ptr<const DecodedSong> song)
    : song_(std::move(song)) {}

StretchRenderer::~StretchRenderer() = default;

void StretchRenderer::Start(qint64 songFrame, double speed) {
    speed_ = std::clamp(speed, 0.25, 1.0);
    startFrame_ = std::clamp<qint64>(songFrame, 0, song_->Frames());
    input_ = startFrame_;
    finished_ = false;
    if (speed_ == 1) {
        stretcher_.reset();
        return;
    }
    using Stretcher = RubberBand::RubberBandStretcher;
    if (!stretcher_) {
        stretcher_ = std::make_unique<Stretcher>(
            size_t(song_->SampleRate), 2,
            Stretcher::OptionProcessRealTime | Stretcher::OptionEngineFiner |
                Stretcher::OptionPitchHighConsistency | Stretcher::OptionWindowShort,
            1.0 / speed_, 1.0);
    } else {
        stretcher_->reset();
        stretcher_->setTimeRatio(1.0 / speed_);
    }
    // Silence in front fills the stretcher's window; its delay is thrown away at the output,
    // so the first frame out is the start frame.
    const size_t pad = stretcher_->getPreferredStartPad();
    std::vector<float> zeros(std::max<size_t>(pad, 1), 0.0f);
    const float* channels[2] = {zeros.data(), zeros.data()};
    if (pad > 0)
        stretcher_->process(channels, pad, false);
    toDiscard_ = qint64(stretcher_->getStartDelay());
}

void StretchRenderer::Feed() {
    const qint64 frames = song_->Frames();
    const qint64 wanted = std::max<qint64>(qint64(stretcher_->getSamplesRequired()), 256);
    const qint64 count = std::min(wanted, frames - input_);
    if (count <= 0) {
        // The song's end: flush what the stretcher still holds.
        std::vector<float> zeros(256, 0.0f);
        const float* channels[2] = {zeros.data(), zeros.data()};
        stretcher_->process(channels, 0, true);
        finished_ = true;
        return;
    }
    const float* channels[2] = {song_->Left.data() + input_, song_->Right.data() + input_};
    stretcher_->process(channels, size_t(count), false);
    input_ += count;
}

int StretchRenderer::Render(float* interleaved, int frames) {
    if (!stretcher_) {
        const int count = int(std::clamp<qint64>(song_->Frames() - input_, 0, frames));
        for (int i = 0; i < count; ++i) {
            interleaved[2 * i] = song_->Left[input_ + i];
            interleaved[2 * i + 1] = song_->Right[input_ + i];
        }
        input_ += count;
        return count;
    }
    int written = 0;
    while (written < frames) {
        const int available = stretcher_->available();
        if (available < 0)
            break; // everything is out
        if (available == 0) {
            if (finished_)
                break;
            Feed();
            continue;
        }
        const int count = int(
            std::min<qint64>(available, toDiscard_ > 0 ? toDiscard_ : qint64(frames - written)));
        left_.resize(size_t(count));
        right_.resize(size_t(count));
        float* channels[2] = {left_.data(), right_.data()};
        const int got = int(stretcher_->retrieve(channels, size_t(count)));
        if (toDiscard_ > 0) {
            toDiscard_ -= got;
            continue;
        }
        for (int i = 0; i < got; ++i) {
            interleaved[2 * (written + i)] = left_[i];
            interleaved[2 * (written + i) + 1] = right_[i];
        }
        written += got;
    }
    return written;
}

} // namespace tavelkor

#include "RenderAhead.h"

#include <algorithm>
#include <chrono>

namespace tavelkor {

namespace {
// Frames rendered at a time: small, so the first frames after a start are ready soon.
constexpr int BlockFrames = 1024;
} // namespace

RenderAhead::RenderAhead(std::shared_ptr<const DecodedSong> song)
    : renderer_(std::move(song)), ring_(size_t(2 * AheadFrames)) {}

RenderAhead::~RenderAhead() { Stop(); }

void RenderAhead::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    writable_.notify_all();
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(mutex_);
    readAt_ = writtenTo_ = 0;
    ended_ = false;
    stopping_ = false;
}

void RenderAhead::Start(qint64 songFrame, double speed) {
    Stop();
    startFrame_ = songFrame;
    speed_ = speed;
    // The stretcher's start (its reset and start pad) runs on the thread too.
    thread_ = std::thread([this] {
        renderer_.Start(startFrame_, speed_);
        Run();
    });
}

void RenderAhead::Run() {
    std::vector<float> block(size_t(2 * BlockFrames));
    while (true) {
        {
            std::unique_lock lock(mutex_);
            writable_.wait(lock, [this] {
                return stopping_ || writtenTo_ - readAt_ <= AheadFrames - BlockFrames;
            });
            if (stopping_)
                return;
        }
        const int made = renderer_.Render(block.data(), BlockFrames);
        {
            std::lock_guard lock(mutex_);
            for (int i = 0; i < made; ++i) {
                const size_t at = size_t((writtenTo_ + i) % AheadFrames);
                ring_[2 * at] = block[size_t(2 * i)];
                ring_[2 * at + 1] = block[size_t(2 * i + 1)];
            }
            writtenTo_ += made;
            ended_ = made < BlockFrames;
        }
        readable_.notify_all();
        if (made < BlockFrames)
            return;
    }
}

int RenderAhead::Read(float* interleaved, int frames, int waitMs) {
    std::unique_lock lock(mutex_);
    readable_.wait_for(lock, std::chrono::milliseconds(waitMs), [&] {
        return ended_ || writtenTo_ - readAt_ >= std::min(frames, AheadFrames - BlockFrames) ||
               !thread_.joinable();
    });
    const int count = int(std::min<qint64>(frames, writtenTo_ - readAt_));
    for (int i = 0; i < count; ++i) {
        const size_t at = size_t((readAt_ + i) % AheadFrames);
        interleaved[2 * i] = ring_[2 * at];
        interleaved[2 * i + 1] = ring_[2 * at + 1];
    }
    readAt_ += count;
    lock.unlock();
    writable_.notify_one();
    return count;
}

bool RenderAhead::Finished() const {
    std::lock_guard lock(mutex_);
    return ended_ && readAt_ == writtenTo_;
}

} // namespace tavelkor

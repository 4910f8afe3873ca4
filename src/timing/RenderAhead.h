// The stretched song rendered ahead of the sound output on a thread of its own, into a ring of
// about two seconds of frames: the output's callback only copies, so a busy machine that keeps
// the renderer waiting for a while does not starve the sound. Starting afresh (a seek, a speed
// change) stops the thread, throws the ring away and renders from the new frame, so nothing
// rendered for the old position is heard after it.
#pragma once

#include "StretchRenderer.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tavelkor {

class RenderAhead {
public:
    // Output frames kept ready ahead of the output.
    static constexpr int AheadFrames = 2 * 44100;

    explicit RenderAhead(std::shared_ptr<const DecodedSong> song);
    ~RenderAhead();

    // Renders from `songFrame` at `speed` (StretchRenderer::Start), forgetting what was ready.
    void Start(qint64 songFrame, double speed);
    // Stops rendering and forgets what was ready.
    void Stop();
    // Copies up to `frames` interleaved stereo frames, waiting up to `waitMs` for the renderer
    // when it is behind; fewer at the song's end (and when the wait ran out).
    int Read(float* interleaved, int frames, int waitMs);
    // True when everything up to the song's end has been read.
    bool Finished() const;
    // Where and at what speed it renders (Start's arguments).
    qint64 StartFrame() const { return startFrame_; }
    double Speed() const { return speed_; }

private:
    void Run();

    StretchRenderer renderer_; // used by the thread alone while it runs
    qint64 startFrame_ = -1;
    double speed_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable readable_, writable_;
    std::vector<float> ring_; // interleaved stereo, AheadFrames frames
    qint64 readAt_ = 0, writtenTo_ = 0; // frame counts; the ring holds [readAt_, writtenTo_)
    bool stopping_ = false;
    bool ended_ = false; // the renderer has given everything up to the song's end
};

} // namespace tavelkor

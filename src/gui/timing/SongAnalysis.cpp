#include "SongAnalysis.h"

#include "../../timing/SongOnsets.h"

namespace tavelkor {

SongAnalysis::Detector SongAnalysis::DefaultDetector(const QString& kind) {
    return [kind](const DecodedSong& song, const std::atomic<bool>* cancel) {
        return SongOnsets(song, kind, cancel);
    };
}

SongAnalysis::SongAnalysis(QObject* parent) : QObject(parent) {}

SongAnalysis::~SongAnalysis() { Stop(); }

void SongAnalysis::Stop() {
    if (cancel_)
        cancel_->store(true);
    if (worker_.joinable())
        worker_.join();
    cancel_.reset();
}

void SongAnalysis::Start(std::shared_ptr<const DecodedSong> song, const Detector& detect) {
    Stop();
    ++generation_;
    onsets_.reset();
    pyramid_.reset();
    if (!song || song->Frames() == 0)
        return;
    pyramid_ = std::make_shared<const WaveformPyramid>(song);
    if (!detect)
        return;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    const int generation = generation_;
    // The worker ends before this object does (Stop joins it), so the queued call that hands
    // the onsets over never meets a deleted receiver.
    worker_ = std::thread([this, song, detect, cancel = cancel_, generation] {
        auto found = std::make_shared<const std::vector<int>>(detect(*song, cancel.get()));
        if (cancel->load())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, found, generation] {
                if (generation != generation_)
                    return;
                onsets_ = found;
                emit OnsetsFound();
            },
            Qt::QueuedConnection);
    });
}

} // namespace tavelkor

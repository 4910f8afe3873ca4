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
    spectrogram_.reset();
    pyramid_.reset();
    if (!song || song->Frames() == 0)
        return;
    pyramid_ = std::make_shared<const WaveformPyramid>(song);
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    const int generation = generation_;
    // The spectrogram first: it is a small part of the onsets' time and the lane may show it.
    worker_ = std::thread([this, song, detect, cancel = cancel_, generation] {
        std::shared_ptr<const Spectrogram> spectrogram = Spectrogram::Compute(*song, cancel.get());
        if (!spectrogram)
            return;
        HandOver(generation, [this, spectrogram] {
            spectrogram_ = spectrogram;
            emit SpectrogramReady();
        });
        if (!detect)
            return;
        auto found = std::make_shared<const std::vector<int>>(detect(*song, cancel.get()));
        if (cancel->load())
            return;
        HandOver(generation, [this, found] {
            onsets_ = found;
            emit OnsetsFound();
        });
    });
}

void SongAnalysis::HandOver(int generation, std::function<void()> hand) {
    // The worker ends before this object does (Stop joins it), so the queued call never meets
    // a deleted receiver.
    QMetaObject::invokeMethod(
        this,
        [this, generation, hand = std::move(hand)] {
            if (generation == generation_)
                hand();
        },
        Qt::QueuedConnection);
}

} // namespace tavelkor

// What the timing editor reads from a decoded song besides its sound: the waveform pyramid,
// built at once (one pass over the samples), then the spectrogram and the onsets, computed in
// that order on a worker thread so that the window never waits for them. A new song cancels
// the work on the old one.
#pragma once

#include "../../timing/SongDecoder.h"
#include "../../timing/Spectrogram.h"
#include "../../timing/WaveformPyramid.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace tavelkor {

class SongAnalysis : public QObject {
    Q_OBJECT
public:
    // Finds the onsets of a song (ms, sorted); stops early when `cancel` becomes true.
    using Detector =
        std::function<std::vector<int>(const DecodedSong& song, const std::atomic<bool>* cancel)>;
    // The onsets of the kind Timing/OnsetKind names ("voice" or "plain").
    static Detector DefaultDetector(const QString& kind);

    explicit SongAnalysis(QObject* parent = nullptr);
    ~SongAnalysis() override;

    // Builds the pyramid of `song` (null: none) and starts on its spectrogram and onsets.
    void Start(std::shared_ptr<const DecodedSong> song, const Detector& detect);
    std::shared_ptr<const WaveformPyramid> Pyramid() const { return pyramid_; }
    // Null until the spectrogram has been computed.
    std::shared_ptr<const Spectrogram> SongSpectrogram() const { return spectrogram_; }
    // Null until the onsets have been found.
    std::shared_ptr<const std::vector<int>> Onsets() const { return onsets_; }

signals:
    void SpectrogramReady();
    void OnsetsFound();

private:
    void Stop();

    // Runs `hand` on the window's thread unless a newer song came meanwhile.
    void HandOver(int generation, std::function<void()> hand);

    std::shared_ptr<const WaveformPyramid> pyramid_;
    std::shared_ptr<const Spectrogram> spectrogram_;
    std::shared_ptr<const std::vector<int>> onsets_;
    std::shared_ptr<std::atomic<bool>> cancel_;
    std::thread worker_;
    int generation_ = 0; // results of an older song are dropped
};

} // namespace tavelkor

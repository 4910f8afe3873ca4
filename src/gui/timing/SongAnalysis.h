// What the timing editor reads from a decoded song besides its sound: the waveform pyramid,
// built at once (one pass over the samples), and the onsets, found on a worker thread so that
// the window never waits for them. A new song cancels the search for the old one's.
#pragma once

#include "../../timing/SongDecoder.h"
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

    // Builds the pyramid of `song` (null: none) and starts looking for its onsets.
    void Start(std::shared_ptr<const DecodedSong> song, const Detector& detect);
    std::shared_ptr<const WaveformPyramid> Pyramid() const { return pyramid_; }
    // Null until the onsets have been found.
    std::shared_ptr<const std::vector<int>> Onsets() const { return onsets_; }

signals:
    void OnsetsFound();

private:
    void Stop();

    std::shared_ptr<const WaveformPyramid> pyramid_;
    std::shared_ptr<const std::vector<int>> onsets_;
    std::shared_ptr<std::atomic<bool>> cancel_;
    std::thread worker_;
    int generation_ = 0; // results of an older song are dropped
};

} // namespace tavelkor

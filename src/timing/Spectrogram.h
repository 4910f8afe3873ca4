// The song's spectrogram as the timing editor's lane draws it: one column every HopMs of the
// song (both channels mixed, a Hann window of about 40 ms), each column Rows levels on a
// logarithmic frequency scale from LowestHz up seven octaves, the voice's band (VoiceLowHz to
// VoiceHighHz) at full strength and the bass and the treble below it, so that sung syllables
// stand out from the accompaniment. Levels are bytes (0: LevelFloorDb or less, 255: a full-scale
// sine), and levels of columns twice as wide (the louder of each pair) sit above them, so that
// a picture of any zoom reads a few columns per pixel and never recomputes the analysis.
// A 20-minute song takes 120 000 columns of 112 bytes: 13.4 MB, 27 MB with the levels.
#pragma once

#include "SongDecoder.h"

#include <atomic>
#include <memory>
#include <vector>

namespace tavelkor {

class Spectrogram {
public:
    static constexpr int HopMs = 10;
    // Rows: seven octaves from LowestHz.
    static constexpr int RowsPerOctave = 16, Rows = 7 * RowsPerOctave;
    static constexpr double LowestHz = 64;
    // The voice's band, and the level of byte 0 (255 is a full-scale sine).
    static constexpr double VoiceLowHz = 200, VoiceHighHz = 4000, LevelFloorDb = -80;

    // The spectrogram of `song`; null when `cancel` became true before it was done.
    static std::shared_ptr<const Spectrogram> Compute(const DecodedSong& song,
                                                      const std::atomic<bool>* cancel = nullptr);

    // The frequency at the centre of a row (row 0 lowest).
    static double RowHz(int row);
    // The gain in dB the voice emphasis gives a frequency: 0 inside the voice's band, 6 dB less
    // an octave away from it, at most 18 dB less.
    static double EmphasisDb(double hz);

    int Columns() const { return columns_; }
    // The level of a row of the column centred at column * HopMs (0 outside the song).
    quint8 Level(int column, int row) const;
    // The picture of the song time fromMs .. toMs over `pixels` columns of pixels, split as the
    // waveform's Envelope splits it: Rows levels per pixel (out[p * Rows + row]), each the
    // loudest of the columns centred in the pixel's time, or of the column nearest its middle
    // when the pixel is narrower than a hop. Empty for pixels <= 0 or toMs <= fromMs.
    std::vector<quint8> Picture(qint64 fromMs, qint64 toMs, int pixels) const;
    // The memory the levels take.
    size_t Bytes() const;

private:
    // The loudest level of every row over columns from .. to - 1 (inside the song) into `out`.
    void Loudest(qint64 from, qint64 to, quint8* out) const;

    int columns_ = 0;
    std::vector<std::vector<quint8>> levels_; // levels_[k][i * Rows + row]: columns of i << k
};

} // namespace tavelkor

// Placing the fragments of a line whose start and end are known on the voice of the song: the
// fragments' expected lengths (by their syllables or morae) are aligned to where sung
// syllables start inside the line, so that a library of line-timed lyrics gets karaoke times.
#pragma once

#include "SongDecoder.h"
#include "TimingDocument.h"

#include <QStringView>
#include <QVector>
#include <vector>

namespace tavelkor {

// How likely a sung syllable starts, frame by frame, between two times of a song.
struct SyllableStartCurve {
    int StartMs = 0;          // the time of frame 0
    int HopMs = 10;           // the time between frames
    std::vector<float> Onset; // 0 .. 1: 1 where the voice starts a syllable most clearly

    int Frames() const { return int(Onset.size()); }
};

// The voice curve of `song` from `fromMs` to `toMs`: the rise of the voice's harmonic sound in
// the singing band (notes and vowels that start, where drums and other clicks do not count),
// each frame against the loudest rise of the stretch.
SyllableStartCurve VoiceOnsetCurve(const DecodedSong& song, int fromMs, int toMs);

struct PlacingOptions {
    double LengthWeight = 0.3; // how much a fragment may differ from its expected length
    int MinFragmentMs = 40;    // a placed fragment is at least this long where the span allows
};

// The starts of fragments weighing `weights` (syllables or morae; a weight of 0 or less counts
// 1) inside `startMs` .. `endMs`, the first at `startMs`: the other starts go where `curve`
// rises while the fragments keep lengths near their share of the span. The starts are in
// order and inside the span; two are the same only when the span is shorter than a
// millisecond a fragment. Where the curve does not cover the span the starts are spread by
// the weights.
QVector<int> PlaceFragments(const SyllableStartCurve& curve, const QVector<double>& weights,
                            int startMs, int endMs, const PlacingOptions& options = {});

// The same with the curve of `song` over the span.
QVector<int> PlaceFragmentsOnSong(const DecodedSong& song, const QVector<double>& weights,
                                  int startMs, int endMs, const PlacingOptions& options = {});

// The syllables of a word in Latin letters: its groups of vowels (y among them), at least 1.
int LatinSyllables(QStringView word);
// The weights for placing the fragments of `line` whose morae are `morae` (FragmentMorae): a
// fragment without kana or kanji that holds letters weighs its syllables, the others their morae.
QVector<double> PlacingWeights(const TimingLine& line, const QVector<double>& morae);

} // namespace tavelkor

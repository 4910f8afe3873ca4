// Where the voice starts a syllable in a full mix. Drums, bass and chords start notes too, and a
// plain onset detector hears them all; this one brings the voice forward first:
//  - the middle of the stereo image, where a lead voice is mixed, is kept and what is panned
//    to a side is dropped (a mono song keeps everything);
//  - only the band where the voice has its strength counts (150 Hz to 5 kHz: above the bass
//    and the kick, below the cymbals), and in it the rise of log loudness from one frame to
//    the next, measured against the louder neighbour bin of the earlier frame so that a
//    vibrato sliding from bin to bin does not count as a new note.
// Keeping only the harmonic part (median filters along time and frequency of the spectrogram,
// HarmonicFrames) quiets drum hits but also the consonants that start sung words, and lost on
// real songs; it stays an option. The peaks of the curve are the onsets, each with its height
// above the curve's local mean. docs/design-notes.md has the measurements behind the choices.
#pragma once

#include "SongDecoder.h"

#include <atomic>
#include <vector>

namespace tavelkor {

struct VoiceOnsetOptions {
    double WindowMs = 46;      // spectrum window (a power of two of frames near this)
    double CentreExponent = 1; // how strictly the middle of the stereo image is kept; 0: all
    int HarmonicFrames = 0;    // >0: only the harmonic part, median along time (10 ms frames)
    int PercussiveBins = 17;   // median along frequency
    double MaskPower = 2;      // the harmonic share kept: H^p / (H^p + P^p)
    double MaskFloor = 0;      // and at least this share of everything
    double LowHz = 150;        // the band that counts
    double HighHz = 5000;
    double Compression = 1000; // loudness as log(1 + Compression * magnitude)
    int FluxLagFrames = 2;     // the rise is measured against this many frames earlier
    // Peak picking on the curve, which is scaled to a mean of 1 over the song's sound.
    double Threshold = 0.5; // height above the local mean an onset needs
    int MeanFrames = 10;    // the local mean is taken over this many frames each side
    int PeakFrames = 3;     // an onset is the highest point this many frames each side
    double MinGapMs = 100;  // two onsets are at least this far apart:
    bool KeepFirst = true;  // of two closer, the first stays (else the stronger)
    double SilenceDb = -50; // no onset where the mix is quieter
    int ShiftMs = 0;        // added to every onset (the curve's delay)
};

struct VoiceOnset {
    int Ms = 0;
    float Strength = 0; // height above the local mean
};

// The detection curve: one value per 10 ms frame, and the mix's level there.
struct VoiceCurve {
    double HopMs = 10;
    std::vector<float> Values;
    std::vector<float> LevelDb;
};

VoiceCurve VoiceDetectionCurve(const DecodedSong& song, const VoiceOnsetOptions& options,
                               const std::atomic<bool>* cancel = nullptr);
std::vector<VoiceOnset> PickVoiceOnsets(const VoiceCurve& curve, const VoiceOnsetOptions& options);

// Both in one: the onsets in milliseconds, sorted. Safe on any thread; `cancel` stops it early
// with nothing found.
std::vector<VoiceOnset> DetectVoiceOnsets(const DecodedSong& song,
                                          const VoiceOnsetOptions& options = {},
                                          const std::atomic<bool>* cancel = nullptr);

} // namespace tavelkor

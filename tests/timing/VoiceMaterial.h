// A generated band with a known answer for the voice's onsets: a sung line (a harmonic tone
// with vowel-like formants and vibrato, notes starting between the drum hits) over a drum kit
// (kick, snare, hi-hat on every eighth at 120 bpm, louder than the voice) and a sustained bass
// that changes note with the kick every second bar. Everything sits in the middle of the stereo
// image, as drums and bass do in real mixes, so only the kind of sound tells the voice from the
// band. A bass note's start is a harmonic start of its own: those kicks are not drum hits here.
#pragma once

#include "timing/OnsetMaterial.h"

#include <functional>

namespace tavelkor::test {

struct VoiceOverBand {
    DecodedSong Song;
    std::vector<int> NotesMs; // where each sung note starts
    std::vector<int> DrumsMs; // where each drum hit is (but where a bass note starts with it)
};

inline VoiceOverBand MakeVoiceOverBand(quint32 seed, int seconds = 24, int rate = 44100) {
    QRandomGenerator random(seed);
    VoiceOverBand band;
    band.Song.SampleRate = rate;
    const qint64 frames = qint64(seconds) * rate;
    band.Song.Left.assign(size_t(frames), 0.f);
    band.Song.Right.assign(size_t(frames), 0.f);
    auto add = [&](int atMs, int lengthMs, const std::function<double(double)>& sound) {
        const qint64 first = qint64(atMs) * rate / 1000;
        for (qint64 i = 0; i < qint64(lengthMs) * rate / 1000 && first + i < frames; ++i) {
            const float v = float(sound(double(i) / rate));
            band.Song.Left[size_t(first + i)] += v;
            band.Song.Right[size_t(first + i)] += v;
        }
    };
    // Drums on every eighth from 1 s on: kick on beats 1 and 3, snare on 2 and 4, hi-hat always.
    const int eighths = (seconds - 2) * 4;
    for (int n = 0; n < eighths; ++n) {
        const int at = 1000 + n * 250;
        if (n % 16 != 0)
            band.DrumsMs.push_back(at);
        add(at, 60,
            [&](double t) { return 0.12 * (random.generateDouble() * 2 - 1) * std::exp(-t * 60); });
        if (n % 4 == 0) {
            add(at, 300, [](double t) { // a kick: a falling sine
                return 0.6 * std::sin(2 * M_PI * (45 * t + 75 * (1 - std::exp(-t * 30)) / 30)) *
                       std::exp(-t * 12);
            });
        }
        if (n % 16 == 0) {
            const double bass = 55.0 * std::pow(2.0, random.bounded(8) / 12.0);
            add(at, 4000, [bass](double t) { // the bass note for two bars
                const double fade = std::min({1.0, t / 0.01, (4.0 - t) / 0.01});
                return 0.2 * fade *
                       (std::sin(2 * M_PI * bass * t) + 0.4 * std::sin(4 * M_PI * bass * t));
            });
        } else if (n % 4 == 2) {
            add(at, 200, [&](double t) { // a snare: noise and a short tone
                return (0.35 * (random.generateDouble() * 2 - 1) +
                        0.2 * std::sin(2 * M_PI * 190 * t)) *
                       std::exp(-t * 18);
            });
        }
    }
    // Sung notes of 300 to 800 ms, starting 70 to 180 ms after a hi-hat, 100 ms or more apart.
    int at = 1500;
    while (at < (seconds - 2) * 1000) {
        const int slot = (at - 1000) / 250;
        const int start = 1000 + slot * 250 + 70 + int(random.bounded(111));
        const int length = 300 + int(random.bounded(501));
        const double f0 = 196.0 * std::pow(2.0, random.bounded(13) / 12.0);
        const double phase = random.generateDouble() * 2 * M_PI;
        add(start, length, [=](double t) {
            const double end = length / 1000.0;
            const double envelope = std::min({1.0, t / 0.03, (end - t) / 0.05});
            // Vibrato of a semitone's fifth, 5.5 times a second, growing in after the attack.
            const double depth = 0.012 * std::min(1.0, t / 0.2);
            const double bend =
                depth / (2 * M_PI * 5.5) * (1 - std::cos(2 * M_PI * 5.5 * t + phase));
            double v = 0;
            for (int h = 1; h <= 16; ++h) {
                const double f = f0 * h;
                const double formants = std::exp(-std::pow((f - 700) / 300, 2)) +
                                        0.6 * std::exp(-std::pow((f - 2500) / 500, 2)) + 0.1;
                v += formants / h * std::sin(2 * M_PI * f * (t + bend));
            }
            return 0.15 * envelope * v;
        });
        band.NotesMs.push_back(start);
        at = start + length + 100;
    }
    return band;
}

} // namespace tavelkor::test

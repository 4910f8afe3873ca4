// A generated line of singing with known syllable starts, for the placing tests: each syllable
// a sung note (a harmonic tone with a soft attack, its own pitch) with a short consonant gap
// before the next, over a bed of kick drum and noise hits that fall between the syllables.
#pragma once

#include "timing/SongDecoder.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>
#include <cmath>
#include <vector>

namespace tavelkor::test {

// `startsMs` are the syllables' starts, the last syllable ends at `endMs`; the song lasts
// `endMs` + 500 ms, mono in both channels.
inline DecodedSong MakeSungLine(const std::vector<int>& startsMs, int endMs, quint32 seed,
                                int rate = 22050) {
    QRandomGenerator random(seed);
    DecodedSong song;
    song.SampleRate = rate;
    const size_t frames = size_t(qint64(endMs + 500) * rate / 1000);
    std::vector<float> mix(frames, 0.f);
    for (size_t s = 0; s < startsMs.size(); ++s) {
        const int from = startsMs[s];
        const int to = (s + 1 < startsMs.size() ? startsMs[s + 1] : endMs) - 30;
        const double pitch = 180 + random.bounded(220);
        for (qint64 i = qint64(from) * rate / 1000; i < qint64(to) * rate / 1000; ++i) {
            const double t = double(i) / rate - from / 1000.0;
            const double left = to / 1000.0 - double(i) / rate;
            const double envelope = std::min({1.0, t / 0.015, left / 0.01});
            double tone = 0;
            for (int h = 1; h <= 8; ++h)
                tone += std::sin(2 * M_PI * pitch * h * t) / h;
            mix[size_t(i)] += float(0.15 * envelope * tone);
        }
    }
    // Kicks every 500 ms and noise hits every 250 ms, off the syllables' grid.
    for (int at = 130; at < endMs + 500; at += 250) {
        const qint64 first = qint64(at) * rate / 1000;
        for (qint64 i = 0; i < rate / 12 && first + i < qint64(frames); ++i) {
            const double t = double(i) / rate;
            float hit = float((random.generateDouble() * 2 - 1) * 0.12 * std::exp(-t * 60));
            if ((at / 250) % 2 == 0)
                hit += float(0.4 * std::sin(2 * M_PI * 55 * t) * std::exp(-t * 25));
            mix[size_t(first + i)] += hit;
        }
    }
    song.Left = mix;
    song.Right = mix;
    return song;
}

// The song as a 16-bit mono WAV file.
inline bool WriteWave(const QString& path, const DecodedSong& song) {
    QByteArray data;
    for (float sample : song.Left) {
        const qint16 value = qint16(std::lround(std::clamp(sample, -1.f, 1.f) * 32767));
        data.append(char(value & 0xff)).append(char((value >> 8) & 0xff));
    }
    auto u32 = [](quint32 v) {
        QByteArray b(4, 0);
        qToLittleEndian(v, b.data());
        return b;
    };
    auto u16 = [](quint16 v) {
        QByteArray b(2, 0);
        qToLittleEndian(v, b.data());
        return b;
    };
    const QByteArray bytes = "RIFF" + u32(quint32(36 + data.size())) + "WAVEfmt " + u32(16) +
                             u16(1) + u16(1) + u32(quint32(song.SampleRate)) +
                             u32(quint32(song.SampleRate * 2)) + u16(2) + u16(16) + "data" +
                             u32(quint32(data.size())) + data;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace tavelkor::test

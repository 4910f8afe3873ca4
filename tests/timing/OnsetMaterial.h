// Songs with known onsets for the onset detector's tests and bench: clicks, tone bursts with a
// short attack, noise bursts, each kind with long silences between; and syllables spoken by
// espeak-ng (Japanese from kana) placed at known times over a quiet, slowly changing chord.
#pragma once

#include "timing/SongDecoder.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <vector>

namespace tavelkor::test {

struct OnsetMaterial {
    DecodedSong Song;
    std::vector<int> OnsetsMs;                   // where each sound starts
    std::vector<std::pair<int, int>> SilencesMs; // stretches of digital silence
};

enum class OnsetSound { Clicks, ToneBursts, NoiseBursts };

inline void MixMono(DecodedSong& song, qint64 at, const std::vector<float>& sound) {
    for (size_t i = 0; i < sound.size() && at + qint64(i) < song.Frames(); ++i) {
        song.Left[size_t(at) + i] += sound[i];
        song.Right[size_t(at) + i] += sound[i];
    }
}

// 24 sounds 250 to 700 ms apart (seeded), then 3 s of silence, then 8 more sounds.
inline OnsetMaterial MakeOnsetMaterial(OnsetSound kind, quint32 seed, int rate = 44100) {
    QRandomGenerator random(seed);
    OnsetMaterial material;
    material.Song.SampleRate = rate;
    std::vector<int> starts;
    int ms = 500;
    for (int i = 0; i < 32; ++i) {
        starts.push_back(ms);
        ms += i == 23 ? 3500 : 250 + random.bounded(451);
    }
    const qint64 frames = qint64(ms + 1000) * rate / 1000;
    material.Song.Left.assign(size_t(frames), 0.f);
    material.Song.Right.assign(size_t(frames), 0.f);
    int lastEnd = 0;
    for (int start : starts) {
        std::vector<float> sound;
        const double f0 = 220 + random.bounded(660);
        const int length = kind == OnsetSound::Clicks ? rate / 500 : rate / 6;
        for (int i = 0; i < length; ++i) {
            const double t = double(i) / rate;
            const double attack = std::min(1.0, t / 0.005);
            const double decay = std::exp(-t * (kind == OnsetSound::Clicks ? 2000 : 12));
            double v = kind == OnsetSound::ToneBursts
                           ? std::sin(2 * M_PI * f0 * t) + 0.3 * std::sin(4 * M_PI * f0 * t)
                           : random.generateDouble() * 2 - 1;
            if (kind != OnsetSound::Clicks)
                v *= attack;
            sound.push_back(float(0.5 * v * decay));
        }
        if (start > lastEnd + 200)
            material.SilencesMs.push_back({lastEnd + 100, start - 20});
        MixMono(material.Song, qint64(start) * rate / 1000, sound);
        material.OnsetsMs.push_back(start);
        lastEnd = start + length * 1000 / rate;
    }
    material.SilencesMs.push_back({lastEnd + 100, ms + 900});
    return material;
}

// The mono samples of a kana spoken by espeak-ng, from where it first gets louder than about
// -34 dBFS (its onset) on; empty when espeak-ng cannot be run.
inline std::vector<float> SpokenKana(const QString& kana, int rate) {
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("kana.raw"));
    QProcess speak;
    // espeak-ng writes WAV; sox turns it into raw floats at the song's rate.
    const QString espeak = QStandardPaths::findExecutable(QStringLiteral("espeak-ng"));
    const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
    if (espeak.isEmpty() || sox.isEmpty())
        return {};
    const QString spoken = dir.filePath(QStringLiteral("kana.wav"));
    if (QProcess::execute(espeak, {QStringLiteral("-v"), QStringLiteral("ja"), QStringLiteral("-w"),
                                   spoken, kana}) != 0 ||
        QProcess::execute(sox, {spoken, QStringLiteral("-t"), QStringLiteral("f32"),
                                QStringLiteral("-r"), QString::number(rate), QStringLiteral("-c"),
                                QStringLiteral("1"), wav}) != 0)
        return {};
    QFile file(wav);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<float> samples(size_t(bytes.size()) / sizeof(float));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    size_t first = 0;
    while (first < samples.size() && std::fabs(samples[first]) < 0.02f)
        ++first;
    return std::vector<float>(samples.begin() + qsizetype(first), samples.end());
}

// `count` syllables, 300 to 700 ms apart, over a quiet chord whose notes fade in and out over
// seconds; empty (no song) when espeak-ng or sox is missing.
inline OnsetMaterial MakeSpokenMaterial(int count, quint32 seed, int rate = 22050) {
    OnsetMaterial material;
    const QStringList kana =
        QString::fromUtf8("か さ た な は ま ら が こ そ と の ほ も ろ き し ち に み り")
            .split(u' ');
    std::vector<std::vector<float>> sounds;
    for (const QString& k : kana) {
        sounds.push_back(SpokenKana(k, rate));
        if (sounds.back().empty())
            return material;
    }
    QRandomGenerator random(seed);
    std::vector<int> starts;
    int ms = 800;
    for (int i = 0; i < count; ++i) {
        starts.push_back(ms);
        ms += 300 + random.bounded(401);
    }
    const qint64 frames = qint64(ms + 1500) * rate / 1000;
    material.Song.SampleRate = rate;
    material.Song.Left.assign(size_t(frames), 0.f);
    material.Song.Right.assign(size_t(frames), 0.f);
    for (qint64 f = 0; f < frames; ++f) {
        const double t = double(f) / rate;
        double bed = 0;
        for (double note : {130.8, 164.8, 196.0, 261.6})
            bed += std::sin(2 * M_PI * note * t) *
                   (0.5 + 0.5 * std::sin(2 * M_PI * t / (3 + note / 100)));
        material.Song.Left[size_t(f)] = float(0.01 * bed);
        material.Song.Right[size_t(f)] = float(0.01 * bed);
    }
    for (int start : starts) {
        const auto& sound = sounds[size_t(random.bounded(int(sounds.size())))];
        std::vector<float> piece(sound.begin(),
                                 sound.begin() +
                                     qsizetype(std::min<size_t>(sound.size(), size_t(rate / 4))));
        for (size_t i = 0; i + 1 < piece.size() && i < size_t(rate / 100);
             ++i) // no click at the cut
            piece[piece.size() - 1 - i] *= float(i) / float(rate / 100);
        MixMono(material.Song, qint64(start) * rate / 1000, piece);
        material.OnsetsMs.push_back(start);
    }
    return material;
}

} // namespace tavelkor::test

// The preview's clock when there is a song: Qt Multimedia plays it, and the position is the
// player's. The MPEG data of an RMP file or of a song in a MacBinary wrapper is copied once to
// a temporary file that the player reads like any MP3 file.
#pragma once

#include "../../preview/PreviewClock.h"
#include "../../preview/PreviewDocument.h"

#include <QAudioOutput>
#include <QElapsedTimer>
#include <QMediaPlayer>
#include <QTemporaryFile>
#include <memory>

namespace tavelkor {

class MediaClock : public PreviewClock {
public:
    explicit MediaClock(const PreviewSong& song);
    void Play() override;
    void Pause() override;
    bool Playing() const override;
    qint64 PositionMs() const override;
    void Seek(qint64 positionMs) override;
    qint64 DurationMs() const override;
    bool Ended() const override;
    QString Error() const override { return error_; }

    QMediaPlayer& Player() { return player_; }

private:
    QMediaPlayer player_;
    QAudioOutput output_;
    std::unique_ptr<QTemporaryFile> copy_;
    QString error_;
    // The player reports its position in steps; between two reports the position runs on
    // with the wall clock, so the colours change on time.
    qint64 reported_ = 0;
    QElapsedTimer sinceReport_;
};

} // namespace tavelkor

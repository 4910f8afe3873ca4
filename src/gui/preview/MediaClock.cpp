#include "MediaClock.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <algorithm>

namespace tavelkor {

MediaClock::MediaClock(const PreviewSong& song) {
    player_.setAudioOutput(&output_);
    QObject::connect(&player_, &QMediaPlayer::errorOccurred,
                     [this](QMediaPlayer::Error, const QString& text) {
                         error_ = QStringLiteral(u"曲を再生できません：") + text;
                     });
    QObject::connect(&player_, &QMediaPlayer::positionChanged, [this](qint64 position) {
        reported_ = position;
        sinceReport_.start();
    });
    if (song.WholeFile) {
        player_.setSource(QUrl::fromLocalFile(song.Path));
        return;
    }
    QFile source(song.Path);
    copy_ = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                             QStringLiteral("/tavelkor-preview-XXXXXX.mp3"));
    bool copied = source.open(QIODevice::ReadOnly) && source.seek(song.Offset) && copy_->open();
    for (qint64 left = song.Length; copied && left > 0;) {
        const QByteArray chunk = source.read(std::min<qint64>(left, 1 << 20));
        copied = !chunk.isEmpty() && copy_->write(chunk) == chunk.size();
        left -= chunk.size();
    }
    if (!copied || !copy_->flush()) {
        error_ = QStringLiteral(u"曲のMPEGデータを読めません：") + song.Path;
        return;
    }
    player_.setSource(QUrl::fromLocalFile(copy_->fileName()));
}

void MediaClock::Play() {
    if (error_.isEmpty())
        player_.play();
}

void MediaClock::Pause() { player_.pause(); }

bool MediaClock::Playing() const { return player_.playbackState() == QMediaPlayer::PlayingState; }

qint64 MediaClock::PositionMs() const {
    const qint64 position = player_.position();
    if (!Playing() || !sinceReport_.isValid() || position != reported_)
        return position;
    // Between two reports, never beyond the next one (a report comes every few tens of ms).
    const qint64 duration = player_.duration();
    const qint64 running = reported_ + std::min<qint64>(sinceReport_.elapsed(), 250);
    return duration > 0 ? std::min(running, duration) : running;
}

void MediaClock::Seek(qint64 positionMs) {
    const qint64 duration = player_.duration();
    player_.setPosition(std::clamp<qint64>(positionMs, 0, duration > 0 ? duration : positionMs));
}

bool MediaClock::Ended() const { return player_.mediaStatus() == QMediaPlayer::EndOfMedia; }

qint64 MediaClock::DurationMs() const { return player_.duration(); }

} // namespace tavelkor

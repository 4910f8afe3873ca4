// The clock a preview runs on: the song's player, or a silent clock where there is no song.
// The window asks it for the position whenever it paints, so a test can drive the display
// with a clock of its own.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

namespace tavelkor {

class PreviewClock {
public:
    virtual ~PreviewClock() = default;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual bool Playing() const = 0;
    // Milliseconds from the start of the song.
    virtual qint64 PositionMs() const = 0;
    // Moves to `positionMs`, held within 0 and the duration.
    virtual void Seek(qint64 positionMs) = 0;
    // The song's length; 0 while it is not known yet.
    virtual qint64 DurationMs() const = 0;
    // True once it has played to the end.
    virtual bool Ended() const { return false; }
    // Why the song cannot be played; "" while it can.
    virtual QString Error() const { return QString(); }
};

// A clock without sound, for lyrics without a song: it runs from 0 to `durationMs` in real
// time and stops there.
class SilentClock : public PreviewClock {
public:
    explicit SilentClock(qint64 durationMs) : duration_(durationMs) {}
    void Play() override;
    void Pause() override;
    bool Playing() const override { return playing_; }
    qint64 PositionMs() const override;
    void Seek(qint64 positionMs) override;
    qint64 DurationMs() const override { return duration_; }
    bool Ended() const override { return PositionMs() >= duration_; }

private:
    qint64 duration_;
    qint64 start_ = 0; // the position when the clock last started or was set
    bool playing_ = false;
    QElapsedTimer running_;
};

} // namespace tavelkor

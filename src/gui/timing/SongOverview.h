// The whole song under the timing editor's lane, in one thin bar: the span of every timed
// line, the part the lane shows and the playhead. A click or a drag on it seeks, so that any
// part of a long song is one move away.
#pragma once

#include "../../timing/LaneWindow.h"

#include <QVector>
#include <QWidget>

namespace tavelkor {

class SongOverview : public QWidget {
    Q_OBJECT
public:
    explicit SongOverview(QWidget* parent = nullptr);

    // What to draw: the song's length, the lines' spans, the lane's span and the playhead.
    void Show(qint64 durationMs, const QVector<TimeRange>& lines, qint64 fromMs, qint64 toMs,
              qint64 positionMs);
    // The song time at pixel x (clamped into the song).
    qint64 TimeAt(int x) const;

signals:
    void SeekRequested(qint64 positionMs);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    double XOf(qint64 ms) const;

    qint64 durationMs_ = 0;
    QVector<TimeRange> lines_;
    qint64 fromMs_ = 0;
    qint64 toMs_ = 0;
    qint64 positionMs_ = 0;
};

} // namespace tavelkor

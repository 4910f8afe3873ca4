#include "SongOverview.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace tavelkor {

SongOverview::SongOverview(QWidget* parent) : QWidget(parent) {
    setFixedHeight(14);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus); // the keys belong to the editor window
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral(u"曲の全体：クリックかドラッグでその位置へ"));
}

void SongOverview::Show(qint64 durationMs, const QVector<TimeRange>& lines, qint64 fromMs,
                        qint64 toMs, qint64 positionMs) {
    if (durationMs == durationMs_ && lines.size() == lines_.size() && fromMs == fromMs_ &&
        toMs == toMs_ && positionMs == positionMs_ &&
        std::equal(lines.begin(), lines.end(), lines_.begin(),
                   [](TimeRange a, TimeRange b) { return a.Low == b.Low && a.High == b.High; }))
        return;
    durationMs_ = durationMs;
    lines_ = lines;
    fromMs_ = fromMs;
    toMs_ = toMs;
    positionMs_ = positionMs;
    update();
}

double SongOverview::XOf(qint64 ms) const {
    return durationMs_ <= 0 ? 0.0 : double(ms) * width() / double(durationMs_);
}

qint64 SongOverview::TimeAt(int x) const {
    if (durationMs_ <= 0 || width() <= 0)
        return 0;
    return std::clamp<qint64>(qint64(double(x) * double(durationMs_) / width() + 0.5), 0,
                              durationMs_);
}

void SongOverview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::AlternateBase));
    if (durationMs_ <= 0)
        return;
    // The lane's span behind, the lines over it, the playhead on top.
    const double from = XOf(fromMs_);
    painter.fillRect(QRectF(from, 0, std::max(2.0, XOf(toMs_) - from), height()),
                     colours.color(QPalette::Midlight));
    const QColor line = colours.color(QPalette::Highlight);
    for (const TimeRange& span : lines_) {
        const double left = XOf(span.Low);
        painter.fillRect(QRectF(left, 3, std::max(1.0, XOf(span.High) - left), height() - 6), line);
    }
    painter.setPen(QPen(colours.color(QPalette::Text), 2));
    const double head = XOf(positionMs_);
    painter.drawLine(QPointF(head, 0), QPointF(head, height()));
}

void SongOverview::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit SeekRequested(TimeAt(int(event->position().x())));
}

void SongOverview::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        emit SeekRequested(TimeAt(int(event->position().x())));
}

} // namespace tavelkor

#include "WaveformLane.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace tavelkor {

namespace {

constexpr int LabelHeight = 16;
constexpr int TickHeight = 8;
// The lane's height: the spectrogram's seven octaves want more than the waveform.
constexpr int WaveformHeight = 90;
constexpr int SpectrogramHeight = 150;

// The spectrogram's shades: quiet levels (below -50 dB) the lane's background, louder ones
// nearer the text's colour, as phoneticians' spectrograms are (and in dark themes too), so that
// the coloured marks stay clear.
QVector<QRgb> SpectrogramShades(const QColor& paper, const QColor& ink) {
    QVector<QRgb> shades(256);
    for (int level = 0; level < 256; ++level) {
        const double t = std::pow(std::clamp((level - 96) / 159.0, 0.0, 1.0), 0.8);
        shades[level] = qRgb(int(std::lround(paper.red() + (ink.red() - paper.red()) * t)),
                             int(std::lround(paper.green() + (ink.green() - paper.green()) * t)),
                             int(std::lround(paper.blue() + (ink.blue() - paper.blue()) * t)));
    }
    return shades;
}

} // namespace

WaveformLane::WaveformLane(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(WaveformHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus); // the keys belong to the editor window
    setMouseTracking(true);
    window_.SetWidth(width());
}

void WaveformLane::SetPyramid(std::shared_ptr<const WaveformPyramid> pyramid) {
    pyramid_ = std::move(pyramid);
    update();
}

void WaveformLane::SetOnsets(std::shared_ptr<const std::vector<int>> onsets) {
    onsets_ = std::move(onsets);
    update();
}

void WaveformLane::SetSpectrogram(std::shared_ptr<const Spectrogram> spectrogram) {
    spectrogram_ = std::move(spectrogram);
    update();
}

void WaveformLane::SetView(LaneView view) {
    view_ = view;
    setMinimumHeight(view == LaneView::Spectrogram ? SpectrogramHeight : WaveformHeight);
    update();
}

double WaveformLane::YOfHz(double hz) const {
    const double row = Spectrogram::RowsPerOctave * std::log2(hz / Spectrogram::LowestHz);
    const int top = LabelHeight;
    const int bottom = height() - TickHeight;
    return bottom - (row + 0.5) * (bottom - top) / Spectrogram::Rows;
}

void WaveformLane::Show(const TimingDocument& document, FragmentPlace selected, qint64 positionMs,
                        bool playing) {
    document_ = &document;
    selected_ = selected;
    positionMs_ = positionMs;
    playing_ = playing;
    if (!dragging_)
        window_.Follow(positionMs, playing);
    Remark();
}

void WaveformLane::Remark() {
    if (document_ != nullptr)
        marks_ = LaneMarks(*document_, window_.FromMs(), window_.ToMs());
    update();
}

int WaveformLane::DragDistance() const {
    return grabbed_ >= 0 ? HandleDragDistance : QApplication::startDragDistance();
}

int WaveformLane::DraggedTime(int x) const {
    return grabbedRange_.Clamp(grabbedMark_.TimeMs + window_.MsFor(x - pressX_));
}

void WaveformLane::resizeEvent(QResizeEvent* event) {
    window_.SetWidth(width());
    Remark();
    QWidget::resizeEvent(event);
}

void WaveformLane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::Base));
    const int top = LabelHeight;
    const int bottom = height() - TickHeight;
    const double middle = (top + bottom) / 2.0;
    const double half = (bottom - top) / 2.0;

    if (view_ == LaneView::Spectrogram) {
        DrawSpectrogram(painter, top, bottom);
    } else if (pyramid_) {
        // The waveform: one line from the smallest to the largest sample of each pixel.
        const std::vector<SamplePeak> peaks =
            pyramid_->Envelope(window_.FromMs(), window_.ToMs(), width());
        painter.setPen(colours.color(QPalette::Mid));
        for (int x = 0; x < int(peaks.size()); ++x) {
            const double high = middle - std::clamp(peaks[x].Max, -1.0f, 1.0f) * half;
            const double low = middle - std::clamp(peaks[x].Min, -1.0f, 1.0f) * half;
            painter.drawLine(QPointF(x + 0.5, high), QPointF(x + 0.5, std::max(low, high + 1)));
        }
    }
    // The onsets: ticks along the bottom edge.
    if (onsets_) {
        painter.setPen(QPen(QColor(0, 150, 70), 2));
        auto it = std::lower_bound(onsets_->begin(), onsets_->end(), int(window_.FromMs()));
        for (; it != onsets_->end() && *it <= window_.ToMs(); ++it) {
            const double x = window_.XOf(*it);
            painter.drawLine(QPointF(x, bottom), QPointF(x, height()));
        }
    }
    // The marks: starts as labelled handles, pause ends dashed, line ends as a bracket.
    const QFontMetrics metrics(font());
    for (int k = 0; k < marks_.size(); ++k) {
        const LaneMark& mark = marks_[k];
        int time = mark.TimeMs;
        if (dragging_ && k == grabbed_)
            time = DraggedTime(lastX_);
        const double x = std::round(window_.XOf(time)) + 0.5;
        if (mark.What == LaneMark::Start) {
            const bool chosen = mark.Place == selected_;
            const QColor colour = chosen ? colours.color(QPalette::Highlight) : QColor(30, 90, 200);
            painter.setPen(QPen(colour, chosen || (dragging_ && k == grabbed_) ? 2 : 1));
            painter.drawLine(QPointF(x, 0), QPointF(x, bottom));
            // The label stops short of the next start's line.
            double room = metrics.horizontalAdvance(mark.Text) + 4;
            for (int next = k + 1; next < marks_.size(); ++next) {
                if (marks_[next].What == LaneMark::Start) {
                    room = std::min(room, window_.XOf(marks_[next].TimeMs) - x - 1);
                    break;
                }
            }
            if (room > 2) {
                const QRectF label(x + 0.5, 0, room, LabelHeight);
                painter.fillRect(label, colours.color(QPalette::Base));
                painter.save();
                painter.setClipRect(label);
                painter.drawText(QPointF(x + 2, metrics.ascent()), mark.Text);
                painter.restore();
            }
        } else if (mark.What == LaneMark::PauseEnd) {
            painter.setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
            painter.drawLine(QPointF(x, top), QPointF(x, bottom));
        } else {
            painter.setPen(QPen(QColor(120, 60, 20), 2));
            painter.drawLine(QPointF(x, top), QPointF(x, bottom));
            painter.drawLine(QPointF(x, top), QPointF(x - 5, top));
            painter.drawLine(QPointF(x, bottom), QPointF(x - 5, bottom));
        }
    }
    // The playhead, and the span shown.
    painter.setPen(QPen(QColor(220, 30, 30), 2));
    const double head = window_.XOf(double(positionMs_));
    painter.drawLine(QPointF(head, 0), QPointF(head, height()));
    painter.setPen(colours.color(QPalette::PlaceholderText));
    const QString span = QStringLiteral("%1 s").arg(window_.SpanMs() / 1000);
    painter.drawText(
        QPointF(width() - metrics.horizontalAdvance(span) - 3, height() - 2 - TickHeight), span);
}

void WaveformLane::DrawSpectrogram(QPainter& painter, int top, int bottom) {
    const QPalette& colours = palette();
    if (!spectrogram_) {
        if (pyramid_) {
            painter.setPen(colours.color(QPalette::PlaceholderText));
            painter.drawText(QRect(0, top, width(), bottom - top), Qt::AlignCenter,
                             QStringLiteral(u"スペクトログラムを計算しています…"));
        }
        return;
    }
    // One pixel column per pixel, one row per level row, stretched to the lane's height.
    const std::vector<quint8> picture =
        spectrogram_->Picture(window_.FromMs(), window_.ToMs(), width());
    QImage image(width(), Spectrogram::Rows, QImage::Format_Indexed8);
    image.setColorTable(
        SpectrogramShades(colours.color(QPalette::Base), colours.color(QPalette::Text)));
    for (int row = 0; row < Spectrogram::Rows; ++row) {
        uchar* line = image.scanLine(Spectrogram::Rows - 1 - row);
        for (int x = 0; x < width(); ++x)
            line[x] = picture[size_t(x) * Spectrogram::Rows + size_t(row)];
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, top, width(), bottom - top), image);
    painter.restore();
    // A few frequencies along the left edge.
    painter.setPen(colours.color(QPalette::PlaceholderText));
    const QFontMetrics metrics(font());
    for (const auto& [hz, text] :
         {std::pair{250.0, "250 Hz"}, {1000.0, "1 kHz"}, {4000.0, "4 kHz"}})
        painter.drawText(QPointF(3, YOfHz(hz) + metrics.ascent() / 2.0 - 1),
                         QString::fromLatin1(text));
}

void WaveformLane::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    dragging_ = false;
    pressX_ = lastX_ = int(event->position().x());
    grabbed_ = HandleAt(marks_, window_, pressX_, HandleReach);
    if (grabbed_ >= 0) {
        grabbedMark_ = marks_[grabbed_];
        grabbedRange_ =
            document_ != nullptr ? StartRange(*document_, grabbedMark_.Place) : TimeRange{};
    }
}

void WaveformLane::mouseMoveEvent(QMouseEvent* event) {
    const int x = int(event->position().x());
    if (!pressed_) {
        setCursor(HandleAt(marks_, window_, x, HandleReach) >= 0 ? Qt::SizeHorCursor
                                                                 : Qt::ArrowCursor);
        return;
    }
    if (!dragging_ && std::abs(x - pressX_) >= DragDistance())
        dragging_ = true;
    if (!dragging_)
        return;
    if (grabbed_ < 0 && !playing_) {
        window_.ScrollBy(lastX_ - x); // the waveform follows the mouse
        lastX_ = x;
        Remark();
        return;
    }
    lastX_ = x;
    update();
}

void WaveformLane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const int x = int(event->position().x());
    pressed_ = false;
    if (!dragging_ && std::abs(x - pressX_) >= DragDistance())
        dragging_ = true; // moved without move events reaching the lane
    const bool dragged = dragging_;
    dragging_ = false;
    if (grabbed_ >= 0) {
        if (dragged)
            emit HandleDropped(grabbedMark_.Place,
                               grabbedMark_.TimeMs + window_.MsFor(x - pressX_));
        else
            emit HandleClicked(grabbedMark_.Place);
    } else if (!dragged) {
        emit SeekRequested(std::max<qint64>(0, std::llround(window_.TimeAt(x))));
    } else if (!playing_) {
        window_.ScrollBy(lastX_ - x);
    }
    grabbed_ = -1;
    Remark();
}

void WaveformLane::mouseDoubleClickEvent(QMouseEvent* event) {
    const int at = HandleAt(marks_, window_, event->position().x(), HandleReach);
    if (event->button() != Qt::LeftButton || at < 0) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    pressed_ = false; // the release that follows is no click
    emit PlayFromRequested(std::max(0, marks_[at].TimeMs - PreRollMs));
}

void WaveformLane::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    const int notches = (delta.y() != 0 ? delta.y() : delta.x()) / 120;
    if (notches == 0) {
        event->ignore();
        return;
    }
    if (event->modifiers() & Qt::ControlModifier)
        window_.Zoom(notches, event->position().x());
    else if (!playing_)
        window_.ScrollBy(-notches * width() / 8); // down: later
    else {
        event->ignore();
        return;
    }
    event->accept();
    Remark();
}

} // namespace tavelkor

// The timing editor's waveform lane: the song's waveform or spectrogram around the play
// position (the view is switched; everything else is the same in both), the playhead, the onsets
// and a handle for every fragment start of the lines in view (ends and pauses drawn apart). It
// draws what the core's LaneWindow and LaneMarks give and turns the mouse into requests: a click on
// empty lane seeks, a handle clicked selects its fragment, dragged moves its start, double-clicked
// plays from half a second before it; Ctrl+wheel zooms; while paused the wheel and a drag of empty
// lane scroll.
#pragma once

#include "../../timing/LaneWindow.h"
#include "../../timing/Spectrogram.h"
#include "../../timing/WaveformPyramid.h"

#include <QWidget>
#include <memory>
#include <vector>

namespace tavelkor {

// What the lane draws under its marks.
enum class LaneView { Waveform, Spectrogram };

class WaveformLane : public QWidget {
    Q_OBJECT
public:
    static constexpr int HandleReach = 5; // pixels either side of a handle that grab it
    static constexpr int PreRollMs = 500; // a double-clicked handle plays from this before it
    // A handle moved this far is dragged (less is a click): small, so that a few pixels, a few
    // tens of milliseconds, can be dragged; empty lane takes the platform's drag distance.
    static constexpr int HandleDragDistance = 3;

    explicit WaveformLane(QWidget* parent = nullptr);

    void SetPyramid(std::shared_ptr<const WaveformPyramid> pyramid);
    void SetOnsets(std::shared_ptr<const std::vector<int>> onsets);
    // Null while it is being computed (the view then says so).
    void SetSpectrogram(std::shared_ptr<const Spectrogram> spectrogram);
    void SetView(LaneView view);
    LaneView View() const { return view_; }
    // What to draw: `document`'s marks in view (kept by reference until the next call), the
    // selected fragment, the playhead; the view follows the playhead.
    void Show(const TimingDocument& document, FragmentPlace selected, qint64 positionMs,
              bool playing);

    const LaneWindow& Window() const { return window_; }
    const QVector<LaneMark>& Marks() const { return marks_; }
    bool HasOnsets() const { return onsets_ != nullptr; }
    bool HasSpectrogram() const { return spectrogram_ != nullptr; }
    // The height at which the spectrogram view draws a frequency (low at the bottom).
    double YOfHz(double hz) const;
    const std::vector<int>* Onsets() const { return onsets_.get(); }

signals:
    void SeekRequested(qint64 positionMs);
    void PlayFromRequested(qint64 positionMs);
    void HandleClicked(tavelkor::FragmentPlace place);
    void HandleDropped(tavelkor::FragmentPlace place, int toMs);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Remark();
    void DrawSpectrogram(QPainter& painter, int top, int bottom);
    int DragDistance() const;
    // Where the handle being dragged would go with the mouse at x.
    int DraggedTime(int x) const;

    LaneWindow window_;
    std::shared_ptr<const WaveformPyramid> pyramid_;
    std::shared_ptr<const std::vector<int>> onsets_;
    std::shared_ptr<const Spectrogram> spectrogram_;
    LaneView view_ = LaneView::Waveform;
    const TimingDocument* document_ = nullptr;
    QVector<LaneMark> marks_;
    FragmentPlace selected_;
    qint64 positionMs_ = 0;
    bool playing_ = false;

    // The mouse: pressed at pressX_ on the mark grabbed_ (-1: empty lane); moved beyond the
    // drag distance once it is a drag.
    bool pressed_ = false;
    bool dragging_ = false;
    int pressX_ = 0;
    int lastX_ = 0;
    int grabbed_ = -1;
    LaneMark grabbedMark_;
    TimeRange grabbedRange_;
};

} // namespace tavelkor

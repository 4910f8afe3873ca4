// The timing editor's waveform lane: the song's waveform around the play position, the
// playhead, the onsets and a handle for every fragment start of the lines in view (ends and
// pauses drawn apart). It draws what the core's LaneWindow and LaneMarks give and turns the
// mouse into requests: a click on empty lane seeks, a handle clicked selects its fragment,
// dragged moves its start, double-clicked plays from half a second before it; Ctrl+wheel
// zooms; while paused the wheel and a drag of empty lane scroll.
#pragma once

#include "../../timing/LaneWindow.h"
#include "../../timing/WaveformPyramid.h"

#include <QWidget>
#include <memory>
#include <vector>

namespace tavelkor {

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
    // What to draw: `document`'s marks in view (kept by reference until the next call), the
    // selected fragment, the playhead; the view follows the playhead.
    void Show(const TimingDocument& document, FragmentPlace selected, qint64 positionMs,
              bool playing);

    const LaneWindow& Window() const { return window_; }
    const QVector<LaneMark>& Marks() const { return marks_; }
    bool HasOnsets() const { return onsets_ != nullptr; }
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
    int DragDistance() const;
    // Where the handle being dragged would go with the mouse at x.
    int DraggedTime(int x) const;

    LaneWindow window_;
    std::shared_ptr<const WaveformPyramid> pyramid_;
    std::shared_ptr<const std::vector<int>> onsets_;
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

// 「タップの遅れを測る」: plays eight clicks through the timing editor's audio path while the
// user taps along; the median distance of the taps from the clicks becomes the tap offset
// (Timing/TapOffsetMs) once the user confirms it with OK.
#pragma once

#include "../../timing/SongPlayer.h"
#include "../../timing/TimingView.h"

#include <QDialog>
#include <QElapsedTimer>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;

namespace tavelkor {

class DialogCalibration : public QDialog {
    Q_OBJECT
public:
    using ClockMaker =
        std::function<std::unique_ptr<TimingClock>(std::shared_ptr<const DecodedSong>)>;
    static std::unique_ptr<TimingClock> DefaultClock(std::shared_ptr<const DecodedSong> song);

    DialogCalibration(int currentOffsetMs, ClockMaker makeClock, QWidget* parent = nullptr);
    ~DialogCalibration() override;

    // The measured offset (valid once OK is enabled).
    int OffsetMs() const { return offset_; }
    TimingClock* Clock() const { return clock_.get(); }
    QPushButton* StartButton() const { return start_; }
    QPushButton* OkButton() const { return ok_; }
    QLabel* ResultLabel() const { return result_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Start();
    void Check();

    std::unique_ptr<TimingClock> clock_;
    QVector<qint64> taps_;
    EventAge ages_;
    QElapsedTimer sinceStart_;
    int offset_;
    QLabel* result_;
    QPushButton* start_;
    QPushButton* ok_;
    QTimer* ticker_;
};

} // namespace tavelkor

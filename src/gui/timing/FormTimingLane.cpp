// The timing editor's waveform lane and onset snapping: the lane's and the overview's requests
// (seek, play from a handle, select, drop a handle) mapped to the clock and the model, the
// spectrogram and onsets found for the song handed to them, 「スペクトログラム」 (Timing/LaneView)
// switched from its menu and key, and 「オンセットに吸着」 (Timing/SnapToOnsets) from the menu,
// its key and the box under the lane.
#include "FormTiming.h"

#include "../../settings/Settings.h"
#include "../../timing/TimingView.h"
#include "SongAnalysis.h"
#include "SongOverview.h"
#include "WaveformLane.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace tavelkor {

void FormTiming::BuildLane() {
    snapAction_->setCheckable(true);
    snapAction_->setChecked(settings_.Timing.SnapToOnsets);
    snapBox_->setText(QStringLiteral(u"オンセットに吸着（O）"));
    snapBox_->setFocusPolicy(Qt::NoFocus);
    snapBox_->setChecked(settings_.Timing.SnapToOnsets);
    connect(snapBox_, &QCheckBox::clicked, this, [this](bool on) { SetSnapping(on); });
    const bool spectrogram =
        settings_.Timing.LaneView.compare(u"spectrogram", Qt::CaseInsensitive) == 0;
    spectrogramAction_->setCheckable(true);
    spectrogramAction_->setChecked(spectrogram);
    lane_->SetView(spectrogram ? LaneView::Spectrogram : LaneView::Waveform);

    auto seek = [this](qint64 to) {
        if (!clock_)
            return;
        clock_->Seek(to);
        replayTo_ = -1;
        Refresh();
    };
    connect(lane_, &WaveformLane::SeekRequested, this, seek);
    connect(overview_, &SongOverview::SeekRequested, this, seek);
    connect(lane_, &WaveformLane::PlayFromRequested, this, [this](qint64 from) {
        if (!clock_)
            return;
        clock_->Seek(from);
        replayTo_ = -1;
        loop_ = false;
        if (!clock_->Playing())
            clock_->Play();
        ticker_->start();
        Refresh();
    });
    connect(lane_, &WaveformLane::HandleClicked, this, [this](FragmentPlace place) {
        session_.Select(place);
        ShowDocument();
    });
    connect(lane_, &WaveformLane::HandleDropped, this, &FormTiming::DropHandle);
    connect(analysis_, &SongAnalysis::SpectrogramReady, this,
            [this] { lane_->SetSpectrogram(analysis_->SongSpectrogram()); });
    connect(analysis_, &SongAnalysis::OnsetsFound, this, [this] {
        lane_->SetOnsets(analysis_->Onsets());
        session_.SetSnap({settings_.Timing.SnapToOnsets, settings_.Timing.SnapWindowMs},
                         analysis_->Onsets());
    });
}

void FormTiming::AnalyseSong() {
    // The kind of onsets as the settings say when the song is opened.
    analysis_->Start(clock_ ? clock_->Song() : nullptr,
                     FindOnsets ? FindOnsets
                                : SongAnalysis::DefaultDetector(settings_.Timing.OnsetKind));
    lane_->SetPyramid(analysis_->Pyramid());
    lane_->SetOnsets(nullptr);
    lane_->SetSpectrogram(nullptr);
    session_.SetSnap({settings_.Timing.SnapToOnsets, settings_.Timing.SnapWindowMs}, nullptr);
}

void FormTiming::SetSnapping(bool on) {
    settings_.Timing.SnapToOnsets = on;
    snapAction_->setChecked(on);
    snapBox_->setChecked(on);
    session_.SetSnap({on, settings_.Timing.SnapWindowMs}, analysis_->Onsets());
    QString said = on ? QStringLiteral(u"オンセットに吸着します（%1 ms 以内）")
                            .arg(settings_.Timing.SnapWindowMs)
                      : QStringLiteral(u"オンセットに吸着しません");
    if (on && !analysis_->Onsets())
        said += analysis_->Pyramid() ? QStringLiteral(u"。オンセットを探しています")
                                     : QStringLiteral(u"。曲がないのでオンセットはありません");
    Say(said);
}

void FormTiming::ShowSpectrogram(bool on) {
    settings_.Timing.LaneView = on ? QStringLiteral("spectrogram") : QStringLiteral("waveform");
    spectrogramAction_->setChecked(on);
    lane_->SetView(on ? LaneView::Spectrogram : LaneView::Waveform);
    QString said = on ? QStringLiteral(u"スペクトログラムを表示します（低い音が下）")
                      : QStringLiteral(u"波形を表示します");
    if (on && !analysis_->SongSpectrogram())
        said += analysis_->Pyramid() ? QStringLiteral(u"。スペクトログラムを計算しています")
                                     : QStringLiteral(u"。曲がないので何も表示しません");
    Say(said);
}

void FormTiming::DropHandle(FragmentPlace place, int toMs) {
    const bool moved = session_.MoveStart(place, toMs);
    const TimedFragment* fragment = session_.Document().At(place);
    ShowDocument();
    if (!moved || fragment == nullptr)
        return;
    if (fragment->StartMs != toMs + session_.LastSnapMs())
        Say(QStringLiteral(u"前後の時間を越えないところで止めました：") +
            ClockText(fragment->StartMs));
    else
        SaySnap(QStringLiteral(u"動かしました：") + ClockText(fragment->StartMs));
}

void FormTiming::SaySnap(const QString& done) {
    const int moved = session_.LastSnapMs();
    if (moved != 0) {
        Say(QStringLiteral(u"オンセットに合わせました（%1%2 ms）")
                .arg(moved > 0 ? QStringLiteral("+") : QString())
                .arg(moved));
        return;
    }
    if (!settings_.Timing.SnapToOnsets) {
        if (!done.isEmpty())
            Say(done);
        return;
    }
    // Snapping is on but did not move it: why, after what was done (a tap: kept as it was).
    const bool known = analysis_->Onsets() != nullptr;
    if (session_.LastSnapStayed()) {
        Say(done.isEmpty() ? QStringLiteral(u"オンセットのすぐ近くなので、そのままです")
                           : done + QStringLiteral(u"（オンセットのすぐ近くです）"));
        return;
    }
    if (done.isEmpty())
        Say(known ? QStringLiteral(u"近くにオンセットがないので、そのままです")
                  : QStringLiteral(u"オンセットがまだ見つかっていないので、そのままです"));
    else
        Say(done + (known ? QStringLiteral(u"（近くにオンセットはありません）")
                          : QStringLiteral(u"（オンセットはまだ見つかっていません）")));
}

} // namespace tavelkor

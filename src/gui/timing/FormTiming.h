// The timing editor 「タイミング編集」: plays the song of a lyrics file at 1x, 0.75x or 0.5x
// and stamps the fragments of the lyrics with the tap keys; the model (timing/) does the
// stamping, re-timing, edits and undo; this window maps keys to it and draws what it holds.
#pragma once

#include "../../timing/SongPlayer.h"
#include "../../timing/TimingFile.h"
#include "../../timing/TimingSession.h"
#include "../../timing/TimingView.h"

#include <QElapsedTimer>
#include <QHash>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QTimer;

namespace tavelkor {

struct Settings;
struct PreviewSong;
class LyricsView;
class SongAnalysis;
class WaveformLane;
class ReadingService;
class DialogReadings;
class EditorKeys;
class SongOverview;
class TimingAutosave;

class FormTiming : public QWidget {
    Q_OBJECT
public:
    // Makes the clock for a song (Path empty: no song).
    using ClockMaker = std::function<std::unique_ptr<TimingClock>(const PreviewSong& song)>;
    static std::unique_ptr<TimingClock> DefaultClock(const PreviewSong& song);

    explicit FormTiming(Settings& settings, QWidget* parent = nullptr,
                        ClockMaker makeClock = DefaultClock);
    ~FormTiming() override;

    // Opens a lyrics file (asking first when the open one has unsaved changes) and seeks to
    // `positionMs`. False when it was not opened.
    bool OpenFile(const QString& path, qint64 positionMs = 0);
    // Ctrl+S: saves as TimeTag (in place or beside the file). False when nothing was saved.
    bool Save();

    // The clock 「タップの遅れを測る…」 plays its clicks on (the editor's audio path).
    std::function<std::unique_ptr<TimingClock>(std::shared_ptr<const DecodedSong>)>
        MakeCalibrationClock;

    const TimingSession& Session() const { return session_; }
    const TimingSource& Source() const { return source_; }
    TimingClock* Clock() const { return clock_.get(); }
    QListWidget* List() const { return list_; }
    LyricsView* View() const { return view_; }
    QLabel* StatusLabel() const { return status_; }
    QLabel* Legend() const { return legend_; }
    QMenu* HistoryMenu() const { return history_; }
    QMenuBar* MenuBar() const { return menuBar_; }
    WaveformLane* Lane() const { return lane_; }
    SongOverview* Overview() const { return overview_; }
    QCheckBox* SnapBox() const { return snapBox_; }
    // Finds the onsets of an opened song on a worker thread; empty: those Timing/OnsetKind names.
    std::function<std::vector<int>(const DecodedSong&, const std::atomic<bool>*)> FindOnsets;
    // The 「ふりがな」 window while it is open.
    DialogReadings* Readings() const { return readingsDialog_; }
    // Reads the clock and shows what belongs to its position (the timer does this).
    void Refresh();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    bool AskToKeepChanges();
    void ChooseFile();
    void TogglePlay();
    void Tap(QKeyEvent* event, bool hold);
    // Acts on a tap key's waiting release; `pressFollows`: a new press of a tap key is next.
    void FinishTapUp(bool pressFollows);
    void MoveLine(int line);
    void MoveFragment(bool next);
    void MoveTime(int deltaMs);
    void SeekBy(qint64 deltaMs);
    void SetSpeed(int percent);
    void Replay(bool loop);
    void EditText();
    void Split();
    void Undo();
    void Redo();
    void UndoTo(int index);
    void AfterChange(bool changed, const QString& refusal);
    void ShowDocument();
    // Shows a status message; one that is not `lasting` goes after a few seconds.
    void Say(const QString& text, bool lasting = false);
    void StorePlace();
    void Calibrate();
    void SaveAs();
    void EmbedInSong();
    void ExportVideo();
    // The waveform lane, its view and snapping (FormTimingLane.cpp).
    void BuildLane();
    void AnalyseSong();
    void SetSnapping(bool on);
    void ShowSpectrogram(bool on);
    void DropHandle(FragmentPlace place, int toMs);
    // Says what snapping did to the last tap (`done` empty) or drop (`done` says what moved).
    void SaySnap(const QString& done);
    // FormTimingReadings.cpp: 「ふりがな」 and 「行内を自動配分」.
    int CurrentLine() const;
    void EditReadings();
    void DistributeLine();
    // 「行だけタップ」 on or off.
    void SetLineTaps(bool on);
    // The tapped line's fragments placed by the dictionary's readings on the song.
    void PlaceTappedLine(int line);
    // The song fragments are placed on: the clock's when it plays one, else none.
    std::shared_ptr<const DecodedSong> PlacingSong() const;
    QString NoDictionaryNote(const QString& error);

    Settings& settings_;
    ClockMaker makeClock_;
    TimingSource source_;
    TimingSession session_;
    std::shared_ptr<void> soundAwake_; // the sound server ready to play at once
    std::unique_ptr<TimingClock> clock_;
    QString songPath_;                    // the song the clock plays; empty for none
    QHash<QString, QString> songChoices_; // lyrics path -> song chosen for it this session
    EventAge ages_;
    QElapsedTimer sinceStart_;
    qint64 replayFrom_ = -1;
    qint64 replayTo_ = -1;
    bool loop_ = false;
    int tapKey_;
    int startKey_;

    QMenuBar* menuBar_;
    QMenu* history_;
    LyricsView* view_;
    QListWidget* list_;
    QLabel* times_;
    QLabel* position_;
    QLabel* status_;
    QLabel* legend_;
    QTimer* ticker_;
    QTimer* releaseTimer_;
    QTimer* sayTimer_ = nullptr;
    qint64 pendingUpMs_ = -1;
    EditorKeys* keys_ = nullptr;
    WaveformLane* lane_;
    SongOverview* overview_;
    QCheckBox* snapBox_;
    QAction* snapAction_ = nullptr;
    QAction* spectrogramAction_ = nullptr;
    QAction* lineTapsAction_ = nullptr;
    bool lineTaps_ = false; // 「行だけタップ」: a tap times a line, its fragments are placed
    SongAnalysis* analysis_;
    std::unique_ptr<ReadingService> readingService_;
    DialogReadings* readingsDialog_ = nullptr;
    bool toldNoDictionary_ = false;
    // Last, so that it goes first and can still write the session (TimingAutosave.h).
    std::unique_ptr<TimingAutosave> autosave_;
};

} // namespace tavelkor

// The preview window: plays the song of a lyrics file and shows, in step with it, what the
// SAMI player will show (the display model of preview/), with a nudge of the lyrics against
// the song that can be saved into the file as a time shift.
#pragma once

#include "../../preview/KaraokeDisplay.h"
#include "../../preview/PreviewClock.h"
#include "../../preview/PreviewDocument.h"
#include "../common/LyricsView.h"

#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace tavelkor {

struct Settings;

class FormPreview : public QWidget {
    Q_OBJECT
public:
    // Makes the clock for a file: the song's player, or a silent clock running `lyricsEndMs`
    // and a little more when there is no song.
    using ClockMaker =
        std::function<std::unique_ptr<PreviewClock>(const PreviewSong& song, qint64 lyricsEndMs)>;
    static std::unique_ptr<PreviewClock> DefaultClock(const PreviewSong& song, qint64 lyricsEndMs);

    // Reads the style, the default ratio, the input encoding and its own place from `settings`;
    // stores its place there when it closes.
    explicit FormPreview(Settings& settings, QWidget* parent = nullptr,
                         ClockMaker makeClock = DefaultClock);
    ~FormPreview() override;

    // Shows the preview of a lyrics file, playing from the start when `play` is set; a file
    // that cannot be previewed is said so in a message and the window keeps what it had.
    bool OpenFile(const QString& path, bool play);

    QString FilePath() const { return source_.Path; }
    int NudgeMs() const { return nudgeMs_; }
    PreviewClock* Clock() const { return clock_.get(); }
    const KaraokeDisplay& Display() const { return display_; }
    LyricsView* View() const { return view_; }
    QSlider* SeekBar() const { return seekBar_; }
    QLabel* TimeLabel() const { return timeLabel_; }
    QLabel* NudgeLabel() const { return nudgeLabel_; }
    QLabel* StatusLabel() const { return status_; }
    QPushButton* PlayButton() const { return play_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* NudgeButton(int step) const; // -100, -10, 10 or 100

    // Reads the clock and shows what belongs to its position (the window's timer does this
    // while the song plays).
    void Refresh();
    // Puts the window's place into the settings (closing does this too).
    void StorePlace();
    // Takes the style and the number of rows from the settings again, without stopping the song
    // (the mode options may have changed them).
    void ReloadStyle();

    // What 「編集」 does: opens the timing editor on the file at the song's position. Without
    // it the button is hidden.
    std::function<void(const QString& path, qint64 positionMs)> OpenEditor;
    QPushButton* EditButton() const { return edit_; }
    QPushButton* VideoButton() const { return video_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void TogglePlay();
    void SeekTo(qint64 positionMs);
    void JumpLine(bool next);
    void Nudge(int stepMs);
    void SaveNudge();
    void Rebuild();
    void UpdateControls();
    void Message(const QString& text);

    Settings& settings_;
    ClockMaker makeClock_;
    DisplayStyle style_;
    PreviewSource source_;
    PreviewSong song_;
    KaraokeDisplay display_;
    std::unique_ptr<PreviewClock> clock_;
    int nudgeMs_ = 0;
    bool playing_ = false; // playing as the user asked, until the song ends
    int shownTenth_ = -1;

    LyricsView* view_;
    QSlider* seekBar_;
    QLabel* timeLabel_;
    QLabel* nudgeLabel_;
    QLabel* status_;
    QPushButton* previous_;
    QPushButton* play_;
    QPushButton* next_;
    QList<QPushButton*> nudges_;
    QPushButton* save_;
    QTimer* ticker_;
    QPushButton* edit_;
    QPushButton* video_; // 「動画…」: the open file as a karaoke video
};

} // namespace tavelkor

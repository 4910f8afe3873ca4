#include "FormPreview.h"

#include "../../app/BatchState.h"
#include "../../app/ResultCodes.h"
#include "../../app/ResultNotes.h"
#include "../../base/PathHelpers.h"
#include "../../modes/TimeShiftMode.h"
#include "../../settings/Settings.h"
#include "../common/VideoExport.h"
#include "../common/WindowHelpers.h"
#include "MediaClock.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace tavelkor {

namespace {

constexpr int TwipsPerPixel = 15;
constexpr int TickMs = 15;         // how often the clock is read while playing
constexpr int SilentTailMs = 3000; // a silent clock runs this long past the last caption
constexpr int DefaultWidth = 640;
constexpr int DefaultHeight = 360;

QString ClockText(qint64 ms) {
    const qint64 tenths = std::max<qint64>(0, ms) / 100;
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600, 2, 10, QLatin1Char('0'))
        .arg(tenths / 10 % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

// A seek bar that moves to where it is clicked, as media players' bars do.
class SeekSlider : public QSlider {
public:
    using QSlider::QSlider;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && maximum() > minimum()) {
            const int span = std::max(1, width() - 1);
            const int value = QStyle::sliderValueFromPosition(minimum(), maximum(),
                                                              int(event->position().x()), span);
            setSliderPosition(value);
            emit sliderMoved(value);
        }
        QSlider::mousePressEvent(event);
    }
};

} // namespace

std::unique_ptr<PreviewClock> FormPreview::DefaultClock(const PreviewSong& song,
                                                        qint64 lyricsEndMs) {
    if (!song.Path.isEmpty() && song.Error.isEmpty())
        return std::make_unique<MediaClock>(song);
    return std::make_unique<SilentClock>(lyricsEndMs + SilentTailMs);
}

FormPreview::FormPreview(Settings& settings, QWidget* parent, ClockMaker makeClock)
    : QWidget(parent, Qt::Window), settings_(settings), makeClock_(std::move(makeClock)),
      view_(new LyricsView(this)), seekBar_(new SeekSlider(Qt::Horizontal, this)),
      timeLabel_(new QLabel(this)), nudgeLabel_(new QLabel(this)), status_(new QLabel(this)),
      previous_(new QPushButton(QStringLiteral(u"◀ 前の行"), this)), play_(new QPushButton(this)),
      next_(new QPushButton(QStringLiteral(u"次の行 ▶"), this)),
      save_(new QPushButton(QStringLiteral(u"保存"), this)), ticker_(new QTimer(this)),
      edit_(new QPushButton(QStringLiteral(u"編集"), this)),
      video_(new QPushButton(QStringLiteral(u"動画…"), this)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QStringLiteral(u"プレビュー"));
    setAcceptDrops(true);
    style_ = ReadDisplayStyle(settings_.T2S);
    view_->SetStyle(style_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    auto* seekRow = new QHBoxLayout;
    seekRow->addWidget(seekBar_, 1);
    seekRow->addWidget(timeLabel_);
    layout->addLayout(seekRow);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(previous_);
    buttons->addWidget(play_);
    buttons->addWidget(next_);
    buttons->addStretch(1);
    buttons->addWidget(new QLabel(QStringLiteral(u"歌詞のずれ"), this));
    for (const int step : {-100, -10, 10, 100}) {
        auto* button = new QPushButton((step > 0 ? QStringLiteral("+") : QStringLiteral(u"−")) +
                                           QString::number(std::abs(step)),
                                       this);
        button->setProperty("step", step);
        // Narrow buttons, so the window fits a small screen.
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        button->setMaximumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 24);
        connect(button, &QPushButton::clicked, this, [this, step] { Nudge(step); });
        nudges_.append(button);
        if (step == -10)
            buttons->addWidget(nudgeLabel_);
        buttons->addWidget(button);
    }
    // The label sits between −10 and +10.
    buttons->removeWidget(nudgeLabel_);
    buttons->insertWidget(buttons->indexOf(nudges_[2]), nudgeLabel_);
    buttons->addWidget(save_);
    buttons->addWidget(edit_);
    layout->addLayout(buttons);
    // Every control stays whole: the buttons keep room for their longest text, the nudge label
    // has the width of the largest nudge, and the window is never smaller than its layout.
    for (QPushButton* button : std::initializer_list<QPushButton*>{previous_, next_, save_})
        button->setMinimumWidth(button->sizeHint().width());
    for (QPushButton* button : nudges_)
        button->setMinimumWidth(button->maximumWidth());
    play_->setText(QStringLiteral(u"∥ 一時停止"));
    const int playWidth = play_->sizeHint().width();
    play_->setText(QStringLiteral(u"▶ 再生"));
    play_->setMinimumWidth(std::max(playWidth, play_->sizeHint().width()));
    nudgeLabel_->setFixedWidth(
        nudgeLabel_->fontMetrics().horizontalAdvance(QStringLiteral(u"−99999 ms")) + 4);
    nudgeLabel_->setAlignment(Qt::AlignCenter);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The status line, with 「動画…」 at its end (the row of buttons is as wide as it may be).
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(video_);
    layout->addLayout(bottom);

    // The keys belong to the window: no control takes the focus, so Space and the arrows
    // always reach the window's shortcuts.
    for (QWidget* control :
         std::initializer_list<QWidget*>{seekBar_, previous_, play_, next_, save_})
        control->setFocusPolicy(Qt::NoFocus);
    for (QPushButton* button : nudges_)
        button->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);
    previous_->setToolTip(QStringLiteral(u"前の行へ (↑)"));
    next_->setToolTip(QStringLiteral(u"次の行へ (↓)"));
    play_->setToolTip(QStringLiteral(u"再生／一時停止 (Space)"));
    nudges_[0]->setToolTip(QStringLiteral(u"歌詞を100ミリ秒早く (Shift+←)"));
    nudges_[1]->setToolTip(QStringLiteral(u"歌詞を10ミリ秒早く (←)"));
    nudges_[2]->setToolTip(QStringLiteral(u"歌詞を10ミリ秒遅く (→)"));
    nudges_[3]->setToolTip(QStringLiteral(u"歌詞を100ミリ秒遅く (Shift+→)"));
    save_->setToolTip(QStringLiteral(u"ずれを時間微調整としてファイルに保存 (Ctrl+S)"));

    auto shortcut = [this](const QKeySequence& keys, const std::function<void()>& act) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, act);
        addAction(action);
    };
    shortcut(QKeySequence(Qt::Key_Space), [this] { TogglePlay(); });
    shortcut(QKeySequence(Qt::Key_Up), [this] { JumpLine(false); });
    shortcut(QKeySequence(Qt::Key_Down), [this] { JumpLine(true); });
    shortcut(QKeySequence(Qt::Key_Left), [this] { Nudge(-10); });
    shortcut(QKeySequence(Qt::Key_Right), [this] { Nudge(10); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_Left), [this] { Nudge(-100); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_Right), [this] { Nudge(100); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_S), [this] { SaveNudge(); });
    // Esc and Ctrl+W close it, as they close the other windows.
    shortcut(QKeySequence(Qt::Key_Escape), [this] { close(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_W), [this] { close(); });

    connect(play_, &QPushButton::clicked, this, &FormPreview::TogglePlay);
    connect(previous_, &QPushButton::clicked, this, [this] { JumpLine(false); });
    connect(next_, &QPushButton::clicked, this, [this] { JumpLine(true); });
    connect(save_, &QPushButton::clicked, this, &FormPreview::SaveNudge);
    // 「編集」: the timing editor on this file, where the song is now.
    edit_->setFocusPolicy(Qt::NoFocus);
    edit_->setToolTip(QStringLiteral(u"タイミング編集で開く"));
    edit_->setVisible(false);
    connect(edit_, &QPushButton::clicked, this, [this] {
        if (!OpenEditor || source_.Path.isEmpty())
            return;
        const qint64 position = clock_ ? clock_->PositionMs() : 0;
        if (clock_)
            clock_->Pause();
        playing_ = false;
        ticker_->stop();
        UpdateControls();
        OpenEditor(source_.Path, position);
    });
    // 「動画…」: the file as a karaoke video, the song paused meanwhile.
    video_->setFocusPolicy(Qt::NoFocus);
    video_->setToolTip(QStringLiteral(u"動画に書き出す"));
    connect(video_, &QPushButton::clicked, this, [this] {
        if (source_.Path.isEmpty())
            return;
        if (clock_)
            clock_->Pause();
        playing_ = false;
        ticker_->stop();
        UpdateControls();
        ExportKaraokeVideo(this, source_.Path, QString(), settings_);
    });
    connect(seekBar_, &QSlider::sliderMoved, this, [this](int value) { SeekTo(value); });
    ticker_->setInterval(TickMs);
    ticker_->setTimerType(Qt::PreciseTimer);
    connect(ticker_, &QTimer::timeout, this, &FormPreview::Refresh);

    // Its place: as stored, kept on the screen; the default size in the middle at first.
    const PreviewSettings& place = settings_.Preview;
    RestoreWindowPlace(this, {place.Left, place.Top, place.Width, place.Height},
                       QSize(DefaultWidth, DefaultHeight));
    UpdateControls();
}

void FormPreview::ReloadStyle() {
    // The style and the number of rows as the settings now say; the song plays on.
    style_ = ReadDisplayStyle(settings_.T2S);
    view_->SetStyle(style_);
    if (clock_ == nullptr)
        return;
    Rebuild();
    Refresh();
}

FormPreview::~FormPreview() = default;

QPushButton* FormPreview::NudgeButton(int step) const {
    for (QPushButton* button : nudges_) {
        if (button->property("step").toInt() == step)
            return button;
    }
    return nullptr;
}

bool FormPreview::OpenFile(const QString& path, bool play) {
    PreviewSource source = LoadPreviewDocument(path, settings_.Init.InputEncoding);
    if (!source.Error.isEmpty()) {
        Message(source.Error);
        return false;
    }
    if (clock_)
        clock_->Pause();
    source_ = std::move(source);
    nudgeMs_ = 0;
    style_ = ReadDisplayStyle(settings_.T2S);
    view_->SetStyle(style_);
    Rebuild();
    song_ = FindPreviewSong(path);
    clock_ = makeClock_(song_, display_.LastTimeMs());
    setWindowTitle(QStringLiteral(u"プレビュー - ") + FileNameOf(path));
    status_->setText(song_.Path.isEmpty() ? QStringLiteral(u"曲がありません（無音で再生します）")
                     : song_.Error.isEmpty()
                         ? QStringLiteral(u"曲：") + song_.Path
                         : song_.Error + QStringLiteral(u"（無音で再生します）"));
    shownTenth_ = -1;
    playing_ = play;
    if (play) {
        clock_->Play();
        ticker_->start();
    } else {
        ticker_->stop();
    }
    Refresh();
    return true;
}

void FormPreview::Rebuild() {
    display_ =
        KaraokeDisplay(PreviewTimes(source_, nudgeMs_, settings_.Init.TimeRatio, style_.Karaoke),
                       style_.Karaoke, style_.Lines);
}

void FormPreview::Refresh() {
    if (!clock_) {
        UpdateControls();
        return;
    }
    if (!clock_->Error().isEmpty() && dynamic_cast<SilentClock*>(clock_.get()) == nullptr) {
        // The song cannot be played: the lyrics go on with a silent clock.
        const qint64 position = clock_->PositionMs();
        status_->setText(clock_->Error() + QStringLiteral(u"（無音で再生します）"));
        clock_ = std::make_unique<SilentClock>(display_.LastTimeMs() + SilentTailMs);
        clock_->Seek(position);
        if (playing_)
            clock_->Play();
    }
    const qint64 position = clock_->PositionMs();
    view_->SetRows(display_.RowsAt(position));
    const qint64 duration = clock_->DurationMs();
    if (playing_ && clock_->Ended()) {
        playing_ = false; // the song has played to its end
        clock_->Pause();
        ticker_->stop();
    }
    // The time and the bar change ten times a second at most.
    const int tenth = int(position / 100);
    if (tenth != shownTenth_ || seekBar_->maximum() != duration) {
        shownTenth_ = tenth;
        timeLabel_->setText(ClockText(position) + QStringLiteral(" / ") + ClockText(duration));
        seekBar_->setMaximum(int(std::min<qint64>(duration, std::numeric_limits<int>::max())));
        if (!seekBar_->isSliderDown())
            seekBar_->setValue(int(std::min<qint64>(position, std::numeric_limits<int>::max())));
    }
    UpdateControls();
}

void FormPreview::UpdateControls() {
    const bool loaded = clock_ != nullptr;
    const bool playing = loaded && playing_;
    play_->setText(playing ? QStringLiteral(u"∥ 一時停止") : QStringLiteral(u"▶ 再生"));
    for (QWidget* control : std::initializer_list<QWidget*>{play_, previous_, next_, seekBar_})
        control->setEnabled(loaded);
    for (QPushButton* button : nudges_)
        button->setEnabled(loaded);
    save_->setEnabled(loaded && nudgeMs_ != 0);
    // The same signs as the buttons: "+" and the minus sign "−"; whole seconds past 99999 ms,
    // so that the label keeps its width.
    const int size = std::abs(nudgeMs_);
    nudgeLabel_->setText((nudgeMs_ > 0   ? QStringLiteral("+")
                          : nudgeMs_ < 0 ? QStringLiteral(u"−")
                                         : QString()) +
                         (size <= 99999 ? QString::number(size) + QStringLiteral(" ms")
                                        : QString::number(size / 1000) + QStringLiteral(" s")));
}

void FormPreview::TogglePlay() {
    if (!clock_)
        return;
    playing_ = !playing_;
    if (playing_) {
        if (clock_->Ended())
            clock_->Seek(0); // played to the end: again from the start
        clock_->Play();
        ticker_->start();
    } else {
        clock_->Pause();
        ticker_->stop();
    }
    Refresh();
}

void FormPreview::SeekTo(qint64 positionMs) {
    if (!clock_)
        return;
    clock_->Seek(positionMs);
    shownTenth_ = -1;
    Refresh();
}

void FormPreview::JumpLine(bool next) {
    if (!clock_)
        return;
    const qint64 position = clock_->PositionMs();
    const qint64 target =
        next ? display_.NextLineStart(position) : display_.PreviousLineStart(position);
    if (target >= 0)
        SeekTo(target);
}

void FormPreview::Nudge(int stepMs) {
    if (!clock_)
        return;
    // Kept within what a time shift can hold.
    nudgeMs_ = int(std::clamp<qint64>(qint64(nudgeMs_) + stepMs, -99999999, 99999999));
    Rebuild();
    Refresh();
}

void FormPreview::SaveNudge() {
    if (!clock_ || nudgeMs_ == 0)
        return;
    const QString amount =
        (nudgeMs_ > 0 ? QStringLiteral("+") : QString()) + QString::number(nudgeMs_);
    QMessageBox ask(
        QMessageBox::Question, QStringLiteral(u"保存"),
        QStringLiteral(u"歌詞の時間を %1 ミリ秒ずらしてファイルに上書き保存しますか？\n")
                .arg(amount) +
            source_.Path,
        QMessageBox::Yes | QMessageBox::No, this);
    ask.button(QMessageBox::Yes)->setText(QStringLiteral(u"はい"));
    ask.button(QMessageBox::No)->setText(QStringLiteral(u"いいえ"));
    ask.setDefaultButton(QMessageBox::No);
    if (ask.exec() != QMessageBox::Yes)
        return;
    ResultRecord record;
    const LyricsFormat format = DetectLyricsFormat(source_.Path, settings_.Init.InputEncoding);
    if (format == LyricsFormat::Unknown)
        record.Code = NotTargetFile;
    else
        ShiftFileInPlace(source_.Path, format, nudgeMs_, settings_.Init.InputEncoding, record);
    if (record.Code != Converted) {
        if (record.Code == SaveError && record.Note.isEmpty())
            record.Note = SaveFailureText(source_.Path);
        Message(ResultOutcomeText(record) + u'\n' + source_.Path);
        return;
    }
    // The file now holds the nudge: read it again, at the same place in the song.
    PreviewSource saved = LoadPreviewDocument(source_.Path, settings_.Init.InputEncoding);
    if (!saved.Error.isEmpty()) {
        Message(saved.Error);
        return;
    }
    source_ = std::move(saved);
    nudgeMs_ = 0;
    Rebuild();
    status_->setText(QStringLiteral(u"%1 ミリ秒ずらして保存しました：").arg(amount) + source_.Path);
    Refresh();
}

void FormPreview::Message(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral(u"プレビュー"), text, QMessageBox::Ok,
                    this);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

void FormPreview::StorePlace() {
    PreviewSettings& place = settings_.Preview;
    place.Left = x() * TwipsPerPixel;
    place.Top = y() * TwipsPerPixel;
    place.Width = width() * TwipsPerPixel;
    place.Height = height() * TwipsPerPixel;
}

void FormPreview::closeEvent(QCloseEvent* event) {
    if (clock_)
        clock_->Pause();
    playing_ = false;
    ticker_->stop();
    StorePlace();
    QWidget::closeEvent(event);
    UpdateControls();
}

void FormPreview::dragEnterEvent(QDragEnterEvent* event) {
    if (!DraggedLocalFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void FormPreview::dropEvent(QDropEvent* event) {
    const QString path = DraggedLocalFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The message for a file that cannot be previewed opens after the drop has finished.
    QTimer::singleShot(0, this, [this, path] { OpenFile(path, true); });
}

} // namespace tavelkor

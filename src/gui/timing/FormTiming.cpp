#include "FormTiming.h"

#include "../../preview/PreviewDocument.h"
#include "../../settings/Settings.h"
#include "../../timing/TimingSong.h"
#include "../common/LyricsView.h"
#include "../common/WindowHelpers.h"
#include "AudioSinkOutput.h"
#include "DialogCalibration.h"
#include "EditorKeys.h"
#include "ReadingService.h"
#include "SongAnalysis.h"
#include "SongOverview.h"
#include "TimingAutosave.h"
#include "WaveformLane.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTimer>
#include <QVBoxLayout>

namespace tavelkor {

namespace {

constexpr int TickMs = 15;
constexpr int SayMs = 8000; // how long a status message stands
// How long a tap key's release waits for the press of a repeat pair (sent together with it).
constexpr int ReleaseSettleMs = 40;
constexpr qint64 SilentLengthMs = 10 * 60 * 1000;

int KeyOf(const QString& text, int fallback) {
    const QKeySequence keys = QKeySequence::fromString(text);
    return keys.isEmpty() ? fallback : keys[0].key();
}

const QString KeyLegend = QStringLiteral(
    u"Space 再生／一時停止　%1 タップ（押している間が歌う長さ）　%2 タップ（始まりだけ）\n"
    u"↑↓ 行　Home/End 最初／最後の行　PageUp/PageDown 1画面前／先　←→ フラグメント　"
    u"Ctrl+←→ ±10 ms（Shift: ±100 ms）\n"
    u"M 次と結合　S 分割　F2 文字を編集　Delete 行の時間を消す　R 行を再生　L 行を繰り返す\n"
    u"O オンセットに吸着　V 波形／スペクトログラム　Y ふりがな　A 行内を自動配分　T 行だけタップ\n"
    u"1／2／3 速度 1×／0.75×／0.5×　Ctrl+Z 元に戻す　Ctrl+Shift+Z やり直す　Ctrl+S 保存　"
    u"F1 キー一覧　Esc 閉じる");

QString SpeedText(double speed) {
    return speed == 1 ? QStringLiteral(u"1×") : QString::number(speed) + u'×';
}

} // namespace

std::unique_ptr<TimingClock> FormTiming::DefaultClock(const PreviewSong& song) {
    if (song.Path.isEmpty())
        return std::make_unique<SilentTimingClock>(SilentLengthMs);
    return std::make_unique<SongPlayer>(DecodeTimingSong(song),
                                        std::make_unique<AudioSinkOutput>());
}

FormTiming::FormTiming(Settings& settings, QWidget* parent, ClockMaker makeClock)
    : QWidget(parent, Qt::Window), settings_(settings), makeClock_(std::move(makeClock)),
      tapKey_(KeyOf(settings.Timing.TapKey, Qt::Key_J)),
      startKey_(KeyOf(settings.Timing.StartKey, Qt::Key_F)), menuBar_(new QMenuBar(this)),
      history_(new QMenu(QStringLiteral(u"履歴(&H)"), this)), view_(new LyricsView(this)),
      list_(new QListWidget(this)), times_(new QLabel(this)), position_(new QLabel(this)),
      status_(new QLabel(this)), legend_(new QLabel(this)), ticker_(new QTimer(this)),
      releaseTimer_(new QTimer(this)), lane_(new WaveformLane(this)),
      overview_(new SongOverview(this)), snapBox_(new QCheckBox(this)),
      analysis_(new SongAnalysis(this)), readingService_(std::make_unique<ReadingService>()),
      autosave_(std::make_unique<TimingAutosave>(this, session_, source_,
                                                 [this](const QString& text) { Say(text); })) {
    setWindowTitle(QStringLiteral(u"タイミング編集"));
    setFont(OneDesignFont(font()));
    // The sound server wakes up while the user reads the lyrics, and plays at once on Space.
    if (makeClock_.target<decltype(&DefaultClock)>() != nullptr)
        soundAwake_ = AudioSinkOutput::KeepSoundServerAwake();
    setAcceptDrops(true);
    MakeCalibrationClock = &DialogCalibration::DefaultClock;
    sinceStart_.start();
    DisplayStyle style = ReadDisplayStyle(settings_.T2S);
    style.Lines = 2;
    view_->SetStyle(style);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar_);
    layout->addWidget(view_, 2);
    layout->addWidget(lane_);
    layout->addWidget(overview_);
    layout->addWidget(snapBox_);
    layout->addWidget(list_, 3);
    times_->setWordWrap(true);
    layout->addWidget(times_);
    layout->addWidget(position_);
    layout->addWidget(status_);
    legend_->setText(KeyLegend.arg(settings_.Timing.TapKey, settings_.Timing.StartKey));
    layout->addWidget(legend_);
    // The keys belong to the window; the list follows the selection and takes clicks only.
    list_->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);
    connect(list_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { MoveLine(list_->row(item)); });
    BuildMenus();

    keys_ = new EditorKeys(this, menuBar_);
    sayTimer_ = new QTimer(this);
    sayTimer_->setSingleShot(true);
    sayTimer_->setInterval(SayMs);
    connect(sayTimer_, &QTimer::timeout, status_, &QLabel::clear);
    releaseTimer_->setSingleShot(true);
    releaseTimer_->setInterval(ReleaseSettleMs);
    connect(releaseTimer_, &QTimer::timeout, this, [this] { FinishTapUp(false); });
    ticker_->setInterval(TickMs);
    ticker_->setTimerType(Qt::PreciseTimer);
    connect(ticker_, &QTimer::timeout, this, &FormTiming::Refresh);

    const TimingSettings& place = settings_.Timing;
    RestoreWindowPlace(this, {place.Left, place.Top, place.Width, place.Height}, QSize(760, 560));
    ShowDocument();
}

FormTiming::~FormTiming() = default;

void FormTiming::BuildMenus() {
    auto add = [this](QMenu* menu, const QString& caption, const QKeySequence& keys,
                      const std::function<void()>& act) {
        QAction* action = menu->addAction(caption);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, act);
        addAction(action);
        return action;
    };
    QMenu* file = menuBar_->addMenu(QStringLiteral(u"ファイル(&F)"));
    add(file, QStringLiteral(u"開く…(&O)"), QKeySequence(Qt::CTRL | Qt::Key_O),
        [this] { ChooseFile(); });
    add(file, QStringLiteral(u"保存(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S), [this] { Save(); });
    add(file, QStringLiteral(u"名前を付けて保存…(&A)"),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { SaveAs(); });
    add(file, QStringLiteral(u"曲に埋め込む(&E)"), QKeySequence(), [this] { EmbedInSong(); });
    add(file, QStringLiteral(u"動画に書き出す…(&V)"), QKeySequence(), [this] { ExportVideo(); });
    file->addSeparator();
    add(file, QStringLiteral(u"閉じる(&C)"), QKeySequence(Qt::Key_Escape), [this] { close(); });
    QMenu* edit = menuBar_->addMenu(QStringLiteral(u"編集(&E)"));
    add(edit, QStringLiteral(u"元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z),
        [this] { Undo(); });
    QAction* redo = add(edit, QStringLiteral(u"やり直す(&R)"),
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this] { Redo(); });
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit->addMenu(history_);
    // The history: every step, the current one checked; choosing one undoes or redoes to it.
    connect(history_, &QMenu::aboutToShow, this, [this] {
        history_->clear();
        QAction* start = history_->addAction(QStringLiteral(u"（開いたとき）"));
        start->setCheckable(true);
        start->setChecked(session_.History().Index() == 0);
        connect(start, &QAction::triggered, this, [this] { UndoTo(0); });
        const QVector<EditStep>& steps = session_.History().Steps();
        for (int i = 0; i < steps.size(); ++i) {
            QAction* step = history_->addAction(steps[i].Caption);
            step->setCheckable(true);
            step->setChecked(session_.History().Index() == i + 1);
            connect(step, &QAction::triggered, this, [this, i] { UndoTo(i + 1); });
        }
    });
    edit->addSeparator();
    add(edit, QStringLiteral(u"次と結合(&M)"), QKeySequence(Qt::Key_M), [this] {
        AfterChange(session_.MergeSelected(), QStringLiteral(u"行の最後のフラグメントです"));
    });
    add(edit, QStringLiteral(u"分割(&S)"), QKeySequence(Qt::Key_S), [this] { Split(); });
    add(edit, QStringLiteral(u"文字を編集…(&E)"), QKeySequence(Qt::Key_F2), [this] { EditText(); });
    add(edit, QStringLiteral(u"行の時間を消す(&D)"), QKeySequence(Qt::Key_Delete), [this] {
        AfterChange(session_.UntimeLine(session_.Selection().Line),
                    QStringLiteral(u"この行には時間がありません"));
    });
    edit->addSeparator();
    add(edit, QStringLiteral(u"ふりがな…(&Y)"), QKeySequence(Qt::Key_Y),
        [this] { EditReadings(); });
    add(edit, QStringLiteral(u"行内を自動配分(&A)"), QKeySequence(Qt::Key_A),
        [this] { DistributeLine(); });
    QMenu* play = menuBar_->addMenu(QStringLiteral(u"再生(&P)"));
    add(play, QStringLiteral(u"再生／一時停止"), QKeySequence(Qt::Key_Space),
        [this] { TogglePlay(); });
    add(play, QStringLiteral(u"行を再生(&R)"), QKeySequence(Qt::Key_R), [this] { Replay(false); });
    add(play, QStringLiteral(u"行を繰り返す(&L)"), QKeySequence(Qt::Key_L), [this] {
        if (!loop_) {
            Replay(true);
            return;
        }
        // Pressed again: the loop stops where it is.
        loop_ = false;
        replayTo_ = -1;
        if (clock_)
            clock_->Pause();
        ticker_->stop();
        Say(QStringLiteral(u"繰り返しを止めました"));
        Refresh();
    });
    play->addSeparator();
    add(play, QStringLiteral(u"速度 1×"), QKeySequence(Qt::Key_1), [this] { SetSpeed(100); });
    add(play, QStringLiteral(u"速度 0.75×"), QKeySequence(Qt::Key_2), [this] { SetSpeed(75); });
    add(play, QStringLiteral(u"速度 0.5×"), QKeySequence(Qt::Key_3), [this] { SetSpeed(50); });
    play->addSeparator();
    add(play, QStringLiteral(u"前の行"), QKeySequence(Qt::Key_Up),
        [this] { MoveLine(session_.Selection().Line - 1); });
    add(play, QStringLiteral(u"次の行"), QKeySequence(Qt::Key_Down),
        [this] { MoveLine(session_.Selection().Valid() ? session_.Selection().Line + 1 : 0); });
    add(play, QStringLiteral(u"最初の行"), QKeySequence(Qt::Key_Home), [this] { MoveLine(0); });
    add(play, QStringLiteral(u"最後の行"), QKeySequence(Qt::Key_End),
        [this] { MoveLine(int(session_.Document().Lines.size()) - 1); });
    // A lane's width back or on: any part of a long song in a few presses.
    add(play, QStringLiteral(u"1画面前へ"), QKeySequence(Qt::Key_PageUp),
        [this] { SeekBy(-lane_->Window().SpanMs()); });
    add(play, QStringLiteral(u"1画面先へ"), QKeySequence(Qt::Key_PageDown),
        [this] { SeekBy(lane_->Window().SpanMs()); });
    add(play, QStringLiteral(u"前のフラグメント"), QKeySequence(Qt::Key_Left),
        [this] { MoveFragment(false); });
    add(play, QStringLiteral(u"次のフラグメント"), QKeySequence(Qt::Key_Right),
        [this] { MoveFragment(true); });
    add(play, QStringLiteral(u"10 ms 早く"), QKeySequence(Qt::CTRL | Qt::Key_Left),
        [this] { MoveTime(-10); });
    add(play, QStringLiteral(u"10 ms 遅く"), QKeySequence(Qt::CTRL | Qt::Key_Right),
        [this] { MoveTime(10); });
    add(play, QStringLiteral(u"100 ms 早く"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left),
        [this] { MoveTime(-100); });
    add(play, QStringLiteral(u"100 ms 遅く"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right),
        [this] { MoveTime(100); });
    play->addSeparator();
    add(play, QStringLiteral(u"タップの遅れを測る…(&C)"), QKeySequence(), [this] { Calibrate(); });
    snapAction_ = add(play, QStringLiteral(u"オンセットに吸着(&O)"), QKeySequence(Qt::Key_O),
                      [this] { SetSnapping(!settings_.Timing.SnapToOnsets); });
    lineTapsAction_ = add(play, QStringLiteral(u"行だけタップ(&T)"), QKeySequence(Qt::Key_T),
                          [this] { SetLineTaps(!lineTaps_); });
    lineTapsAction_->setCheckable(true);
    QMenu* view = menuBar_->addMenu(QStringLiteral(u"表示(&V)"));
    spectrogramAction_ = add(view, QStringLiteral(u"スペクトログラム(&S)"), QKeySequence(Qt::Key_V),
                             [this] { ShowSpectrogram(lane_->View() != LaneView::Spectrogram); });
    BuildLane();
    QMenu* help = menuBar_->addMenu(QStringLiteral(u"ヘルプ(&H)"));
    add(help, QStringLiteral(u"キー一覧"), QKeySequence(Qt::Key_F1),
        [this] { legend_->setVisible(!legend_->isVisible()); });
}

void FormTiming::ShowDocument() {
    const TimingDocument& document = session_.Document();
    const FragmentPlace selected = session_.Selection();
    const int count = int(document.Lines.size());
    while (list_->count() > count)
        delete list_->takeItem(list_->count() - 1);
    while (list_->count() < count)
        list_->addItem(QString());
    for (int i = 0; i < count; ++i) {
        const QString text =
            TimingListText(document.Lines[i], selected.Line == i ? selected.Fragment : -1);
        if (list_->item(i)->text() != text)
            list_->item(i)->setText(text);
    }
    if (selected.Valid()) {
        list_->setCurrentRow(selected.Line);
        times_->setText(FragmentTimesText(document.Lines[selected.Line]));
    } else {
        list_->clearSelection();
        times_->setText(count > 0 ? QStringLiteral(u"すべてのフラグメントにタップしました")
                                  : QString());
    }
    setWindowModified(session_.Modified());
    autosave_->Changed();
    Refresh();
}

void FormTiming::Refresh() {
    if (!clock_) {
        position_->clear();
        return;
    }
    qint64 position = clock_->PositionMs();
    if (replayTo_ >= 0 && position >= replayTo_) {
        if (loop_) {
            clock_->Seek(replayFrom_);
            position = replayFrom_;
        } else {
            clock_->Pause();
            ticker_->stop();
            replayTo_ = -1;
        }
    }
    if (clock_->Playing() && clock_->Ended()) {
        clock_->Pause();
        ticker_->stop();
    }
    const FragmentPlace selected = session_.Selection();
    const int line = selected.Valid() ? selected.Line : LineAt(session_.Document(), position);
    view_->SetRows(TimingRows(session_.Document(), line, position));
    lane_->Show(session_.Document(), selected, position, clock_->Playing());
    overview_->Show(clock_->DurationMs(), LineSpans(session_.Document()), lane_->Window().FromMs(),
                    lane_->Window().ToMs(), position);
    position_->setText(ClockText(position) + QStringLiteral(" / ") +
                       ClockText(clock_->DurationMs()) + QStringLiteral(u"　速度 ") +
                       SpeedText(clock_->Speed()) +
                       (clock_->Playing() ? QStringLiteral(u"　再生中") : QString()) +
                       (session_.Modified() ? QStringLiteral(u"　（未保存）") : QString()));
}

void FormTiming::Say(const QString& text, bool lasting) {
    status_->setText(text);
    // A message stands while it is news; the next change or a few seconds end it.
    if (text.isEmpty() || lasting)
        sayTimer_->stop();
    else
        sayTimer_->start();
}

void FormTiming::Calibrate() {
    if (clock_)
        clock_->Pause();
    ticker_->stop();
    DialogCalibration dialog(settings_.Timing.TapOffsetMs, MakeCalibrationClock, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    settings_.Timing.TapOffsetMs = dialog.OffsetMs();
    session_.SetTapRules(TapRules{settings_.Timing.MinGapMs, settings_.Timing.TapOffsetMs});
    Say(QStringLiteral(u"タップの遅れを %1 ms にしました").arg(dialog.OffsetMs()));
    Refresh();
}

void FormTiming::StorePlace() {
    const WindowPlace place = WindowPlaceOf(this);
    settings_.Timing.Left = place.Left;
    settings_.Timing.Top = place.Top;
    settings_.Timing.Width = place.Width;
    settings_.Timing.Height = place.Height;
}

void FormTiming::closeEvent(QCloseEvent* event) {
    if (!AskToKeepChanges()) {
        event->ignore();
        return;
    }
    autosave_->Closed();
    if (clock_)
        clock_->Pause();
    ticker_->stop();
    StorePlace();
    QWidget::closeEvent(event);
}

void FormTiming::dragEnterEvent(QDragEnterEvent* event) {
    if (!DraggedLocalFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void FormTiming::dropEvent(QDropEvent* event) {
    const QString path = DraggedLocalFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    QTimer::singleShot(0, this, [this, path] { OpenFile(path); });
}

} // namespace tavelkor

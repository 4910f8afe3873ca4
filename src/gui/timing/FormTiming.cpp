#include "FormTiming.h"

#include "../../app/BatchFrame.h"
#include "../../app/BatchState.h"
#include "../../app/ResultCodes.h"
#include "../../app/ResultNotes.h"
#include "../../base/PathHelpers.h"
#include "../../modes/AudioModes.h"
#include "../../preview/PreviewDocument.h"
#include "../../settings/Settings.h"
#include "../../timing/TimingExport.h"
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

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
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
    u"O オンセットに吸着　Y ふりがな　A 行内を自動配分\n"
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
    BuildLane();
    QMenu* help = menuBar_->addMenu(QStringLiteral(u"ヘルプ(&H)"));
    add(help, QStringLiteral(u"キー一覧"), QKeySequence(Qt::Key_F1),
        [this] { legend_->setVisible(!legend_->isVisible()); });
}

bool FormTiming::OpenFile(const QString& path, qint64 positionMs) {
    if (!AskToKeepChanges())
        return false;
    autosave_->Closed();
    const SplitRules rules{settings_.Timing.JoinSokuon, settings_.Timing.JoinHatsuon};
    TimingSource source =
        LoadTimingSource(path, settings_.Init.InputEncoding, settings_.Init.TimeRatio, rules);
    if (!source.Error.isEmpty()) {
        QMessageBox box(QMessageBox::Warning, windowTitle(), source.Error, QMessageBox::Ok, this);
        box.exec();
        return false;
    }
    if (clock_)
        clock_->Pause();
    ticker_->stop();
    source_ = std::move(source);
    settings_.Timing.LastFile = path;

    // The song beside the lyrics, else the one chosen for them before, else ask for one.
    PreviewSong song = FindPreviewSong(path);
    if (song.Path.isEmpty() && songChoices_.contains(path)) {
        song.Path = songChoices_.value(path);
        song.Length = -1;
    }
    if (song.Path.isEmpty()) {
        const QString chosen = QFileDialog::getOpenFileName(
            this, QStringLiteral(u"曲ファイルを選んでください"), FolderOf(path),
            QStringLiteral(
                u"曲 (*.mp3 *.rmp *.flac *.ogg *.opus *.m4a *.wav);;すべてのファイル (*)"));
        if (!chosen.isEmpty()) {
            songChoices_.insert(path, chosen);
            song.Path = chosen;
            song.Length = -1;
        }
    }
    // @Title, @Artist and @Album the lyrics do not give come from the song's tags.
    TakeSongNames(source_.Document.Header, song);
    session_ = TimingSession(source_.Document, rules,
                             TapRules{settings_.Timing.MinGapMs, settings_.Timing.TapOffsetMs});
    songPath_ = song.Path;
    clock_ = makeClock_(song);
    clock_->SetSpeed(settings_.Timing.SpeedPercent / 100.0);
    clock_->Seek(positionMs);
    // Opened at a moment of the song (the preview's 「編集」): the fragment sung then is the one
    // the next tap re-times.
    if (positionMs > 0)
        session_.Select(FragmentAt(session_.Document(), positionMs));
    AnalyseSong();
    replayTo_ = -1;
    setWindowTitle(QStringLiteral(u"タイミング編集 - ") + FileNameOf(path) + QStringLiteral("[*]"));
    if (song.Path.isEmpty())
        Say(QStringLiteral(u"曲がありません。曲がないとタップできません"), true);
    else if (!clock_->Audible())
        Say(clock_->Error() + QStringLiteral(u"（曲がないとタップできません）"), true);
    else
        Say(QStringLiteral(u"曲：") + song.Path);
    autosave_->OfferRecovery();
    ShowDocument();
    return true;
}

bool FormTiming::Save() {
    if (source_.Path.isEmpty())
        return false;
    const QString path = TimingSavePath(source_);
    if (!SavesInPlace(source_) && QFileInfo::exists(path)) {
        QMessageBox ask(QMessageBox::Question, QStringLiteral(u"保存"),
                        QStringLiteral(u"上書きしますか？\n") + path,
                        QMessageBox::Yes | QMessageBox::No, this);
        ask.button(QMessageBox::Yes)->setText(QStringLiteral(u"はい"));
        ask.button(QMessageBox::No)->setText(QStringLiteral(u"いいえ"));
        ask.setDefaultButton(QMessageBox::No);
        if (ask.exec() != QMessageBox::Yes)
            return false;
    }
    int replaced = 0;
    if (!SaveTimingText(path, session_.ComposeText(), source_.Encoding, source_.LineEnd,
                        replaced)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral(u"保存"),
                        QStringLiteral(u"保存できませんでした：") + path, QMessageBox::Ok, this);
        box.exec();
        return false;
    }
    session_.MarkSaved();
    Say(QStringLiteral(u"保存しました：") + path +
        (replaced > 0 ? QStringLiteral(u"（%1 文字を置き換えました）").arg(replaced) : QString()));
    ShowDocument();
    return true;
}

void FormTiming::SaveAs() {
    if (source_.Path.isEmpty())
        return;
    // The formats the modes write, each with the extension its mode gives it by default.
    // (in the order of ExportFormat)
    const QStringList filters = {QStringLiteral("TimeTag (*.txt)"), QStringLiteral("LRC (*.lrc)"),
                                 QStringLiteral("SAMI (*.smi)"),    QStringLiteral("DSMP (*.lyr)"),
                                 QStringLiteral("ASS (*.ass)"),     QStringLiteral("TTML (*.ttml)"),
                                 QStringLiteral("WebVTT (*.vtt)"),  QStringLiteral("SRT (*.srt)")};
    const QStringList extensions = {QStringLiteral(".txt"), QStringLiteral(".lrc"),
                                    QStringLiteral(".smi"), QStringLiteral(".lyr"),
                                    QStringLiteral(".ass"), QStringLiteral(".ttml"),
                                    QStringLiteral(".vtt"), QStringLiteral(".srt")};
    QString filter = filters[0];
    QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral(u"名前を付けて保存"),
                                     FolderOf(source_.Path), filters.join(u";;"_qs), &filter);
    if (path.isEmpty())
        return;
    const int index = std::max(0, int(filters.indexOf(filter)));
    if (QFileInfo(path).suffix().isEmpty())
        path += extensions[index];
    const ExportedText out =
        ExportTimingText(source_, session_.Document(), ExportFormat(index), settings_);
    int replaced = 0;
    if (!out.Error.isEmpty() ||
        !SaveTimingText(path, out.Text, out.Encoding, out.LineEnd, replaced)) {
        const QString why = out.Error.isEmpty() ? SaveFailureText(path) : out.Error;
        QMessageBox box(QMessageBox::Warning, QStringLiteral(u"名前を付けて保存"),
                        QStringLiteral(u"保存できませんでした：") + path + u'\n' + why,
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    if (index == 0 && QFileInfo(path) == QFileInfo(source_.Path))
        session_.MarkSaved();
    Say(QStringLiteral(u"保存しました：") + path);
    ShowDocument();
}

void FormTiming::EmbedInSong() {
    if (source_.Path.isEmpty())
        return;
    if (songPath_.isEmpty()) {
        QApplication::beep();
        Say(QStringLiteral(u"曲がないので埋め込めません"));
        return;
    }
    // The embedding reads the TimeTag file: what is on screen is saved first. The lyrics go
    // into the song the editor plays, whatever its name.
    const QString path = TimingSavePath(source_);
    if ((session_.Modified() || !QFileInfo::exists(path)) && !Save())
        return;
    const ResultRecord record = EmbedLyricsInSong(path, songPath_, settings_);
    const QString outcome = ResultOutcomeText(record) + u'\n' + songPath_;
    Say(outcome);
    QMessageBox box(QMessageBox::Information, QStringLiteral(u"曲に埋め込む"), outcome,
                    QMessageBox::Ok, this);
    box.exec();
}

bool FormTiming::AskToKeepChanges() {
    if (!session_.Modified())
        return true;
    QMessageBox ask(QMessageBox::Question, QStringLiteral(u"タイミング編集"),
                    QStringLiteral(u"変更を保存しますか？\n") + source_.Path,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    ask.button(QMessageBox::Save)->setText(QStringLiteral(u"保存"));
    ask.button(QMessageBox::Discard)->setText(QStringLiteral(u"破棄"));
    ask.button(QMessageBox::Cancel)->setText(QStringLiteral(u"キャンセル"));
    ask.setDefaultButton(QMessageBox::Save);
    ask.setEscapeButton(QMessageBox::Cancel);
    const int answer = ask.exec();
    if (answer == QMessageBox::Save)
        return Save();
    return answer == QMessageBox::Discard;
}

void FormTiming::ChooseFile() {
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral(u"タイミング編集"), FolderOf(source_.Path),
        QStringLiteral(
            u"歌詞ファイル (*.txt *.kra *.lrc *.smi *.sami *.lyr);;すべてのファイル (*)"));
    if (!file.isEmpty())
        OpenFile(file);
}

void FormTiming::TogglePlay() {
    if (!clock_)
        return;
    if (clock_->Playing()) {
        clock_->Pause();
        ticker_->stop();
    } else {
        clock_->Play();
        ticker_->start();
    }
    replayTo_ = -1;
    loop_ = false;
    Refresh();
}

void FormTiming::Tap(QKeyEvent* event, bool hold) {
    if (!clock_ || !clock_->Audible()) {
        QApplication::beep();
        Say(QStringLiteral(u"曲がないとタップできません"));
        return;
    }
    if (!clock_->Playing()) {
        QApplication::beep();
        Say(QStringLiteral(u"再生中にタップしてください（Space で再生）"));
        return;
    }
    // The song position when the key went down, not when the event is handled.
    const qint64 age = ages_.AgeMs(event->timestamp(), sinceStart_.elapsed());
    const qint64 songMs = clock_->PositionMs() - qint64(double(age) * clock_->Speed());
    const bool tapped = session_.TapDown(songMs, hold);
    AfterChange(tapped, QStringLiteral(u"タップするフラグメントが残っていません"));
    if (tapped)
        SaySnap(QString());
}

void FormTiming::keyPressEvent(QKeyEvent* event) {
    // Repeats of a held key never come this far (EditorKeys).
    const int key = event->key();
    if ((key == tapKey_ || key == startKey_) && event->modifiers() == Qt::NoModifier) {
        FinishTapUp(true);
        Tap(event, key == tapKey_);
        return;
    }
    QWidget::keyPressEvent(event);
}

void FormTiming::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == tapKey_ && !event->isAutoRepeat() && clock_) {
        // Some systems repeat a held key as release and press pairs: the release is acted on
        // once no press came with it, at the song time it was made.
        const qint64 age = ages_.AgeMs(event->timestamp(), sinceStart_.elapsed());
        pendingUpMs_ = clock_->PositionMs() - qint64(double(age) * clock_->Speed());
        releaseTimer_->start();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void FormTiming::FinishTapUp(bool pressFollows) {
    releaseTimer_->stop();
    const qint64 songMs = pendingUpMs_;
    pendingUpMs_ = -1;
    // Held again with no press of its own: the release was half of a repeat.
    if (songMs < 0 || (!pressFollows && keys_->Held(tapKey_)))
        return;
    if (session_.TapUp(songMs))
        ShowDocument();
}

void FormTiming::MoveLine(int line) {
    if (session_.Document().Lines.isEmpty())
        return;
    line = std::clamp(line, 0, int(session_.Document().Lines.size()) - 1);
    session_.SelectLine(line);
    const TimedFragment* first = session_.Document().At(session_.Selection());
    if (clock_ && first != nullptr && first->Timed())
        clock_->Seek(first->StartMs);
    replayTo_ = -1;
    ShowDocument();
}

void FormTiming::MoveFragment(bool next) {
    const TimingDocument& document = session_.Document();
    FragmentPlace place = session_.Selection();
    if (!place.Valid()) // everything tapped: step back to the last fragment
        place = document.Previous(
            {int(document.Lines.size()) - 1,
             int(document.Lines.value(document.Lines.size() - 1).Fragments.size())});
    else
        place = next ? document.Next(place) : document.Previous(place);
    if (place.Valid())
        session_.Select(place);
    ShowDocument();
}

void FormTiming::MoveTime(int deltaMs) {
    const TimedFragment* fragment = session_.Document().At(session_.Selection());
    if (fragment == nullptr || !fragment->Timed()) {
        QApplication::beep();
        Say(QStringLiteral(u"時間のないフラグメントは動かせません"));
        return;
    }
    AfterChange(session_.MoveSelected(deltaMs),
                QStringLiteral(u"前後の時間を越えるので動かせません"));
}

void FormTiming::SeekBy(qint64 deltaMs) {
    if (!clock_)
        return;
    clock_->Seek(std::clamp<qint64>(clock_->PositionMs() + deltaMs, 0, clock_->DurationMs()));
    replayTo_ = -1;
    Refresh();
}

void FormTiming::SetSpeed(int percent) {
    settings_.Timing.SpeedPercent = percent;
    if (clock_)
        clock_->SetSpeed(percent / 100.0);
    Refresh();
}

void FormTiming::Replay(bool loop) {
    const int line = session_.Selection().Line;
    const qint64 end = LineEndMs(session_.Document(), line);
    if (!clock_ || end < 0) {
        QApplication::beep();
        Say(QStringLiteral(u"この行には時間がありません"));
        loop_ = false;
        replayTo_ = -1;
        return;
    }
    const TimingLine& timed = session_.Document().Lines[line];
    qint64 start = end;
    for (const TimedFragment& fragment : timed.Fragments) {
        if (fragment.Timed())
            start = std::min<qint64>(start, fragment.StartMs);
    }
    loop_ = loop;
    replayFrom_ = std::max<qint64>(0, start - settings_.Timing.PreRollMs);
    replayTo_ = end;
    clock_->Seek(replayFrom_);
    if (!clock_->Playing())
        clock_->Play();
    ticker_->start();
    Say(loop ? QStringLiteral(u"行を繰り返し再生します（L で止める）")
             : QStringLiteral(u"行を再生します"));
    Refresh();
}

void FormTiming::EditText() {
    const int line = session_.Selection().Line;
    if (line < 0)
        return;
    bool ok = false;
    QString text =
        QInputDialog::getText(this, QStringLiteral(u"文字を編集"), QStringLiteral(u"行の文字："),
                              QLineEdit::Normal, session_.Document().Lines[line].Text(), &ok);
    if (!ok)
        return;
    text.remove(u'\r');
    text.remove(u'\n');
    AfterChange(session_.EditLineText(line, text), QString());
}

void FormTiming::Split() {
    const TimedFragment* fragment = session_.Document().At(session_.Selection());
    if (fragment == nullptr)
        return;
    const int at = fragment->Text.size() > 1 && fragment->Text[0].isHighSurrogate() ? 2 : 1;
    const bool split = session_.SplitSelected(at);
    if (split)
        session_.Select(session_.Document().Next(session_.Selection()));
    AfterChange(split, QStringLiteral(u"1文字のフラグメントは分割できません"));
}

void FormTiming::Undo() {
    const int index = session_.History().Index();
    const bool undone = session_.Undo();
    AfterChange(undone, QStringLiteral(u"元に戻す操作がありません"));
    if (undone)
        Say(QStringLiteral(u"元に戻しました：") + session_.History().Steps()[index - 1].Caption);
}

void FormTiming::Redo() {
    const bool redone = session_.Redo();
    AfterChange(redone, QStringLiteral(u"やり直す操作がありません"));
    if (redone)
        Say(QStringLiteral(u"やり直しました：") +
            session_.History().Steps()[session_.History().Index() - 1].Caption);
}

void FormTiming::UndoTo(int index) {
    while (session_.History().Index() > index && session_.Undo())
        ;
    while (session_.History().Index() < index && session_.Redo())
        ;
    ShowDocument();
}

void FormTiming::AfterChange(bool changed, const QString& refusal) {
    if (!changed && !refusal.isEmpty()) {
        QApplication::beep();
        Say(refusal);
    } else if (changed) {
        // What an earlier message reported is no longer what is on screen.
        Say(QString());
    }
    ShowDocument();
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

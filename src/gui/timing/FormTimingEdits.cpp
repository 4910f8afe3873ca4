// The timing editor's keys and edits: playing and seeking, taps (a held tap key's release
// told apart from a repeat), moving through lines and fragments, the edits of the model and
// their undo, each refusal said with a beep.
#include "FormTiming.h"

#include "../../settings/Settings.h"
#include "EditorKeys.h"

#include <QApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QTimer>

namespace tavelkor {

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
    if (lineTaps_) {
        const bool tapped = session_.TapLineDown(songMs, hold);
        AfterChange(tapped, QStringLiteral(u"タップする行が残っていません"));
        if (tapped)
            SaySnap(QString());
        return;
    }
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
    if (lineTaps_) {
        const int line = session_.TapLineUp(songMs);
        if (line >= 0) {
            ShowDocument();
            PlaceTappedLine(line);
        }
        return;
    }
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

} // namespace tavelkor

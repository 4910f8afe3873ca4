// The timing editor's readings: 「ふりがな」 (the readings of the selected line, proposed by the
// dictionary and kept as "@RubyN" lines), 「行内を自動配分」 (the line's fragments spread by
// their morae, placed on the song's voice when a song plays) and the placing of a line
// 「行だけタップ」 tapped. The dictionary works on a thread of its own; without one the editor says why
// once and goes on without proposals.
#include "DialogReadings.h"
#include "FormTiming.h"
#include "ReadingService.h"

#include "../../timing/MoraDistribution.h"
#include "../../timing/RubyPlacement.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>

namespace tavelkor {

int FormTiming::CurrentLine() const {
    const FragmentPlace selected = session_.Selection();
    if (selected.Valid())
        return selected.Line;
    return clock_ ? LineAt(session_.Document(), clock_->PositionMs()) : -1;
}

QString FormTiming::NoDictionaryNote(const QString& error) {
    const QString note =
        QStringLiteral(u"ふりがなの辞書が使えないので、漢字の読みは出せません（") + error + u'）';
    if (!toldNoDictionary_) {
        toldNoDictionary_ = true;
        Say(note);
    }
    return note;
}

void FormTiming::EditReadings() {
    const int line = CurrentLine();
    if (line < 0 || line >= session_.Document().Lines.size() ||
        session_.Document().Lines[line].Fragments.isEmpty()) {
        QApplication::beep();
        Say(QStringLiteral(u"ふりがなを付ける行を選んでください"));
        return;
    }
    const QString text = session_.Document().Lines[line].Text();
    DialogReadings dialog(text, LineReadings(session_.Document(), line), this);
    dialog.SetNote(QStringLiteral(u"辞書で読みを調べています…"));
    readingsDialog_ = &dialog;
    QPointer<DialogReadings> open(&dialog);
    readingService_->Propose(text, [this, open](const ReadingAnswer& answer) {
        const QString note = answer.Available ? QString() : NoDictionaryNote(answer.Error);
        if (!open)
            return;
        open->AddProposals(answer.Readings);
        open->SetNote(note);
    });
    const int result = dialog.exec();
    readingsDialog_ = nullptr;
    if (result != QDialog::Accepted)
        return;
    const bool changed = session_.SetLineReadings(line, dialog.Readings());
    AfterChange(changed, QString());
    if (changed)
        Say(QStringLiteral(u"ふりがなを変えました"));
}

void FormTiming::DistributeLine() {
    const int line = CurrentLine();
    if (line < 0 || line >= session_.Document().Lines.size()) {
        QApplication::beep();
        Say(QStringLiteral(u"配分する行を選んでください"));
        return;
    }
    // Refused at once when the line has no start or no end; else the dictionary reads it.
    const LineDistribution check = DistributeLineByMorae(session_.Document(), line, {}, {});
    if (!check.Line) {
        AfterChange(false, check.Refusal);
        return;
    }
    const QString text = session_.Document().Lines[line].Text();
    readingService_->Propose(text, [this, line, text](const ReadingAnswer& answer) {
        // The line changed while the dictionary read it: nothing is done.
        if (line >= session_.Document().Lines.size() ||
            session_.Document().Lines[line].Text() != text)
            return;
        const QString note = answer.Available || toldNoDictionary_
                                 ? QString()
                                 : QStringLiteral(u"　") + NoDictionaryNote(answer.Error);
        const std::shared_ptr<const DecodedSong> song = PlacingSong();
        const QString refusal = session_.DistributeLine(
            line, MergeReadings(LineReadings(session_.Document(), line), SpansOf(answer.Readings)),
            song.get());
        AfterChange(refusal.isEmpty(), refusal);
        if (refusal.isEmpty())
            Say((song ? QStringLiteral(u"行内を歌声に合わせて配置しました")
                      : QStringLiteral(u"行内を自動配分しました")) +
                note);
    });
}

std::shared_ptr<const DecodedSong> FormTiming::PlacingSong() const {
    std::shared_ptr<const DecodedSong> song = clock_ ? clock_->Song() : nullptr;
    return song && song->Error.isEmpty() && song->Frames() > 0 ? song : nullptr;
}

void FormTiming::SetLineTaps(bool on) {
    lineTaps_ = on;
    lineTapsAction_->setChecked(on);
    Say(on ? QStringLiteral(u"行だけタップ：行の始まりで押し、終わりで離すと行内を歌声に合わせて"
                            u"配置します")
           : QStringLiteral(u"フラグメントごとにタップします"));
}

void FormTiming::PlaceTappedLine(int line) {
    const QString text = session_.Document().Lines.value(line).Text();
    readingService_->Propose(text, [this, line, text](const ReadingAnswer& answer) {
        if (line >= session_.Document().Lines.size() ||
            session_.Document().Lines[line].Text() != text)
            return;
        const QString refusal = session_.PlaceTappedLine(
            line, MergeReadings(LineReadings(session_.Document(), line), SpansOf(answer.Readings)),
            PlacingSong().get());
        AfterChange(refusal.isEmpty(), refusal);
        if (refusal.isEmpty())
            Say(QStringLiteral(u"行内を歌声に合わせて配置しました"));
    });
}

} // namespace tavelkor

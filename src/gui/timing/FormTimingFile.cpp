// The timing editor's file: opening a lyrics file with its song, saving it as TimeTag or in
// another format, embedding it in the song, making a karaoke video of it, and asking before unsaved changes are dropped.
#include "FormTiming.h"

#include "../../app/BatchState.h"
#include "../../app/ResultCodes.h"
#include "../../app/ResultNotes.h"
#include "../../base/PathHelpers.h"
#include "../../modes/AudioModes.h"
#include "../../preview/PreviewDocument.h"
#include "../../settings/Settings.h"
#include "../../timing/TimingExport.h"
#include "../../timing/TimingSong.h"
#include "../common/VideoExport.h"
#include "TimingAutosave.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace tavelkor {

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

void FormTiming::ExportVideo() {
    if (source_.Path.isEmpty())
        return;
    // The video is made of the TimeTag file, with the song the editor plays: what is on
    // screen is saved first.
    const QString path = TimingSavePath(source_);
    if ((session_.Modified() || !QFileInfo::exists(path)) && !Save())
        return;
    ExportKaraokeVideo(this, path, songPath_, settings_);
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

} // namespace tavelkor

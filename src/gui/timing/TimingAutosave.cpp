#include "TimingAutosave.h"

#include "../../settings/IniSettingsStore.h"
#include "../../timing/TimingFile.h"
#include "../../timing/TimingSession.h"

#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>

namespace tavelkor {

namespace {

constexpr int MinGapMs = 1000; // between two writes

bool SameWork(const SessionAutosave& a, const SessionAutosave& b) {
    return a.SourcePath == b.SourcePath && a.Encoding == b.Encoding && a.Selection == b.Selection &&
           a.Text == b.Text && a.Document.Lines == b.Document.Lines;
}

} // namespace

TimingAutosave::TimingAutosave(QWidget* window, TimingSession& session, TimingSource& source,
                               std::function<void(const QString&)> say)
    : window_(window), session_(session), source_(source), say_(std::move(say)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &TimingAutosave::Write);
}

TimingAutosave::~TimingAutosave() {
    if (timer_.isActive())
        Write();
}

QString TimingAutosave::DefaultFolder() { return AutosaveFolder(IniSettingsStore().FileName()); }

QString TimingAutosave::Path() const { return AutosavePath(Folder, source_.Path); }

void TimingAutosave::Changed() {
    if (source_.Path.isEmpty())
        return;
    if (!session_.Modified()) {
        // Saved, or undone to what the file holds: nothing is left to bring back.
        timer_.stop();
        if (written_ && RemoveAutosave(Path()))
            written_.reset();
        return;
    }
    if (timer_.isActive())
        return;
    const qint64 since = sinceWrite_.isValid() ? sinceWrite_.elapsed() : MinGapMs;
    if (since >= MinGapMs)
        Write();
    else
        timer_.start(int(MinGapMs - since));
}

void TimingAutosave::Write() {
    timer_.stop();
    if (source_.Path.isEmpty() || !session_.Modified())
        return;
    const SessionAutosave now =
        AutosaveOf(source_.Path, source_.Encoding, session_, QDateTime::currentDateTimeUtc());
    if (written_ && SameWork(now, *written_))
        return;
    sinceWrite_.start();
    if (!WriteAutosave(Path(), now)) {
        // Said once until a write succeeds again; the next change tries again.
        if (!toldFailure_)
            say_(QStringLiteral(
                     u"作業の自動保存を書けません（クラッシュすると変更が失われます）：") +
                 Folder);
        toldFailure_ = true;
        return;
    }
    toldFailure_ = false;
    written_ = now;
}

void TimingAutosave::Closed() {
    timer_.stop();
    if (written_ && !source_.Path.isEmpty())
        RemoveAutosave(Path());
    written_.reset();
}

void TimingAutosave::OfferRecovery() {
    timer_.stop();
    written_.reset();
    toldFailure_ = false;
    const QString path = Path();
    const AutosaveReading reading = ReadAutosave(path, source_.Path);
    if (!reading.Found)
        return;
    if (!reading.Autosave) {
        say_(QStringLiteral(u"前回の作業の自動保存は使えないので無視しました（") + reading.Problem +
             QStringLiteral(u"）：") + path);
        return;
    }
    const SessionAutosave& kept = *reading.Autosave;
    QMessageBox ask(QMessageBox::Question, QStringLiteral(u"タイミング編集"),
                    QStringLiteral(u"前回の作業を復元しますか\n") + source_.Path +
                        QStringLiteral(u"\n自動保存：") +
                        kept.Time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) +
                        u'\n' + AutosaveDifference(session_.Document(), kept.Document),
                    QMessageBox::NoButton, window_);
    ask.setInformativeText(QStringLiteral(u"Esc：今はファイルのまま開き、自動保存は残します"));
    QPushButton* restore = ask.addButton(QStringLiteral(u"復元"), QMessageBox::AcceptRole);
    QPushButton* discard = ask.addButton(QStringLiteral(u"破棄"), QMessageBox::DestructiveRole);
    // Esc (and closing the box) answers "later"; it has no button of its own.
    QPushButton* later = ask.addButton(QStringLiteral(u"あとで"), QMessageBox::RejectRole);
    later->hide();
    ask.setDefaultButton(restore);
    ask.setEscapeButton(later);
    ask.exec();
    if (ask.clickedButton() == restore) {
        source_.Encoding = kept.Encoding;
        if (session_.Replace(QStringLiteral(u"前回の作業を復元"), kept.Document, kept.Selection)) {
            written_ = kept; // it is this opening's work now
            say_(QStringLiteral(u"前回の作業を復元しました（元に戻すとファイルの内容になります）"));
        } else {
            RemoveAutosave(path);
            say_(QStringLiteral(u"前回の作業はファイルと同じ内容でした"));
        }
    } else if (ask.clickedButton() == discard) {
        RemoveAutosave(path);
        say_(QStringLiteral(u"前回の作業を破棄しました"));
    } else {
        say_(QStringLiteral(u"前回の作業の自動保存は残してあります（次に開いたときにまた尋ねます。"
                            u"ここで変更すると置き換わります）"));
    }
}

} // namespace tavelkor

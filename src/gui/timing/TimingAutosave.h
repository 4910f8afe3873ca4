// The timing editor's autosave in the window: after every change the session is written beside
// the settings (at once when the last write is a second old, else a second after it, so at most
// once a second and never more than a second late); opening a file offers what was kept for
// it; saving, discarding and closing without unsaved changes remove it. The model
// (timing/SessionAutosave.h) holds, reads and writes it and says what it changes.
#pragma once

#include "../../timing/SessionAutosave.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class QWidget;

namespace tavelkor {

class TimingSession;
struct TimingSource;

class TimingAutosave : public QObject {
    Q_OBJECT
public:
    // `session` and `source` are the window's own; `say` puts a text in its status line.
    TimingAutosave(QWidget* window, TimingSession& session, TimingSource& source,
                   std::function<void(const QString&)> say);
    // A change not written yet is written now.
    ~TimingAutosave() override;

    // "Tavelkor-autosave" beside the user's settings file.
    static QString DefaultFolder();
    // Where the autosaves go.
    QString Folder = DefaultFolder();

    // The session changed (or only its selection moved). With no unsaved change left, the
    // autosave this opening wrote is removed.
    void Changed();
    // The file was just opened: when an autosave of it is there, asks 「前回の作業を復元しますか」:
    // 復元 puts it in place as one step to undo, 破棄 removes it, Esc keeps it for later.
    void OfferRecovery();
    // The file is closed, saved or its changes discarded: its autosave goes, unless it is one
    // kept from before (Esc) that this opening never replaced.
    void Closed();
    // The autosave of the file open now.
    QString Path() const;

private:
    void Write();

    QWidget* window_;
    TimingSession& session_;
    TimingSource& source_;
    std::function<void(const QString&)> say_;
    QTimer timer_;
    QElapsedTimer sinceWrite_;
    // What this opening last wrote (time aside); while there is none, the autosave there, if
    // any, is not this opening's.
    std::optional<SessionAutosave> written_;
    bool toldFailure_ = false;
};

} // namespace tavelkor

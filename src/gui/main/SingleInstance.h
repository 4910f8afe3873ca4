// One program at a time. The first start holds a lock in the user's runtime folder and listens
// on a local socket beside it; a later start hands the files it was given to the first one
// ("Open with" in a file manager while the window is open) and ends, loading and saving nothing.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QStringList>
#include <functional>

namespace tavelkor {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `folder`: the user's runtime folder (the temporary folder where there is none).
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);

    // True when no other start of the program is running; this one then listens for later
    // starts. False when another one runs.
    bool Acquire();
    // Hands `files` to the running program; true when it took them. `answer`, when given,
    // receives what the running program says became of them ("" when it said nothing).
    bool HandOver(const QStringList& files, QString* answer = nullptr);
    // Hands a lyrics file to the running program's preview; true when it took it.
    bool HandOverPreview(const QString& file);
    // Hands a lyrics file to the running program's timing editor; true when it took it.
    bool HandOverEdit(const QString& file);

    // Takes the files a later start handed over and says what becomes of them; the later
    // start prints the answer.
    std::function<QString(const QStringList& files)> TakeFiles;

signals:
    // Files a later start handed over, in its order.
    void FilesArrived(const QStringList& files);
    // A file a later start asked to preview.
    void PreviewArrived(const QString& file);
    // A file a later start asked to edit the timing of.
    void EditArrived(const QString& file);

private:
    void Receive();
    // Acts on one request; returns the answer to send back.
    QString Act(const QStringList& entries);
    bool Send(const QStringList& entries, QString* answer);

    QLockFile lock_;
    QString socketPath_;
    QLocalServer server_;
};

} // namespace tavelkor

// The timing editor's autosave: what an unsaved session needs to come back after a crash or a
// kill. It lives beside the settings, never beside the user's file, one for each lyrics file
// (named from a hash of the file's absolute path), and is written whole or not at all.
#pragma once

#include "../base/TextEncoding.h"
#include "TimingDocument.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

namespace tavelkor {

class TimingSession;

struct SessionAutosave {
    QString SourcePath;                          // the lyrics file, absolute
    QDateTime Time;                              // when it was written
    TextEncoding Encoding = TextEncoding::Cp932; // the source's: Ctrl+S writes in it
    FragmentPlace Selection;
    QString Text; // what Ctrl+S would write (TimeTag with "@TimeRatio=1")
    // The document exactly: the text merges fragments not timed yet into the one before them.
    TimingDocument Document;
};

// "Tavelkor-autosave" in the folder of the settings file.
QString AutosaveFolder(const QString& settingsFile);
// The autosave of the lyrics file `sourcePath` in `folder`.
QString AutosavePath(const QString& folder, const QString& sourcePath);

SessionAutosave AutosaveOf(const QString& sourcePath, TextEncoding encoding,
                           const TimingSession& session, const QDateTime& time);
QByteArray EncodeAutosave(const SessionAutosave& autosave);
// The autosave the bytes hold; nothing, and in `problem` why, when they are damaged or
// contradict themselves (the text is not what the lines compose).
std::optional<SessionAutosave> DecodeAutosave(const QByteArray& bytes, QString* problem);

struct AutosaveReading {
    bool Found = false; // a file is there
    std::optional<SessionAutosave> Autosave;
    QString Problem; // why a file that is there is not used
};
// The autosave at `path` for the lyrics file `sourcePath`.
AutosaveReading ReadAutosave(const QString& path, const QString& sourcePath);
// Makes the folder when needed and writes the autosave through a temporary file. False when
// nothing was written.
bool WriteAutosave(const QString& path, const SessionAutosave& autosave);
// Removes the autosave and what killed writes of it left; true when none is left.
bool RemoveAutosave(const QString& path);

// What the autosave changes against the file as it was opened, in one short line.
QString AutosaveDifference(const TimingDocument& file, const TimingDocument& autosave);

} // namespace tavelkor

// The state of one batch run: the dropped files, the rejected ones and one result per file.
#pragma once

#include "../base/TextEncoding.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <functional>
#include <thread>

namespace tavelkor {

struct ResultRecord {
    QString FileName; // the source path; the output path when saving the output failed
    short Code = 0;   // a ResultCode
    // What the run learnt on the way, for the report: the file written (also when it is the
    // source itself), the encoding the input was read in and why, and how many characters
    // the output's encoding could not hold (each written as "?").
    QString OutputPath;
    bool HasInputEncoding = false;
    TextEncoding InputEncoding = TextEncoding::Cp932;
    QString EncodingReason;
    int Replaced = 0;
    // More about the outcome, shown in parentheses after it: why a save failed and what to do,
    // the new name a file was given.
    QString Note;
    bool OutputReplaced = false; // the output replaced a file that was there
    // Outputs of a file that writes several that could not be written: "vtt 04.上書きしない".
    QStringList FailedOutputs;
    QStringList OtherOutputs; // the files written after OutputPath, for such a file
    QStringList OtherReplaced; // those of OtherOutputs that replaced a file that was there

    void SetInput(const DecodedText& decoded) {
        HasInputEncoding = true;
        InputEncoding = decoded.Encoding;
        EncodingReason = decoded.Reason;
    }
    // Records how saving the output went: the file written and whether it replaced a file
    // that was there, or 02 naming the output (and no replaced characters, as nothing was
    // written). Returns `saved`.
    bool SetSaved(bool saved, const QString& output, bool replacedFile = false);
};

// How far a run has come, and whether the user asked it to stop. A front end that shows
// progress lends one to the run; the drivers count each file as it finishes (from any of the
// run's threads) and start no further file once a stop is asked for: the files not started get
// "07.処理キャンセル", the files done stay done.
struct BatchProgress {
    std::atomic<qsizetype> Done{0};
    std::atomic<qsizetype> Total{0};
    std::atomic<bool> StopRequested{false};
    // Called after each file on the thread that made this object (the window's thread): it
    // shows the count and reads the keys that ask for a stop. Never called on other threads.
    std::function<void(qsizetype done, qsizetype total)> Shown;
    // Called like Shown while one long file is being made (the frames of a video): how much
    // of it is done. May stay empty.
    std::function<void(qint64 done, qint64 total)> PartShown;
    std::thread::id Owner = std::this_thread::get_id();
};

struct BatchState {
    QStringList DroppedFiles;          // full paths in drop order
    QStringList RejectedFiles;         // paths FilterByExtension removed
    QVector<ResultRecord> Results;     // one per processed file
    int DropCount = 0;                 // number of dropped files when the run started
    BatchProgress* Progress = nullptr; // lent by the front end for one run; may stay null

    // The files about to be processed: the progress counts from none of `total`.
    void StartFiles(qsizetype total);
    // False once a stop has been asked for: the file is then not started.
    bool MayStartFile() const;
    // One more file finished.
    void FileFinished();
    // How far the file being made has come, for PartShown (on the progress' own thread only).
    void ShowPart(qint64 done, qint64 total) const;
};

} // namespace tavelkor

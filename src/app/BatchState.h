// The state of one batch run: the dropped files, the rejected ones and one result per file.
#pragma once

#include "../base/TextEncoding.h"

#include <QString>
#include <QStringList>
#include <QVector>

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
    // Outputs of a file that writes several that could not be written: "vtt 04.上書きしない".
    QStringList FailedOutputs;
    QStringList OtherOutputs; // the files written after OutputPath, for such a file

    void SetInput(const DecodedText& decoded) {
        HasInputEncoding = true;
        InputEncoding = decoded.Encoding;
        EncodingReason = decoded.Reason;
    }
    // Records how saving the output went: the file written, or 02 naming the output (and no
    // replaced characters, as nothing was written). Returns `saved`.
    bool SetSaved(bool saved, const QString& output);
};

struct BatchState {
    QStringList DroppedFiles;      // full paths in drop order
    QStringList RejectedFiles;     // paths FilterByExtension removed
    QVector<ResultRecord> Results; // one per processed file
    int DropCount = 0;             // number of dropped files when the run started
};

} // namespace tavelkor

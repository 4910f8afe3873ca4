// The state of one batch run: the dropped files, the rejected ones and one result per file.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace tavelkor {

struct ResultRecord {
    QString FileName; // the source path; the output path when saving the output failed
    short Code = 0;   // a ResultCode
};

struct BatchState {
    QStringList DroppedFiles;      // full paths in drop order
    QStringList RejectedFiles;     // paths FilterByExtension removed
    QVector<ResultRecord> Results; // one per processed file
    int DropCount = 0;             // number of dropped files when the run started
};

} // namespace tavelkor

// Shared helpers of the SAMI and DSMP converter tests.
#pragma once

#include "TestFiles.h"
#include "app/BatchState.h"
#include "app/ResultCodes.h"
#include "base/Cp932.h"
#include "lyrics/LyricsDocument.h"
#include "lyrics/TimeTagReader.h"
#include "modes/ModeTable.h"
#include "settings/Settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) {
    *os << "bytes(" << b.size() << ") \"" << b.left(400).toStdString() << '"';
}

namespace tavelkor::test {

// A document read from TimeTag text as it stands: no reordering, no short-tag expansion. The
// times of the tags are taken as the real milliseconds the writers are given.
inline LyricsDocument ParseDoc(const QString& text) {
    LyricsDocument document;
    document.Text = text;
    ParseLyricsText(document, false, false);
    return document;
}
inline LyricsDocument ParseDoc(const char* utf8) { return ParseDoc(U(utf8)); }

// The lines joined, each followed by CR LF.
inline QString CrLfLines(const QStringList& lines) {
    QString out;
    for (const QString& line : lines)
        out += line + QStringLiteral("\r\n");
    return out;
}

inline bool WriteCp932(const QString& path, const QString& text) {
    return WriteBytes(path, EncodeCp932(text));
}

// One run of a mode driver over the given absolute paths.
inline BatchState RunDriver(int mode, const QStringList& paths, Settings& settings) {
    BatchState state;
    state.DroppedFiles = paths;
    RunMode(mode, state, settings);
    return state;
}

} // namespace tavelkor::test

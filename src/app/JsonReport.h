// The report of a run as one JSON document, for scripts.
#pragma once

#include "BatchState.h"
#include "ModeInfo.h"

#include <QByteArray>

namespace tavelkor {

// {"mode": "t2s", "modeIndex": 0, "dropCount": 2,
//  "files": [{"path", "output", "code", "result", "inputEncoding", "encodingReason",
//             "replaced"}, ...],
//  "rejected": ["/path/notes.wav", ...]}
// "path" is the file the result speaks of, as the text report names it (the source, or the
// file that could not be written); "output" is present when a file was written, the input's
// encoding and its reason when the input was read as text. Indented, UTF-8, ending in LF.
QByteArray MakeJsonReport(const ModeInfo& mode, const BatchState& state);

} // namespace tavelkor

// What the program knows about one mode: its caption, command-line name, driver and the
// extensions it accepts and writes. The mode table of the drivers' room fills one per mode;
// the batch frame is handed the row of the mode it runs.
#pragma once

#include "BatchState.h"
#include "RunQuestions.h"

#include <QString>
#include <QStringList>
#include <array>

namespace tavelkor {

struct Settings;

enum ConversionMode {
    ModeTimeTagToSami = 0,
    ModeSamiToTimeTag = 1,
    ModeTimeTagToDsmp = 2,
    ModeDsmpToTimeTag = 3,
    ModeTimeTagToMp3 = 4,
    ModeMp3ToTimeTag = 5,
    ModeTimeTagToTimeTag = 6,
    ModeTimeShift = 7,
    ModeNameMatch = 8,
    ModeTimeTagToLrc = 9,
    ModeLrcToTimeTag = 10,
    ModeTimeTagToWordFormats = 11,
    ModeWordFormatsToTimeTag = 12,
    ModePlace = 13,
    ModeTimeTagToVideo = 14,
};

struct ModeInfo;

// A mode's driver runs the whole batch in `state` with the given settings, asking the user
// through `questions` where the mode needs an answer. `mode` is the driver's own row.
using ModeDriver = void (*)(const ModeInfo& mode, BatchState& state, Settings& settings,
                            RunQuestions& questions);

struct ModeInfo {
    int Index;
    QString Caption;
    QString Explanation;          // what the main window says about the mode
    std::array<int, 3> Pictogram; // the three stock pictures shown side by side
    QString CommandName;          // the name tavelkor-cli's --mode takes
    ModeDriver Driver;
    // The lower-case extensions the mode accepts; empty: no filter.
    QStringList (*AcceptedExtensions)(const Settings& settings);
    // The extension of the mode's text output; "" for modes that write no text file.
    QString (*OutputExtension)(const Settings& settings);
};

} // namespace tavelkor

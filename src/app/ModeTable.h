// The nine modes of the program: caption, command-line name, driver and the extensions each
// accepts and writes. The batch run, the window and the command line all read this table.
#pragma once

#include "BatchState.h"
#include "RunQuestions.h"

#include <QString>
#include <QStringList>
#include <QVector>
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
};
inline constexpr int ModeCount = 9;

// A mode's driver runs the whole batch in `state` with the given settings, asking the user
// through `questions` where the mode needs an answer.
using ModeDriver = void (*)(BatchState& state, Settings& settings, RunQuestions& questions);

struct ModeInfo {
    int Index;
    QString Caption;
    QString Explanation;          // what the main window says about the mode
    std::array<int, 3> Pictogram; // the three stock pictures shown side by side
    QString CommandName; // the name tavelkor-cli's --mode takes
    ModeDriver Driver;   // nullptr while the mode is not available
    // The lower-case extensions the mode accepts; empty: no filter.
    QStringList (*AcceptedExtensions)(const Settings& settings);
    // The extension of the mode's text output; "" for modes that write no text file.
    QString (*OutputExtension)(const Settings& settings);
};

const QVector<ModeInfo>& ModeTable();
// A mode by its number "0".."8" or its command name; nullptr when there is none.
const ModeInfo* FindMode(const QString& nameOrIndex);

// One run of the selected mode over state.DroppedFiles: counts the drop, empties the rejected
// list, calls the driver, and empties the dropped list. Returns false (and runs nothing) when
// the mode has no driver.
bool RunMode(int mode, BatchState& state, Settings& settings, RunQuestions& questions);
// RunMode where every question is answered with cancel.
bool RunMode(int mode, BatchState& state, Settings& settings);

} // namespace tavelkor

// What `tavelkor-cli --list` prints: the program's own tables, one entry a line, for shell
// completion and the manual page, which are made from them while building.
#pragma once

#include <QString>
#include <QStringList>

namespace tavelkor {

// The words --list takes: "modes", "keys", "options".
QStringList ListingNames();
// modes:   "<command name>\t<number>\t<caption>" for every mode, in number order
// keys:    "<Section>/<Key>" for every setting --set takes, in the settings table's order,
//          followed by "\tTrue False" for a setting that is a yes or no
// options: "--<name>" or "--<name> <VALUE>" for every long option
QString ListingText(const QString& what);

} // namespace tavelkor

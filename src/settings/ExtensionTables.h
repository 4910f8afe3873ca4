// The extension tables that the ExtOrg and ExtNew settings index. Entries are lower case,
// without a dot.
#pragma once

#include <QStringList>

namespace tavelkor {

const QStringList& TimeTagExtensions(); // "txt", "lrc", "kra"
const QStringList& SamiExtensions();    // "smi", "sami"
const QStringList& DsmpExtensions(); // "lyr", "ini", "txt", "lyrics", "words", "dsmplyr", "dsmpwrd"
const QStringList& LrcExtensions();  // "lrc", "txt"

// The entry at `index`, or "" when the index is outside the table.
QString ExtensionAt(const QStringList& table, int index);

} // namespace tavelkor

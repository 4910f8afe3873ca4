#include "TimeTagFile.h"

#include "../base/Cp932.h"
#include "../base/PathHelpers.h"
#include "../base/TextFile.h"
#include "TextRules.h"
#include "TimeTagReader.h"

namespace tavelkor {

void ReadLyricsFile(const QString& path, LyricsFile& file, bool normalizeOrder,
                    bool expandShortTags) {
    file = LyricsFile();
    file.Path = path;
    file.BaseName = BaseNameOf(path);
    file.Folder = AddTrailingBackslash(FolderOf(path));
    file.Extension = ExtensionOf(path).toLower();
    // One open tells both whether the file exists and what it holds.
    const FileBytes bytes = ReadFileBytes(path, 0);
    file.Exists = bytes.Exists;
    file.ReadFailed = bytes.ReadFailed;
    if (!file.Exists)
        return;
    file.Document.Text = UnifyLineEnds(DecodeCp932(bytes.Bytes));
    ParseLyricsText(file.Document, normalizeOrder, expandShortTags);
}

} // namespace tavelkor

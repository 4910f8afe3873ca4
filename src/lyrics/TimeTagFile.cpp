#include "TimeTagFile.h"

#include "../base/PathHelpers.h"
#include "../base/TextFile.h"
#include "TextRules.h"
#include "TimeTagReader.h"

namespace tavelkor {

void ReadLyricsFile(const QString& path, LyricsFile& file, bool normalizeOrder,
                    bool expandShortTags, EncodingChoice choice) {
    file = LyricsFile();
    file.Path = path;
    file.BaseName = BaseNameOf(path);
    file.Folder = AddTrailingBackslash(FolderOf(path));
    file.Extension = ExtensionOf(path).toLower();
    // One open tells both whether the file exists and what it holds.
    TextFileContent content = ReadTextFileContent(path, 0, choice);
    file.Exists = content.Exists;
    file.ReadFailed = content.ReadFailed;
    if (!file.Exists)
        return;
    file.Encoding = content.Decoded.Encoding;
    file.EncodingReason = content.Decoded.Reason;
    file.Document = TimeTagDocumentOf(content.Decoded.Text, normalizeOrder, expandShortTags);
}

LyricsDocument TimeTagDocumentOf(const QString& text, bool normalizeOrder, bool expandShortTags) {
    LyricsDocument document;
    document.Text = UnifyLineEnds(text);
    ParseLyricsText(document, normalizeOrder, expandShortTags);
    return document;
}

} // namespace tavelkor

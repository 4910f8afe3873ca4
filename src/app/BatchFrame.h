// The per-file frame that every mode driver uses: extension filter, output naming, the
// overwrite and writability check, the text save and the failure test.
#pragma once

#include "BatchState.h"
#include "ModeInfo.h"
#include "ResultCodes.h"

#include <QStringList>
#include <functional>
#include <optional>

namespace tavelkor {

struct Settings;

// Keeps the dropped files whose lower-cased extension is in `accepted` and moves the others
// to RejectedFiles. An empty `accepted` list filters nothing.
void FilterByExtension(BatchState& state, const QStringList& accepted);
// outputFolder + base name + "." + newExt. With sameFolder the output folder becomes the
// source's folder; otherwise a separator is added to it. Both changes land in `outputFolder`
// (the Init/AnotherFolder setting). "" when there is no output folder.
QString MakeOutputPath(const QString& sourcePath, const QString& newExt, bool sameFolder,
                       QString& outputFolder);
// 0 when the output may be written, 4 when it exists and must not be overwritten, 2 when it
// cannot be written (read-only, not a regular file, folder missing or closed). Nothing is
// created or changed.
ResultCode CheckOutputPath(const QString& outputPath, bool overwrite);
// Writes the text in `encoding` with exactly one final CR LF, through a temporary file renamed
// over the target; `replaced` tells how many characters the encoding could not hold, and
// `replacedFile`, when given, whether a file that was there was replaced. False when nothing
// was written; the old file then stays as it was.
bool SaveTextFile(const QString& path, const QString& text, TextEncoding encoding, int& replaced,
                  bool* replacedFile = nullptr);
// The bytes SaveTextFile writes: the text (lines ended with CR LF) in `encoding` with exactly
// one final CR LF; with another `lineEnd` (LF or CR), every line ends with that instead.
EncodedText EncodeForSaving(const QString& text, TextEncoding encoding,
                            QStringView lineEnd = u"\r\n");
// CheckOutputPath, then SaveTextFile with the record set as SetSaved sets it, in one step that
// costs an output that is not there yet no look-up: it is created directly. Only a name that
// is taken, or a folder that made no file, is checked, and a taken name is replaced as
// SaveTextFile replaces it; the record ends as the two steps one after the other leave it.
void SaveOutput(const QString& output, const QString& text, TextEncoding encoding, bool overwrite,
                ResultRecord& record);
// Writes the text in `encoding` exactly as it is, line ends included (a file whose bytes
// outside the times are kept as they were), through a temporary file renamed over the target.
bool SaveTextAsIs(const QString& path, const QString& text, TextEncoding encoding, int& replaced);
// SaveTextFile in CP932.
bool SaveTextFile(const QString& path, const QString& text);
// SaveTextFile for text that is already CP932 bytes (lyrics taken out of an audio file are
// saved exactly as they were stored).
bool SaveTextBytes(const QString& path, const QByteArray& bytes, bool* replacedFile = nullptr);
// True when a file was rejected or any result is not a success.
bool HasFailures(const BatchState& state);

// What a text-producing mode makes of one source file: a text to save, or a result code
// (NotTargetFile, EmptyFile) when the input cannot be used.
struct ConvertedText {
    ResultCode Code = Converted;
    QString Text;
    DecodedText Source; // the source's encoding and why (its Text is not kept)
    // The encoding the mode writes its output in when it does not replace its source; when
    // unset, OutputEncodingFor decides.
    std::optional<TextEncoding> OutputEncoding;
    QString Note; // said after the result, whatever it is
};
using TextConverter = std::function<ConvertedText(const QString& sourcePath)>;

// The encoding an output is written in: the source's own when the output replaces the source,
// else as the settings say.
TextEncoding OutputEncodingFor(const Settings& settings, TextEncoding source, bool inPlace);

// The standard sequence of the text-producing modes: filter by the mode's accepted
// extension, then for every file convert, name the output, check it and save it in the
// encoding OutputEncodingFor gives. `convert`
// must only read shared state: when no output clashes with another file, the files are
// converted and saved on several threads at once; results and settings come out as a
// one-by-one run leaves them.
void RunTextConversion(const ModeInfo& mode, BatchState& state, Settings& settings,
                       const TextConverter& convert);

// Gives every dropped file its record ({path, 00}) and hands both to `one`, in order, counting
// the progress; once a stop is asked for, the files not yet started get 07 instead.
void RunEachFile(BatchState& state,
                 const std::function<void(const QString& path, ResultRecord& record)>& one);

} // namespace tavelkor

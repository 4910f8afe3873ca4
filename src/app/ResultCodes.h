// The numbered outcome of every file of a run, and the report that lists them.
#pragma once

#include <QString>
#include <QStringList>

namespace tavelkor {

struct BatchState;

enum ResultCode : short {
    Converted = 0,          // "00.変換成功"
    WrongExtension = 1,     // "01.拡張子エラー" (rejected files only)
    SaveError = 2,          // "02.セーブエラー"
    OpenError = 3,          // "03.オープンエラー"
    NotOverwritten = 4,     // "04.上書きしない"
    FolderError = 5,        // "05.フォルダエラー"
    NotTargetFile = 6,      // "06.対象ファイル外"
    Cancelled = 7,          // "07.処理キャンセル"
    SameExtension = 8,      // "08.拡張子が同じ"
    SameNameAlready = 9,    // "09.すでに同名"
    DropCountError = 10,    // "10.Ｄ＆Ｄ数エラー"
    AlreadyExists = 11,     // "11.すでに存在"
    EmptyFile = 12,         // "12.空ファイル"
    NoAudioFile = 13,       // "13.埋め込まれるファイルがない"
    NoEmbeddedLyrics = 14,  // "14.歌詞が埋め込まれてない"
    DeleteLyricsError = 15, // "15.埋め込み歌詞削除エラー"
    NotEmbeddable = 16,     // "16.埋め込み対象外ファイル"
    LyricsSizeError = 17,   // "17.歌詞ファイルサイズエラー"
    EmbedError = 18,        // "18.埋め込みエラー"
};

inline constexpr int ResultCodeCount = 19;

// The display texts of the codes 0..18, each starting with its two-digit number.
const QStringList& ResultCodeTexts();
// The display text of a code; "" for a number outside 0..18.
QString ResultCodeText(int code);
struct ResultRecord;
// The code's text, followed by a note when characters were replaced on saving:
// "00.変換成功（CP932にない文字 3字を?で保存）", and one naming the file the output replaced:
// "00.変換成功（song.txt を上書き）".
QString ResultOutcomeText(const ResultRecord& record);
// The file name part of a path; "" when the path has no separator.
QString DisplayNameOf(const QString& path);
// The report of a run: the drop count, an empty line, one line per result and one per
// rejected file, names padded with blanks to one column measured in CP932 bytes. Lines end
// with CR LF.
QString MakeResultReport(const BatchState& state);
// A run in one line: "3件成功・1件エラー", with "・2件キャンセル" when files were cancelled
// (rejected files count as errors); "" for a run without files.
QString RunSummaryText(const BatchState& state);

} // namespace tavelkor

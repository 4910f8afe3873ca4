#include "ModeTable.h"

#include "../app/BatchFrame.h"
#include "../app/ResultNotes.h"
#include "../formats/WordFormats.h"
#include "../settings/ExtensionTables.h"
#include "../settings/Settings.h"
#include "AudioModes.h"
#include "DsmpModes.h"
#include "LrcModes.h"
#include "NameMatchMode.h"
#include "SamiModes.h"
#include "TimeShiftMode.h"
#include "TimeTagMode.h"
#include "VideoMode.h"
#include "WordFormatModes.h"

namespace tavelkor {

namespace {

QStringList One(const QStringList& table, int index) {
    const QString extension = ExtensionAt(table, index);
    return extension.isEmpty() ? QStringList() : QStringList{extension};
}

QStringList AllLyricsExtensions() {
    return TimeTagExtensions() + SamiExtensions() + DsmpExtensions() + LrcExtensions();
}

ModeDriver placeDriver = nullptr;

void PlaceInLines(const ModeInfo& mode, BatchState& state, Settings& settings,
                  RunQuestions& questions) {
    if (placeDriver) {
        placeDriver(mode, state, settings, questions);
        return;
    }
    FilterByExtension(state, mode.AcceptedExtensions(settings));
    RunEachFile(state, [](const QString&, ResultRecord& record) {
        record.Code = NotTargetFile;
        record.Note = QStringLiteral(u"この版には曲を読む部分がありません");
    });
}

// The stock picture that stands for LRC in the pictograms.
constexpr int LrcPicture = 8;
// The stock picture that stands for the caption formats (ASS, TTML, WebVTT, SRT).
constexpr int CaptionPicture = 9;

} // namespace

const QVector<ModeInfo>& ModeTable() {
    static const QVector<ModeInfo> table = {
        {ModeTimeTagToSami,
         QStringLiteral(u"TimeTag → SAMI"),
         QStringLiteral(u"　タイムタグ付き歌詞をSAMI形式に変換します。"),
         {2, 1, 3},
         QStringLiteral("t2s"),
         &TimeTagToSami,
         [](const Settings& s) { return One(TimeTagExtensions(), s.T2S.ExtOrg); },
         [](const Settings& s) { return ExtensionAt(SamiExtensions(), s.T2S.ExtNew); }},
        {ModeSamiToTimeTag,
         QStringLiteral(u"SAMI → TimeTag"),
         QStringLiteral(u"　SAMI形式の歌詞ファイルをタイムタグ付き歌詞に変換します。"
                        u"他ソフトで作ったSAMIファイルからはうまく変換できないことがあります。"),
         {3, 1, 2},
         QStringLiteral("s2t"),
         &SamiToTimeTag,
         [](const Settings& s) { return One(SamiExtensions(), s.S2T.ExtOrg); },
         [](const Settings& s) { return ExtensionAt(TimeTagExtensions(), s.S2T.ExtNew); }},
        {ModeTimeTagToDsmp,
         QStringLiteral(u"TimeTag → DSMP"),
         QStringLiteral(u"　タイムタグ付き歌詞をDSMP形式に変換します。"),
         {2, 1, 4},
         QStringLiteral("t2d"),
         &TimeTagToDsmp,
         [](const Settings& s) { return One(TimeTagExtensions(), s.T2D.ExtOrg); },
         [](const Settings& s) { return ExtensionAt(DsmpExtensions(), s.T2D.ExtNew); }},
        {ModeDsmpToTimeTag,
         QStringLiteral(u"DSMP → TimeTag"),
         QStringLiteral(u"　DSMP形式の歌詞ファイルをタイムタグ付き歌詞に変換します。"),
         {4, 1, 2},
         QStringLiteral("d2t"),
         &DsmpToTimeTag,
         [](const Settings& s) { return One(DsmpExtensions(), s.D2T.ExtOrg); },
         [](const Settings& s) { return ExtensionAt(TimeTagExtensions(), s.D2T.ExtNew); }},
        {ModeTimeTagToMp3,
         QStringLiteral(u"TimeTag → MP3内蔵"),
         QStringLiteral(u"　タイムタグ付き歌詞をMP3ファイルに埋め込みます。"),
         {2, 1, 5},
         QStringLiteral("t2m"),
         &TimeTagToMp3,
         [](const Settings& s) { return One(TimeTagExtensions(), s.T2M.ExtOrg); },
         [](const Settings&) { return QString(); }},
        {ModeMp3ToTimeTag,
         QStringLiteral(u"MP3内蔵 → TimeTag"),
         QStringLiteral(u"　MP3ファイルに埋め込まれた歌詞を取り出して保存します。"),
         {5, 1, 2},
         QStringLiteral("m2t"),
         &Mp3ToTimeTag,
         [](const Settings&) {
             return QStringList{QStringLiteral("mp3"), QStringLiteral("rmp")};
         },
         [](const Settings& s) { return ExtensionAt(TimeTagExtensions(), s.M2T.ExtNew); }},
        {ModeTimeTagToTimeTag,
         QStringLiteral(u"TimeTag → TimeTag"),
         QStringLiteral(u"　タイムタグ付き歌詞の様々な調整変換をします。"
                        u"モード別オプションで調整内容を選んでください。"),
         {2, 1, 2},
         QStringLiteral("t2t"),
         &TimeTagToTimeTag,
         [](const Settings& s) { return One(TimeTagExtensions(), s.T2T.ExtOrg); },
         [](const Settings& s) { return ExtensionAt(TimeTagExtensions(), s.T2T.ExtNew); }},
        {ModeTimeShift,
         QStringLiteral(u"おまけ１:時間微調整"),
         QStringLiteral(u"　各種歌詞ファイルの時間微調整をします。"),
         {0, 6, 0},
         QStringLiteral("shift"),
         &TimeShiftMode,
         [](const Settings&) { return AllLyricsExtensions(); },
         [](const Settings&) { return QString(); }},
        {ModeNameMatch,
         QStringLiteral(u"おまけ２:ファイル名合わせ"),
         QStringLiteral(u"　２つのファイル名の拡張子より前を揃えます。"
                        u"必ず２つのファイルを同時にドロップしてください。"),
         {0, 7, 0},
         QStringLiteral("match"),
         &NameMatchRun,
         [](const Settings&) { return QStringList(); },
         [](const Settings&) { return QString(); }},
        {ModeTimeTagToLrc,
         QStringLiteral(u"TimeTag → LRC"),
         QStringLiteral(u"　タイムタグ付き歌詞を、いまの音楽プレーヤーが読むLRC形式に変換します。"
                        u"カラオケの行は単語ごとのタイム（拡張LRC）になります。"),
         {2, 1, LrcPicture},
         QStringLiteral("t2l"),
         &TimeTagToLrc,
         [](const Settings& s) { return One(TimeTagExtensions(), s.T2L.ExtOrg); },
         [](const Settings& s) { return ExtensionAt(LrcExtensions(), s.T2L.ExtNew); }},
        {ModeLrcToTimeTag,
         QStringLiteral(u"LRC → TimeTag"),
         QStringLiteral(
             u"　LRC形式（拡張LRCを含む）の歌詞ファイルをタイムタグ付き歌詞に変換します。"
             u"単語ごとのタイムはカラオケタグになります。"),
         {LrcPicture, 1, 2},
         QStringLiteral("l2t"),
         &LrcToTimeTag,
         [](const Settings& s) { return One(LrcExtensions(), s.L2T.ExtOrg); },
         [](const Settings& s) { return ExtensionAt(TimeTagExtensions(), s.L2T.ExtNew); }},
        {ModeTimeTagToWordFormats,
         QStringLiteral(u"TimeTag → 他形式"),
         QStringLiteral(u"　タイムタグ付き歌詞を、動画プレーヤーやブラウザ、音楽アプリが読む"
                        u"ASS・TTML・WebVTT・SRT形式に変換します。"
                        u"書き出す形式はモード別オプションで選んでください。"),
         {2, 1, CaptionPicture},
         QStringLiteral("t2x"),
         &TimeTagToWordFormats,
         [](const Settings& s) { return One(TimeTagExtensions(), s.T2X.ExtOrg); },
         [](const Settings&) { return QString(); }},
        {ModeWordFormatsToTimeTag,
         QStringLiteral(u"他形式 → TimeTag"),
         QStringLiteral(u"　ASS・TTML・WebVTT・SRT形式の字幕ファイルをタイムタグ付き歌詞に"
                        u"変換します。単語ごとのタイムはカラオケタグになります。"),
         {CaptionPicture, 1, 2},
         QStringLiteral("x2t"),
         &WordFormatsToTimeTag,
         [](const Settings&) { return WordFormatExtensions(); },
         [](const Settings& s) { return ExtensionAt(TimeTagExtensions(), s.X2T.ExtNew); }},
        {ModePlace,
         QStringLiteral(u"行内自動配置"),
         QStringLiteral(u"　行ごとにタイムタグの付いた歌詞（TimeTag・LRC）の各行の中を、"
                        u"横に置いた曲の歌声に合わせて自動で配置し、カラオケタグにします。"),
         {2, 1, 2},
         QStringLiteral("place"),
         &PlaceInLines,
         [](const Settings&) { return TimeTagExtensions(); },
         [](const Settings& s) { return ExtensionAt(TimeTagExtensions(), s.Place.ExtNew); }},
        {ModeTimeTagToVideo,
         QStringLiteral(u"カラオケ動画"),
         QStringLiteral(u"　タイムタグ付き歌詞と同じ名前の曲から、歌詞が色変わりする"
                        u"カラオケ動画（MP4）を作ります。LRC・ASS・TTML・WebVTTの歌詞も使えます。"),
         {2, 1, CaptionPicture},
         QStringLiteral("t2v"),
         &TimeTagToVideo,
         [](const Settings&) { return VideoSourceExtensions(); },
         [](const Settings&) { return QString(); }},
    };
    return table;
}

static_assert(ModeCount == LastModeIndex + 1, "Init/NowMode takes every mode number");

const ModeInfo* FindMode(const QString& nameOrIndex) {
    for (const ModeInfo& mode : ModeTable()) {
        if (nameOrIndex == QString::number(mode.Index) || nameOrIndex == mode.CommandName)
            return &mode;
    }
    return nullptr;
}

bool RunMode(int mode, BatchState& state, Settings& settings, RunQuestions& questions) {
    if (mode < 0 || mode >= ModeCount)
        return false;
    const ModeInfo& info = ModeTable()[mode];
    state.DropCount = int(state.DroppedFiles.size());
    state.RejectedFiles.clear();
    state.Results.clear();
    info.Driver(info, state, settings, questions);
    AddResultNotes(state);
    state.DroppedFiles.clear();
    return true;
}

void SetPlaceDriver(ModeDriver driver) { placeDriver = driver; }

bool RunMode(int mode, BatchState& state, Settings& settings) {
    NoQuestions questions;
    return RunMode(mode, state, settings, questions);
}

} // namespace tavelkor

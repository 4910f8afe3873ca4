#include "SessionAutosave.h"

#include "../base/SafeFileWrite.h"
#include "../base/TextFile.h"
#include "../lyrics/TimeTagReader.h"
#include "../lyrics/TimeTagWriter.h"
#include "../lyrics/TimeValues.h"
#include "RubyPlacement.h"
#include "TimingSession.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QStringList>
#include <set>
#include <utility>

namespace tavelkor {

namespace {

const QString Kind = QStringLiteral("Tavelkor timing autosave");
constexpr int Version = 1;
// An autosave larger than this is no autosave of lyrics; it is not read into memory.
constexpr qint64 MaxAutosaveBytes = qint64(64) * 1024 * 1024;

QJsonArray LinesToJson(const TimingDocument& document) {
    QJsonArray lines;
    for (const TimingLine& line : document.Lines) {
        QJsonArray fragments;
        for (const TimedFragment& fragment : line.Fragments)
            fragments.append(QJsonArray{fragment.Text, fragment.StartMs, fragment.EndMs});
        lines.append(fragments);
    }
    return lines;
}

bool IsTime(const QJsonValue& value) {
    if (!value.isDouble())
        return false;
    const double ms = value.toDouble();
    return ms == double(int(ms)) && ms >= -1 && ms <= MaxTagMs;
}

std::optional<QVector<TimingLine>> LinesFromJson(const QJsonValue& value) {
    if (!value.isArray())
        return std::nullopt;
    QVector<TimingLine> lines;
    for (const QJsonValue& lineValue : value.toArray()) {
        if (!lineValue.isArray())
            return std::nullopt;
        TimingLine line;
        for (const QJsonValue& fragmentValue : lineValue.toArray()) {
            const QJsonArray fragment = fragmentValue.toArray();
            if (fragment.size() != 3 || !fragment[0].isString() || !IsTime(fragment[1]) ||
                !IsTime(fragment[2]))
                return std::nullopt;
            line.Fragments.append(
                {fragment[0].toString(), fragment[1].toInt(), fragment[2].toInt()});
        }
        lines.append(line);
    }
    return lines;
}

// Where each timed fragment of a line starts in its text, with its times.
QMap<qsizetype, std::pair<int, int>> TimesByOffset(const TimingLine& line) {
    QMap<qsizetype, std::pair<int, int>> times;
    qsizetype offset = 0;
    for (const TimedFragment& fragment : line.Fragments) {
        if (fragment.Timed())
            times.insert(offset, {fragment.StartMs, fragment.EndMs});
        offset += fragment.Text.size();
    }
    return times;
}

QStringList Boundaries(const TimingLine& line) {
    QStringList texts;
    for (const TimedFragment& fragment : line.Fragments)
        texts.append(fragment.Text);
    return texts;
}

// The header's "@" lines as the text writes them: read back alone, no lyrics line can pass
// for one of them.
QString HeaderText(const TimingDocument& document) {
    LyricsHeader header = TimingToLyrics(TimingDocument{document.Header, {}}).Header;
    return ComposeHeaderText(header);
}

} // namespace

QString AutosaveFolder(const QString& settingsFile) {
    return QFileInfo(settingsFile).absolutePath() + QStringLiteral("/Tavelkor-autosave");
}

QString AutosavePath(const QString& folder, const QString& sourcePath) {
    const QByteArray hash = QCryptographicHash::hash(
        QFileInfo(sourcePath).absoluteFilePath().toUtf8(), QCryptographicHash::Sha1);
    return folder + u'/' + QString::fromLatin1(hash.toHex()) + QStringLiteral(".autosave");
}

SessionAutosave AutosaveOf(const QString& sourcePath, TextEncoding encoding,
                           const TimingSession& session, const QDateTime& time) {
    return {QFileInfo(sourcePath).absoluteFilePath(),
            time,
            encoding,
            session.Selection(),
            session.ComposeText(),
            session.Document()};
}

QByteArray EncodeAutosave(const SessionAutosave& autosave) {
    const QJsonObject object{
        {QStringLiteral("Kind"), Kind},
        {QStringLiteral("Version"), Version},
        {QStringLiteral("Source"), autosave.SourcePath},
        {QStringLiteral("Time"), autosave.Time.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("Encoding"), EncodingName(autosave.Encoding)},
        {QStringLiteral("Selection"),
         QJsonArray{autosave.Selection.Line, autosave.Selection.Fragment}},
        {QStringLiteral("Text"), autosave.Text},
        {QStringLiteral("Header"), HeaderText(autosave.Document)},
        {QStringLiteral("Lines"), LinesToJson(autosave.Document)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

std::optional<SessionAutosave> DecodeAutosave(const QByteArray& bytes, QString* problem) {
    auto refuse = [problem](const QString& why) {
        if (problem != nullptr)
            *problem = why;
        return std::nullopt;
    };
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !json.isObject())
        return refuse(QStringLiteral(u"途中で切れているか、壊れています"));
    const QJsonObject object = json.object();
    if (object.value(QStringLiteral("Kind")).toString() != Kind)
        return refuse(QStringLiteral(u"自動保存のファイルではありません"));
    if (object.value(QStringLiteral("Version")).toInt() != Version)
        return refuse(QStringLiteral(u"この版では読めない形式です"));
    SessionAutosave autosave;
    autosave.SourcePath = object.value(QStringLiteral("Source")).toString();
    autosave.Time =
        QDateTime::fromString(object.value(QStringLiteral("Time")).toString(), Qt::ISODateWithMs);
    const std::optional<TextEncoding> encoding =
        ParseEncodingName(object.value(QStringLiteral("Encoding")).toString());
    const QJsonArray selection = object.value(QStringLiteral("Selection")).toArray();
    const QJsonValue text = object.value(QStringLiteral("Text"));
    const QJsonValue header = object.value(QStringLiteral("Header"));
    std::optional<QVector<TimingLine>> lines = LinesFromJson(object.value(QStringLiteral("Lines")));
    if (autosave.SourcePath.isEmpty() || !autosave.Time.isValid() || !encoding ||
        selection.size() != 2 || !selection[0].isDouble() || !selection[1].isDouble() ||
        !text.isString() || !header.isString() || !lines)
        return refuse(QStringLiteral(u"書かれていない項目か、読めない値があります"));
    autosave.Encoding = *encoding;
    autosave.Selection = {selection[0].toInt(), selection[1].toInt()};
    autosave.Text = text.toString();
    // The lines composed with the header must give the text again.
    LyricsDocument parsed;
    parsed.Text = header.toString();
    ParseLyricsText(parsed, false, false);
    autosave.Document.Header = parsed.Header;
    autosave.Document.Lines = std::move(*lines);
    if (ComposeTimingText(autosave.Document) != autosave.Text)
        return refuse(QStringLiteral(u"歌詞と時間が食い違っています"));
    if (autosave.Selection.Valid() && autosave.Document.At(autosave.Selection) == nullptr)
        autosave.Selection = autosave.Document.FirstFrom(0);
    return autosave;
}

AutosaveReading ReadAutosave(const QString& path, const QString& sourcePath) {
    AutosaveReading reading;
    const FileBytes file = ReadFileBytes(path, MaxAutosaveBytes + 1);
    reading.Found = file.Exists;
    if (!file.Exists)
        return reading;
    if (file.ReadFailed)
        reading.Problem = QStringLiteral(u"読めません");
    else if (file.Bytes.size() > MaxAutosaveBytes)
        reading.Problem = QStringLiteral(u"大きすぎます");
    else
        reading.Autosave = DecodeAutosave(file.Bytes, &reading.Problem);
    if (reading.Autosave &&
        reading.Autosave->SourcePath != QFileInfo(sourcePath).absoluteFilePath()) {
        reading.Problem =
            QStringLiteral(u"別のファイルのものです：") + reading.Autosave->SourcePath;
        reading.Autosave.reset();
    }
    return reading;
}

bool WriteAutosave(const QString& path, const SessionAutosave& autosave) {
    return QDir().mkpath(QFileInfo(path).absolutePath()) &&
           WriteThroughTemporary(path, EncodeAutosave(autosave)) == WriteOutcome::Written;
}

bool RemoveAutosave(const QString& path) {
    // A write killed before its rename leaves its temporary file beside the autosave.
    const QFileInfo info(path);
    QDir folder(info.absolutePath());
    const QStringList leftovers = folder.entryList(
        {u'.' + info.fileName().left(40) + QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden);
    for (const QString& name : leftovers)
        folder.remove(name);
    return !QFileInfo::exists(path) || QFile::remove(path);
}

QString AutosaveDifference(const TimingDocument& file, const TimingDocument& autosave) {
    int textLines = 0;
    int timedFragments = 0;
    int splitLines = 0;
    const qsizetype count = std::max(file.Lines.size(), autosave.Lines.size());
    for (qsizetype i = 0; i < count; ++i) {
        const TimingLine before = file.Lines.value(i);
        const TimingLine after = autosave.Lines.value(i);
        if (i >= file.Lines.size() || i >= autosave.Lines.size() || before.Text() != after.Text()) {
            ++textLines;
            continue;
        }
        const auto beforeTimes = TimesByOffset(before);
        const auto afterTimes = TimesByOffset(after);
        std::set<qsizetype> offsets;
        for (const qsizetype offset : beforeTimes.keys() + afterTimes.keys())
            offsets.insert(offset);
        for (const qsizetype offset : offsets) {
            if (beforeTimes.value(offset, {-1, -1}) != afterTimes.value(offset, {-1, -1}))
                ++timedFragments;
        }
        if (Boundaries(before) != Boundaries(after))
            ++splitLines;
    }
    QStringList parts;
    if (textLines > 0)
        parts << QStringLiteral(u"文字の違う行 %1").arg(textLines);
    if (timedFragments > 0)
        parts << QStringLiteral(u"時間の違うフラグメント %1").arg(timedFragments);
    if (splitLines > 0)
        parts << QStringLiteral(u"区切りの違う行 %1").arg(splitLines);
    if (!SameRuby(file.Header.Ruby, autosave.Header.Ruby))
        parts << QStringLiteral(u"ふりがな");
    if (parts.isEmpty())
        return ComposeTimingText(file) == ComposeTimingText(autosave)
                   ? QStringLiteral(u"ファイルとの違いはありません")
                   : QStringLiteral(u"ファイルとの違い：見出しの項目");
    return QStringLiteral(u"ファイルとの違い：") + parts.join(u"、"_qs);
}

} // namespace tavelkor

#include "ResultCodes.h"

#include "../base/Cp932.h"
#include "../base/PathHelpers.h"
#include "BatchState.h"

#include <QStringList>
#include <algorithm>

namespace tavelkor {

const QStringList& ResultCodeTexts() {
    static const QStringList texts = {
        QStringLiteral(u"00.変換成功"),
        QStringLiteral(u"01.拡張子エラー"),
        QStringLiteral(u"02.セーブエラー"),
        QStringLiteral(u"03.オープンエラー"),
        QStringLiteral(u"04.上書きしない"),
        QStringLiteral(u"05.フォルダエラー"),
        QStringLiteral(u"06.対象ファイル外"),
        QStringLiteral(u"07.処理キャンセル"),
        QStringLiteral(u"08.拡張子が同じ"),
        QStringLiteral(u"09.すでに同名"),
        QStringLiteral(u"10.Ｄ＆Ｄ数エラー"),
        QStringLiteral(u"11.すでに存在"),
        QStringLiteral(u"12.空ファイル"),
        QStringLiteral(u"13.埋め込まれるファイルがない"),
        QStringLiteral(u"14.歌詞が埋め込まれてない"),
        QStringLiteral(u"15.埋め込み歌詞削除エラー"),
        QStringLiteral(u"16.埋め込み対象外ファイル"),
        QStringLiteral(u"17.歌詞ファイルサイズエラー"),
        QStringLiteral(u"18.埋め込みエラー"),
    };
    return texts;
}

QString ResultCodeText(int code) { return ResultCodeTexts().value(code); }

bool ResultRecord::SetSaved(bool saved, const QString& output, bool replacedFile) {
    if (saved) {
        OutputPath = output;
        OutputReplaced = replacedFile;
    } else {
        Code = SaveError;
        FileName = output;
        Replaced = 0;
    }
    return saved;
}

QString ResultOutcomeText(const ResultRecord& record) {
    QString text = ResultCodeText(record.Code);
    if (record.Replaced > 0)
        text += QStringLiteral(u"（CP932にない文字 %1字を?で保存）").arg(record.Replaced);
    if (!record.FailedOutputs.isEmpty())
        text += u'（' + record.FailedOutputs.join(QStringLiteral(u"、")) + u'）';
    // A file the output replaced, unless it is the source itself rewritten in place (the time
    // shift, a re-timing into its own file): that is what the user asked for.
    QStringList replaced;
    if (record.OutputReplaced && record.OutputPath != record.FileName)
        replaced.append(DisplayNameOf(record.OutputPath));
    for (const QString& other : record.OtherReplaced)
        replaced.append(DisplayNameOf(other));
    if (!replaced.isEmpty())
        text += u'（' + replaced.join(QStringLiteral(u"、")) + QStringLiteral(u" を上書き）");
    if (!record.Note.isEmpty())
        text += u'（' + record.Note + u'）';
    return text;
}

QString DisplayNameOf(const QString& path) { return FileNameOf(path); }

QString MakeResultReport(const BatchState& state) {
    struct Row {
        QString Name;
        qsizetype Bytes;
        QString Outcome;
    };
    QList<Row> rows;
    rows.reserve(state.Results.size() + state.RejectedFiles.size());
    for (const ResultRecord& record : state.Results) {
        const QString name = DisplayNameOf(record.FileName);
        rows.append({name, Cp932ByteLength(name), ResultOutcomeText(record)});
    }
    for (const QString& path : state.RejectedFiles) {
        const QString name = DisplayNameOf(path);
        rows.append({name, Cp932ByteLength(name), ResultCodeText(WrongExtension)});
    }
    qsizetype width = 0;
    for (const Row& row : rows)
        width = std::max(width, row.Bytes);
    ++width;

    QString report = QStringLiteral(u"Ｄ＆Ｄファイル数 : ") + QString::number(state.DropCount);
    report += u"\r\n\r\n";
    for (const Row& row : rows) {
        report += row.Name;
        report += QString(std::max<qsizetype>(1, width - row.Bytes), u' ');
        report += u": ";
        report += row.Outcome;
        report += u"\r\n";
    }
    return report;
}

QString RunSummaryText(const BatchState& state) {
    qsizetype converted = 0;
    qsizetype cancelled = 0;
    qsizetype failed = state.RejectedFiles.size();
    for (const ResultRecord& record : state.Results) {
        if (record.Code == Converted)
            ++converted;
        else if (record.Code == Cancelled)
            ++cancelled;
        else
            ++failed;
    }
    if (converted + cancelled + failed == 0)
        return {};
    QString text = QStringLiteral(u"%1件成功").arg(converted);
    if (failed > 0)
        text += QStringLiteral(u"・%1件エラー").arg(failed);
    if (cancelled > 0)
        text += QStringLiteral(u"・%1件キャンセル").arg(cancelled);
    return text;
}

} // namespace tavelkor

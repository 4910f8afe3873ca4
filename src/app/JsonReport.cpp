#include "JsonReport.h"

#include "ResultCodes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tavelkor {

QByteArray MakeJsonReport(const ModeInfo& mode, const BatchState& state) {
    QJsonArray files;
    for (const ResultRecord& record : state.Results) {
        QJsonObject file{{QStringLiteral("path"), record.FileName},
                         {QStringLiteral("code"), record.Code},
                         {QStringLiteral("result"), ResultCodeText(record.Code)},
                         {QStringLiteral("replaced"), record.Replaced}};
        if (!record.OutputPath.isEmpty()) {
            file.insert(QStringLiteral("output"), record.OutputPath);
            QJsonArray outputs{QJsonObject{{QStringLiteral("path"), record.OutputPath},
                                           {QStringLiteral("replaced"), record.OutputReplaced}}};
            for (const QString& other : record.OtherOutputs)
                outputs.append(QJsonObject{
                    {QStringLiteral("path"), other},
                    {QStringLiteral("replaced"), record.OtherReplaced.contains(other)}});
            file.insert(QStringLiteral("outputs"), outputs);
        }
        if (!record.Note.isEmpty())
            file.insert(QStringLiteral("note"), record.Note);
        if (!record.OtherOutputs.isEmpty())
            file.insert(QStringLiteral("otherOutputs"),
                        QJsonArray::fromStringList(record.OtherOutputs));
        if (!record.FailedOutputs.isEmpty())
            file.insert(QStringLiteral("failedOutputs"),
                        QJsonArray::fromStringList(record.FailedOutputs));
        if (record.HasInputEncoding) {
            file.insert(QStringLiteral("inputEncoding"), EncodingName(record.InputEncoding));
            file.insert(QStringLiteral("encodingReason"), record.EncodingReason);
        }
        files.append(file);
    }
    const QJsonObject report{
        {QStringLiteral("mode"), mode.CommandName},
        {QStringLiteral("modeIndex"), mode.Index},
        {QStringLiteral("dropCount"), state.DropCount},
        {QStringLiteral("files"), files},
        {QStringLiteral("rejected"), QJsonArray::fromStringList(state.RejectedFiles)}};
    return QJsonDocument(report).toJson(QJsonDocument::Indented);
}

} // namespace tavelkor

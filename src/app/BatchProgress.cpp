#include "BatchFrame.h"

namespace tavelkor {

void BatchState::StartFiles(qsizetype total) {
    if (Progress == nullptr)
        return;
    Progress->Done = 0;
    Progress->Total = total;
    if (Progress->Shown)
        Progress->Shown(0, total);
}

bool BatchState::MayStartFile() const { return Progress == nullptr || !Progress->StopRequested; }

void BatchState::FileFinished() {
    if (Progress == nullptr)
        return;
    const qsizetype done = ++Progress->Done;
    if (Progress->Shown && std::this_thread::get_id() == Progress->Owner)
        Progress->Shown(done, Progress->Total);
}

void BatchState::ShowPart(qint64 done, qint64 total) const {
    if (Progress != nullptr && Progress->PartShown &&
        std::this_thread::get_id() == Progress->Owner)
        Progress->PartShown(done, total);
}

void RunEachFile(BatchState& state,
                 const std::function<void(const QString& path, ResultRecord& record)>& one) {
    const qsizetype count = state.DroppedFiles.size();
    state.Results = QVector<ResultRecord>(count);
    state.StartFiles(count);
    for (qsizetype i = 0; i < count; ++i) {
        ResultRecord& record = state.Results[i];
        record = {state.DroppedFiles[i], Converted};
        if (state.MayStartFile())
            one(state.DroppedFiles[i], record);
        else
            record.Code = Cancelled;
        state.FileFinished();
    }
}

} // namespace tavelkor

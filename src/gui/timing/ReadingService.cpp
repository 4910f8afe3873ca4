#include "ReadingService.h"

#include "../../timing/KanjiShares.h"

#include <QMetaObject>

namespace tavelkor {

ReadingService::ReadingService(QObject* parent) : QObject(parent), worker_(new QObject) {
    worker_->moveToThread(&thread_);
    thread_.start(QThread::LowPriority);
}

ReadingService::~ReadingService() {
    thread_.quit();
    thread_.wait();
    delete worker_;
}

void ReadingService::Propose(const QString& line, std::function<void(const ReadingAnswer&)> done) {
    QMetaObject::invokeMethod(
        worker_,
        [this, line, done = std::move(done)] {
            if (!dictionary_) {
                dictionary_ = std::make_unique<ReadingDictionary>();
                // The kanji table is read here too, so 「行内を自動配分」 never waits for it.
                KanjiTable::Installed();
            }
            ReadingAnswer answer;
            answer.Available = dictionary_->Available();
            answer.Error = dictionary_->Error();
            if (answer.Available)
                answer.Readings = dictionary_->ProposeReadings(line);
            // Back on the window's thread; dropped if the service is destroyed first.
            QMetaObject::invokeMethod(
                this, [done, answer] { done(answer); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

} // namespace tavelkor

// MeCab for the timing editor on a thread of its own: the dictionary is loaded on the first
// request and every line is read there, so the window never waits for it.
#pragma once

#include "../../timing/KanjiReadings.h"

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>

namespace tavelkor {

struct ReadingAnswer {
    QVector<KanjiReading> Readings;
    bool Available = false;
    QString Error; // why the dictionary cannot be used (MeCab's message)
};

class ReadingService : public QObject {
public:
    explicit ReadingService(QObject* parent = nullptr);
    ~ReadingService() override;

    // Asks for the proposed readings of `line`; `done` runs on this object's thread once they
    // are known (never when the service is gone by then).
    void Propose(const QString& line, std::function<void(const ReadingAnswer&)> done);

private:
    QThread thread_;
    QObject* worker_;
    std::unique_ptr<ReadingDictionary> dictionary_; // made and used on thread_ only
};

} // namespace tavelkor

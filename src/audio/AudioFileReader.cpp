#include "AudioFileReader.h"

#include "../base/FileBytes.h"
#include "../base/TextFile.h"

namespace tavelkor {

bool AudioFileReader::Open(const QString& path) {
    // Checked before opening: opening a pipe named like a song would wait for a writer.
    if (!FileExists(path))
        return false;
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly))
        return false;
    size_ = file_.size();
    return size_ >= 0;
}

bool AudioFileReader::ReadAt(qint64 position, qint64 count, QByteArray& bytes) {
    bytes.clear();
    if (!file_.isOpen() || position < 0 || count < 0 || position > size_ ||
        count > size_ - position)
        return false;
    if (count == 0)
        return true;
    // Read straight from the file at the position, past QFile's buffer: the tag formats are
    // read in small pieces far apart, which a buffer would fill with bytes never used.
    if (!tavelkor::ReadAt(file_.handle(), position, count, bytes)) {
        bytes.clear();
        return false;
    }
    return true;
}

QByteArray AudioFileReader::Read(qint64 position, qint64 count) {
    QByteArray bytes;
    ReadAt(position, count, bytes);
    return bytes;
}

} // namespace tavelkor

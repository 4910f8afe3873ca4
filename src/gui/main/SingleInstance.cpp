#include "SingleInstance.h"

#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <memory>

namespace tavelkor {

namespace {

constexpr int HandOverWaitMs = 3000;
// The first entry of a preview request. Handed-over paths are absolute, so no path reads so.
const QString PreviewRequest = QStringLiteral("--preview");
// The first entry of a request for the timing editor.
const QString EditRequest = QStringLiteral("--edit");

} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), lock_(folder + QStringLiteral("/tavelkor.lock")),
      socketPath_(folder + QStringLiteral("/tavelkor.socket")) {
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::Receive);
}

bool SingleInstance::Acquire() {
    if (!lock_.tryLock(0))
        return false;
    // Holding the lock, a socket file left by a program that ended without cleaning up is
    // nobody's: it is removed before listening. Only this user may connect.
    QLocalServer::removeServer(socketPath_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(socketPath_);
    return true;
}

bool SingleInstance::HandOver(const QStringList& files, QString* answer) {
    return Send(files, answer);
}

bool SingleInstance::HandOverPreview(const QString& file) {
    return Send({PreviewRequest, file}, nullptr);
}

bool SingleInstance::HandOverEdit(const QString& file) {
    return Send({EditRequest, file}, nullptr);
}

bool SingleInstance::Send(const QStringList& entries, QString* answer) {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(HandOverWaitMs))
        return false;
    // The entries in UTF-8, each ended by a NUL, the one character no path holds; an empty
    // entry ends the request. The running program answers with one line.
    QByteArray message;
    for (const QString& entry : entries)
        message += entry.toUtf8() + '\0';
    message += '\0';
    socket.write(message);
    socket.flush();
    QByteArray reply;
    while (!reply.endsWith('\n') && socket.waitForReadyRead(HandOverWaitMs))
        reply += socket.readAll();
    if (answer != nullptr)
        *answer = QString::fromUtf8(reply).trimmed();
    socket.disconnectFromServer();
    return socket.state() == QLocalSocket::UnconnectedState ||
           socket.waitForDisconnected(HandOverWaitMs);
}

QString SingleInstance::Act(const QStringList& entries) {
    // Opening the preview or the editor may ask a question (unsaved changes) and wait for the
    // user as long as the user likes; the later start is answered first and the window opens
    // once this request is done with.
    if (entries.size() == 2 && entries[0] == PreviewRequest) {
        QTimer::singleShot(0, this, [this, file = entries[1]] { emit PreviewArrived(file); });
        return QStringLiteral("the open window previews the file");
    }
    if (entries.size() == 2 && entries[0] == EditRequest) {
        QTimer::singleShot(0, this, [this, file = entries[1]] { emit EditArrived(file); });
        return QStringLiteral("the open window edits the timing of the file");
    }
    if (entries.isEmpty() || entries[0] == PreviewRequest || entries[0] == EditRequest)
        return {};
    emit FilesArrived(entries);
    return TakeFiles ? TakeFiles(entries) : QString();
}

void SingleInstance::Receive() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        auto done = std::make_shared<bool>(false);
        auto entriesOf = [](const QByteArray& bytes) {
            QStringList entries;
            for (const QByteArray& entry : bytes.split('\0')) {
                if (!entry.isEmpty())
                    entries.append(QString::fromUtf8(entry));
            }
            return entries;
        };
        connect(socket, &QLocalSocket::readyRead, this, [=, this] {
            *buffer += socket->readAll();
            if (*done || !buffer->endsWith(QByteArray(2, '\0')))
                return;
            *done = true;
            // The sender may have given up and hung up while the request was acted on: the
            // socket is then gone, and nobody is left to answer.
            const QPointer<QLocalSocket> alive(socket);
            const QByteArray reply = Act(entriesOf(*buffer)).toUtf8() + '\n';
            if (alive) {
                socket->write(reply);
                socket->flush();
            }
        });
        // A request without its end (an older start) is complete when the sender hangs up.
        connect(socket, &QLocalSocket::disconnected, this, [=, this] {
            *buffer += socket->readAll();
            if (!*done)
                Act(entriesOf(*buffer));
            socket->deleteLater();
        });
    }
}

} // namespace tavelkor

#include "SingleInstance.h"

#include <QLocalSocket>

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

bool SingleInstance::HandOver(const QStringList& files) { return Send(files); }

bool SingleInstance::HandOverPreview(const QString& file) { return Send({PreviewRequest, file}); }

bool SingleInstance::HandOverEdit(const QString& file) { return Send({EditRequest, file}); }

bool SingleInstance::Send(const QStringList& files) {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(HandOverWaitMs))
        return false;
    // The paths in UTF-8, each ended by a NUL, the one character no path holds.
    QByteArray message;
    for (const QString& file : files)
        message += file.toUtf8() + '\0';
    socket.write(message);
    socket.flush();
    socket.disconnectFromServer();
    return socket.state() == QLocalSocket::UnconnectedState ||
           socket.waitForDisconnected(HandOverWaitMs);
}

void SingleInstance::Receive() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            QStringList files;
            for (const QByteArray& path : socket->readAll().split('\0')) {
                if (!path.isEmpty())
                    files.append(QString::fromUtf8(path));
            }
            socket->deleteLater();
            if (files.size() == 2 && files[0] == PreviewRequest)
                emit PreviewArrived(files[1]);
            else if (files.size() == 2 && files[0] == EditRequest)
                emit EditArrived(files[1]);
            else if (!files.isEmpty() && files[0] != PreviewRequest && files[0] != EditRequest)
                emit FilesArrived(files);
        });
    }
}

} // namespace tavelkor

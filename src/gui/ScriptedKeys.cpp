#include "ScriptedKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QSocketNotifier>
#include <QWidget>
#include <cstdio>
#include <unistd.h>

namespace tavelkor {

void ScriptedKeys::StartIfAsked(QObject* parent) {
    if (qEnvironmentVariableIsSet("TAVELKOR_KEYS_FROM_STDIN"))
        new ScriptedKeys(parent);
}

ScriptedKeys::ScriptedKeys(QObject* parent)
    : QObject(parent), input_(new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this)) {
    retry_.setSingleShot(true);
    retry_.setInterval(20);
    connect(&retry_, &QTimer::timeout, this, &ScriptedKeys::Next);
    connect(input_, &QSocketNotifier::activated, this, &ScriptedKeys::Read);
}

void ScriptedKeys::Read() {
    char buffer[4096];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) {
        input_->setEnabled(false); // the end of the input
        return;
    }
    pending_.append(buffer, got);
    for (qsizetype end; (end = pending_.indexOf('\n')) >= 0;) {
        lines_.append(QString::fromUtf8(pending_.left(end)).trimmed());
        pending_.remove(0, end + 1);
    }
    Next();
}

void ScriptedKeys::Next() {
    while (!lines_.isEmpty()) {
        const QStringList parts = lines_.first().split(u' ', Qt::SkipEmptyParts);
        const QByteArray kind = parts.value(0).toUtf8();
        QWidget* target = QApplication::activeModalWidget();
        if (target == nullptr) {
            target = QApplication::activeWindow();
            // A window of that class that is not active (a dialog of it just closed) is
            // activated first: its shortcuts take keys only while it is active.
            if (target == nullptr || !target->inherits(kind.constData())) {
                for (QWidget* window : QApplication::topLevelWidgets()) {
                    if (window->isVisible() && window->inherits(kind.constData()))
                        window->activateWindow();
                }
                target = nullptr;
            }
        }
        if (target == nullptr || !target->inherits(kind.constData())) {
            retry_.start();
            return;
        }
        const QKeyCombination keys = QKeySequence::fromString(parts.value(1))[0];
        QKeyEvent press(QEvent::KeyPress, keys.key(), keys.keyboardModifiers());
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, keys.key(), keys.keyboardModifiers());
        QApplication::sendEvent(target, &release);
        lines_.removeFirst();
        std::printf("done %d\n", ++done_);
        std::fflush(stdout);
    }
}

} // namespace tavelkor

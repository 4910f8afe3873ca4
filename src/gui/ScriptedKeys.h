// Keys read from standard input, for the tests that start the program as a process and change
// the timing editor before they kill it: the offscreen platform takes no input from outside.
// Only when TAVELKOR_KEYS_FROM_STDIN is set. Each line "CLASS KEYS" ("tavelkor::FormTiming
// Ctrl+Right", "QMessageBox Return") waits until the open modal dialog, or without one the
// active window (a window of that class is activated), is of that class, presses and releases the
// keys there as a user's key goes (a shortcut first), and then answers "done N" (N: lines done so
// far) on standard output.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QSocketNotifier;

namespace tavelkor {

class ScriptedKeys : public QObject {
    Q_OBJECT
public:
    static void StartIfAsked(QObject* parent);

private:
    explicit ScriptedKeys(QObject* parent);
    void Read();
    void Next();

    QSocketNotifier* input_;
    QByteArray pending_;
    QStringList lines_;
    QTimer retry_;
    int done_ = 0;
};

} // namespace tavelkor

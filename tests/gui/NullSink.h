// The sound server of the real-playback tests: a PulseAudio daemon with a null sink, reachable
// only through a private runtime folder, started before any sound is opened.
#pragma once

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

struct NullSink {
    QString missing; // what is not installed, when the server could not be started for that
    QString failure; // why an installed server did not start
    bool started = false;
    QTemporaryDir runtime;

    NullSink() {
        const QString pulseaudio = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        const QString pactl = QStandardPaths::findExecutable(QStringLiteral("pactl"));
        if (pulseaudio.isEmpty() || pactl.isEmpty()) {
            missing = pulseaudio.isEmpty() ? QStringLiteral("pulseaudio")
                                           : QStringLiteral("pactl (pulseaudio-utils)");
            return;
        }
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        qunsetenv("PULSE_SERVER");
        QProcess daemon;
        daemon.start(pulseaudio, {QStringLiteral("--daemonize=yes"),
                                  QStringLiteral("--exit-idle-time=-1"), QStringLiteral("-n"),
                                  QStringLiteral("--load=module-null-sink sink_name=null"),
                                  QStringLiteral("--load=module-native-protocol-unix")});
        daemon.waitForFinished(20000);
        for (int i = 0; i < 50 && !started; ++i) {
            started = QProcess::execute(pactl, {QStringLiteral("info")}) == 0;
            if (!started)
                QThread::msleep(100);
        }
        if (!started)
            failure = QString::fromLocal8Bit(daemon.readAllStandardError());
    }
    ~NullSink() {
        if (started)
            QProcess::execute(QStringLiteral("pulseaudio"), {QStringLiteral("--kill")});
    }
};

// The server of the running test program, started by its main() (TAVELKOR_PLAYBACK_TEST_MAIN).
inline NullSink*& SoundServer() {
    static NullSink* server = nullptr;
    return server;
}

// Skips a real-playback test where no sound server is installed (fails where CI=true) and
// fails it where an installed one did not start.
#define TAVELKOR_REQUIRE_SOUND_SERVER()                                                            \
    do {                                                                                           \
        NullSink* server = SoundServer();                                                          \
        if (!server->missing.isEmpty()) {                                                          \
            const QString why = server->missing +                                                  \
                                QStringLiteral(" is not installed: no sound server for the test"); \
            QVERIFY2(qgetenv("CI") != "true", qPrintable(why));                                    \
            QSKIP(qPrintable(why));                                                                \
        }                                                                                          \
        QVERIFY2(server->started,                                                                  \
                 qPrintable(QStringLiteral("PulseAudio did not start: ") + server->failure));      \
    } while (false)

// main() of a real-playback test: the sound server starts before any sound is opened, so the
// players find this server.
#define TAVELKOR_PLAYBACK_TEST_MAIN(TestClass)                                                     \
    int main(int argc, char** argv) {                                                              \
        NullSink server;                                                                           \
        SoundServer() = &server;                                                                   \
        QApplication app(argc, argv);                                                              \
        QApplication::setQuitOnLastWindowClosed(false);                                            \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

// xdotool for the tests that type into a real X server (Xvfb) as a keyboard does.
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

// Runs xdotool with these arguments; false when it failed or took longer than `waitMs` (a
// `search --sync` waits for its window). What it printed goes to `output`.
inline bool Xdo(const QStringList& arguments, QString* output = nullptr, int waitMs = 10000) {
    QProcess xdo;
    xdo.start(QStringLiteral("xdotool"), arguments);
    const bool finished = xdo.waitForFinished(waitMs);
    if (!finished) {
        xdo.kill();
        xdo.waitForFinished();
    }
    if (output != nullptr)
        *output = QString::fromLocal8Bit(xdo.readAllStandardOutput()).trimmed();
    return finished && xdo.exitStatus() == QProcess::NormalExit && xdo.exitCode() == 0;
}

// Skips a test where xdotool is not installed, and fails it where CI=true.
#define TAVELKOR_REQUIRE_XDOTOOL()                                                                 \
    do {                                                                                           \
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {                 \
            if (qEnvironmentVariable("CI") == u"true")                                             \
                QFAIL("xdotool is missing (scripts/bootstrap installs it)");                       \
            QSKIP("xdotool is missing: run scripts/bootstrap");                                    \
        }                                                                                          \
    } while (false)

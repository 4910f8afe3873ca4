// The environment a test starts the real program in: the offscreen platform, and settings and
// the runtime folder (where one program at a time holds its lock) of its own in the test's
// folder ("config" and "runtime").
#pragma once

#include "TestFiles.h"

#include <QProcessEnvironment>

inline QProcessEnvironment ProgramEnvironment(const tavelkor::test::TestFolder& folder) {
    QDir().mkpath(folder.File("config"));
    QDir().mkpath(folder.File("runtime"));
    QFile::setPermissions(folder.File("runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.File("config"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.File("runtime"));
    return environment;
}

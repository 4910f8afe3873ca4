// tavelkor: the desktop program.
#include "../settings/IniSettingsStore.h"
#include "../settings/Settings.h"
#include "FormMain.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <csignal>

int main(int argc, char** argv) {
    // A write beyond the file-size limit fails with an error (a save error) instead of ending
    // the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(tavelkor::ApplicationName);

    // One program at a time: a second start closes itself at once, loading and saving nothing.
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    QLockFile lock(runtime + QStringLiteral("/tavelkor.lock"));
    if (!lock.tryLock(0))
        return 0;

    tavelkor::Settings settings;
    tavelkor::IniSettingsStore store;
    tavelkor::FormMain window(settings, store);
    window.show();
    const int status = app.exec();
    store.Flush();
    return status;
}

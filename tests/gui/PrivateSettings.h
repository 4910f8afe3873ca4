// The settings file of a test program that opens the timing editor in a real X server, and so
// the editor's autosaves beside it, in a folder of the test's own instead of the user's
// ~/.config. Set through Qt: XDG_CONFIG_HOME would also move what the sound server and its
// clients keep there (the cookie of the real-playback tests' PulseAudio).
#pragma once

#include "timing/SessionAutosave.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

struct PrivateSettings {
    QTemporaryDir folder;

    PrivateSettings() {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    }
    // Where the editor's autosave of `lyrics` goes.
    QString Autosave(const QString& lyrics) const {
        return tavelkor::AutosavePath(
            tavelkor::AutosaveFolder(folder.filePath(QStringLiteral("Tavelkor.ini"))), lyrics);
    }
    // Where it would go in the user's own settings folder.
    static QString UsersAutosave(const QString& lyrics) {
        return tavelkor::AutosavePath(
            tavelkor::AutosaveFolder(
                QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                QStringLiteral("/Tavelkor.ini")),
            lyrics);
    }
};

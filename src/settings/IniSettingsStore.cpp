#include "IniSettingsStore.h"

namespace tavelkor {

// One file, ~/.config/Tavelkor.ini, is read and written; system-wide files are not consulted,
// so what the user sees in that file is what the program uses.
IniSettingsStore::IniSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            ApplicationName)) {
    settings_->setFallbacksEnabled(false);
}

IniSettingsStore::IniSettingsStore(const QString& fileName)
    : settings_(std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {
    settings_->setFallbacksEnabled(false);
}

QString IniSettingsStore::Read(const QString& section, const QString& key,
                               const QString& fallback) const {
    const QVariant value = settings_->value(section + u'/' + key);
    if (!value.isValid())
        return fallback;
    // A hand-written value with unquoted commas comes back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void IniSettingsStore::Write(const QString& section, const QString& key, const QString& value) {
    settings_->setValue(section + u'/' + key, value);
}

bool IniSettingsStore::Flush() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

QString IniSettingsStore::FileName() const { return settings_->fileName(); }

} // namespace tavelkor

#include "IniSettingsStore.h"

namespace tavelkor {

IniSettingsStore::IniSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            ApplicationName, ApplicationName)) {}

IniSettingsStore::IniSettingsStore(const QString& fileName)
    : settings_(std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {}

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

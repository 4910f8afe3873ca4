// The settings store as an INI file through QSettings, sections as groups.
#pragma once

#include "SettingsStore.h"

#include <QSettings>
#include <memory>

namespace tavelkor {

inline const QString ApplicationName = QStringLiteral("Tavelkor");

class IniSettingsStore : public SettingsStore {
public:
    // The per-user store of the application "Tavelkor".
    IniSettingsStore();
    // An INI file of the caller's choice; a missing file is an empty store.
    explicit IniSettingsStore(const QString& fileName);

    QString Read(const QString& section, const QString& key,
                 const QString& fallback) const override;
    void Write(const QString& section, const QString& key, const QString& value) override;
    // Writes pending changes to disk; false when that failed.
    bool Flush();
    QString FileName() const;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace tavelkor

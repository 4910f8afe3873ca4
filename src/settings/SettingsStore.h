// Where settings persist: text values addressed by section and key.
#pragma once

#include <QString>

namespace tavelkor {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `fallback` when the key is missing.
    virtual QString Read(const QString& section, const QString& key,
                         const QString& fallback) const = 0;
    virtual void Write(const QString& section, const QString& key, const QString& value) = 0;
};

} // namespace tavelkor

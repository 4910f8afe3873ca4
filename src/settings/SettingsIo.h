// Loading every setting from a store and saving it back, and the stored forms of values.
#pragma once

#include "Settings.h"
#include "SettingsStore.h"

#include <optional>

namespace tavelkor {

// Reads every key; a missing key, or a value of the wrong form or out of range, gives its
// default. Init/Left and Init/Top default to the values `settings` holds on entry (the
// window's current position). Init/SlidemSec is not read here.
void LoadSettings(const SettingsStore& store, Settings& settings);
// Writes every key except Init/SlidemSec, in table order.
void SaveSettings(SettingsStore& store, const Settings& settings);

// The time-shift amount, read at the start and written at the end of a time-shift run.
int LoadShiftAmount(const SettingsStore& store);
void SaveShiftAmount(SettingsStore& store, int amountMs);

// Sets one key from its stored text form. Errors: unknown section or key, or a value of the
// wrong form; the message names the problem.
bool SetSettingFromText(Settings& settings, const QString& section, const QString& key,
                        const QString& value, QString& error);

// The stored forms.
QString BooleanToText(bool value);
std::optional<bool> BooleanFromText(const QString& text);

} // namespace tavelkor

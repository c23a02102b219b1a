// The program's settings: text values in two sections ("Settings" and
// "Locations") of the per-user key "Software\Skyglass" of the hive.
//
// Every call is one complete access to the store; nothing is kept in memory,
// so a second running copy sees the changes at once. Failures are
// ESettingsError exceptions whose text is the message for the standard error
// box; the operation that asked should stop there.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "settings/hive.h"
#include "settings/settings_names.h"

namespace sky {

inline constexpr const char* kSettingsKey = "Software\\Skyglass";
using settings::kSectionLocations;
using settings::kSectionSettings;

// The stored text, or "n/a" when the section or the value is missing (a stored
// "n/a" reads the same). Value names compare without regard to ASCII case.
// Never creates a section; the first access of a run creates the empty root
// key. Throws ESettingsError "Invalid data type for '<name>'" for a value that
// is not text.
std::string ReadSetting(const std::string& section, const std::string& name);

// Stores the text (an empty text too), creating the key and the section when
// needed; a value already stored under the name in another case keeps its
// spelling. Throws ESettingsError "Failed to set data for '<name>'" when the
// store cannot be written; the stored values are then as before.
void WriteSetting(const std::string& section, const std::string& name, const std::string& text);

// Deletes the section with all its values (nothing when it is missing).
// Throws ESettingsError "Failed to delete key '<section>'" when the store
// cannot be written.
void EraseSection(const std::string& section);

// The values of a section as (name, text) in stored order, read in one
// access; values that are not text are left out. Empty when missing.
std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& section);

}  // namespace sky

#include "settings/ini_proc.h"

#include "common/text.h"

namespace sky {

namespace {

std::string SectionPath(const std::string& section) {
  return section.empty() ? std::string(kSettingsKey) : std::string(kSettingsKey) + "\\" + section;
}

// The root key is opened with creation on every access; creating it is
// best-effort, as a store that cannot be written still reads as empty.
void EnsureRoot(const hive::Hive& h) {
  if (h.Exists(kSettingsKey)) return;
  try {
    hive::Update([](hive::Hive& fresh) { return fresh.Create(kSettingsKey); },
                 "Failed to create key '" + std::string(kSettingsKey) + "'");
  } catch (const ESettingsError&) {
  }
}

}  // namespace

std::string ReadSetting(const std::string& section, const std::string& name) {
  const hive::Hive h = hive::Load();
  EnsureRoot(h);
  const hive::Value* v = h.Get(SectionPath(section), name);
  if (!v) return kNA;
  if (v->type != hive::ValueType::Text) throw ESettingsError("Invalid data type for '" + name + "'");
  return v->text;
}

void WriteSetting(const std::string& section, const std::string& name, const std::string& text) {
  hive::WriteString(SectionPath(section), name, text);
}

void EraseSection(const std::string& section) {
  const std::string path = SectionPath(section);
  if (!hive::ValidKeyPath(path)) return;
  hive::Update(
      [&](hive::Hive& h) {
        // Erasing the root itself would be a caller's slip; keep the store.
        bool changed = section.empty() ? false : h.Delete(path);
        return h.Create(kSettingsKey) || changed;
      },
      "Failed to delete key '" + section + "'");
}

std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& section) {
  const hive::Hive h = hive::Load();
  EnsureRoot(h);
  std::vector<std::pair<std::string, std::string>> out;
  if (const hive::Key* k = h.Find(SectionPath(section)))
    for (const auto& v : k->values)
      if (v.type == hive::ValueType::Text) out.emplace_back(v.name, v.text);
  return out;
}

}  // namespace sky

// The registry-like operations: each one complete access to the hive file.
#include "settings/hive.h"

namespace sky::hive {

// --- registry-like operations ------------------------------------------------------

bool KeyExists(const std::string& path) { return ValidKeyPath(path) && Load().Exists(path); }

void CreateKey(const std::string& path) {
  if (!ValidKeyPath(path)) throw ESettingsError("Invalid key '" + path + "'");
  if (Load().Exists(path)) return;
  Update([&](Hive& h) { return h.Create(path); }, "Failed to create key '" + path + "'");
}

bool DeleteKey(const std::string& path) {
  if (!ValidKeyPath(path) || !Load().Exists(path)) return false;
  bool removed = false;
  Update(
      [&](Hive& h) {
        removed = h.Delete(path);
        return removed;
      },
      "Failed to delete key '" + path + "'");
  return removed;
}

bool ReadString(const std::string& path, const std::string& name, std::string& out) {
  if (!ValidKeyPath(path)) return false;
  const Hive h = Load();
  const Value* v = h.Get(path, name);
  if (!v) return false;
  if (v->type != ValueType::Text) throw ESettingsError("Invalid data type for '" + name + "'");
  out = v->text;
  return true;
}

namespace {
void WriteValue(const std::string& path, const Value& v) {
  const std::string fail = "Failed to set data for '" + v.name + "'";
  if (!ValidKeyPath(path)) throw ESettingsError(fail);
  Update(
      [&](Hive& h) {
        h.Set(path, v);
        return true;
      },
      fail);
}
}  // namespace

void WriteString(const std::string& path, const std::string& name, const std::string& text) {
  Value v;
  v.name = name;
  v.type = ValueType::Text;
  v.text = text;
  WriteValue(path, v);
}

void WriteDword(const std::string& path, const std::string& name, std::uint32_t number) {
  Value v;
  v.name = name;
  v.type = ValueType::Dword;
  v.dword = number;
  WriteValue(path, v);
}

std::vector<Value> ReadValues(const std::string& path) {
  if (!ValidKeyPath(path)) return {};
  const Hive h = Load();
  const Key* k = h.Find(path);
  return k ? k->values : std::vector<Value>{};
}

std::vector<std::string> ReadSubKeys(const std::string& path) {
  if (!ValidKeyPath(path)) return {};
  return Load().SubKeys(path);
}

}  // namespace sky::hive

// The per-user hive: a small registry of keys, each holding typed values,
// kept in one human-readable file under the user's configuration folder.
//
// Key paths use "\" between levels ("Software\Skyglass\Settings"); key paths
// and value names compare without regard to ASCII case, and the spelling
// first written is kept. A key exists when it has a block of its own or when
// any key below it exists.
//
// Nothing is cached: every operation reads the file afresh, so several running
// copies see each other's changes. Changes are read-modify-write under a lock
// shared by all processes, and the new file replaces the old one atomically,
// so an interrupted write leaves either the old or the new file.
//
// File format (UTF-8 text, one Latin-1 character per Unicode code point below
// U+0100):
//
//   ; comment
//   [Software\Skyglass\Settings]
//   StartupLoc=sz:Chicago, IL
//   ProxyPort=dword:8080
//
// A value line is name=type:data. Types: "sz" (text) and "dword" (unsigned
// 32-bit number, decimal or 0x-hexadecimal); other lower-case type names are
// kept as they are and read as non-text. In names and data, "\\", "\n", "\r",
// "\t" and "\xHH" are escapes; raw blanks around the name, the type and the
// data are ignored (the writer escapes blanks that belong to the text).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>

#include "common/exceptions.h"
#include <string>
#include <vector>

namespace sky {

// A settings operation that failed; what() is the message for the user.
class ESettingsError : public Exception {
 public:
  using Exception::Exception;
};

namespace hive {

enum class ValueType { Text, Dword, Other };

struct Value {
  std::string name;  // Latin-1
  ValueType type = ValueType::Text;
  std::string otherType;  // the type name of ValueType::Other
  std::string text;       // Text: the text; Other: the raw data
  std::uint32_t dword = 0;
};

struct Key {
  std::string path;  // as first spelled
  std::vector<Value> values;
};

// The whole hive in memory, in file order.
class Hive {
 public:
  std::vector<Key> keys;

  // The key with exactly this path (any case), or nullptr.
  Key* Find(const std::string& path);
  const Key* Find(const std::string& path) const;
  // True when the key has a block or lies above one that has.
  bool Exists(const std::string& path) const;
  // Gives the key a block of its own when it does not exist yet; true if added.
  bool Create(const std::string& path);
  // Removes the key and every key below it; true if anything was removed.
  bool Delete(const std::string& path);
  // Stores the value under the key (creating the key), replacing a value of
  // the same name but keeping that value's spelling of the name.
  void Set(const std::string& path, const Value& value);
  const Value* Get(const std::string& path, const std::string& name) const;
  // Paths of the keys directly below `path` (one level), first spelling, in order.
  std::vector<std::string> SubKeys(const std::string& path) const;
};

// Lines of a hive file that could not be read.
struct ParseReport {
  std::size_t skipped = 0;  // lines left out (values under an unreadable key line too)
  std::string firstError;   // "line N: why" of the first of them
};
// Reads every line of a hive file's text that can be read and leaves out,
// counting them, those that cannot. Linear in the size of the text. Never
// throws for any input.
Hive ParseReadable(const std::string& fileText, ParseReport& report);
// Reads a hive file's text; false with a reason ("line N: ...") when any
// line of it cannot be read.
bool Parse(const std::string& fileText, Hive& out, std::string& error);
// The file text of a hive; Parse(Serialize(h)) gives h back.
std::string Serialize(const Hive& hive);

// True when `path` is usable as a key path: levels separated by single "\",
// none empty, no control characters or "]", no blank at either end.
bool ValidKeyPath(const std::string& path);

// Where the hive file lives now: $XDG_CONFIG_HOME/skyglass/settings.ini, else
// ~/.config/skyglass/settings.ini. Read from the environment at every call.
std::string FilePath();

// The hive as it is in the file now. A missing file is an empty hive. A file
// with lines that cannot be read is copied aside (".corrupt-<time>") and
// rewritten with every line that can be read, which the hive holds; the
// StoreNotice below tells of it. A file that cannot be read at all (no
// permission, not a regular file: opened without blocking, so a FIFO does
// not hang) gives an empty hive and a message on stderr, and is left alone.
Hive Load();

// One locked read-modify-write: loads the hive (setting a file with bad
// lines aside as Load does), runs `change` on it and, when it returns true,
// writes the result atomically. On any failure throws ESettingsError with
// failMessage followed by the cause in brackets, and leaves the file as it was.
void Update(const std::function<bool(Hive&)>& change, const std::string& failMessage);

// What the user is to be told once: lines of the store that were skipped.
struct StoreNotice {
  std::string file;    // the settings file
  std::string keptAs;  // the copy of the file as it was
  std::size_t skipped = 0;
  std::string firstError;  // "line N: why"
};
// The notice of the last setting-aside in this process, if any; taking it
// clears it, so it is told once.
std::optional<StoreNotice> TakeStoreNotice();
std::string StoreNoticeText(const StoreNotice& notice);

// Registry-like operations, each one complete access to the file.
bool KeyExists(const std::string& path);
void CreateKey(const std::string& path);  // no-op when it exists
// Removes a key with everything below it; false when it did not exist.
bool DeleteKey(const std::string& path);
// The text of a value; false when the key or the value is missing. A value of
// another type throws ESettingsError "Invalid data type for '<name>'".
bool ReadString(const std::string& path, const std::string& name, std::string& out);
// Store a value; throws ESettingsError "Failed to set data for '<name>'".
void WriteString(const std::string& path, const std::string& name, const std::string& text);
void WriteDword(const std::string& path, const std::string& name, std::uint32_t number);
// The values directly in a key (empty when it is missing).
std::vector<Value> ReadValues(const std::string& path);
std::vector<std::string> ReadSubKeys(const std::string& path);

}  // namespace hive
}  // namespace sky

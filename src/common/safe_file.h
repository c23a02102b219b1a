// Files in the program's own folders, written so that a link or file planted
// there by someone else is never written through: each file is written under
// a new name made in the same folder and then renamed over the old one (a
// rename replaces a link, it does not follow it).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace sky {

// Why a folder the program keeps files in must not be used ("" when it may):
// it belongs to another user, or users other than its owner may write in it.
std::string FolderRefusal(const std::string& dir);

// A new file that takes the place of `target` on Commit(); until then the
// target is untouched, and a file given up (no Commit) leaves nothing behind.
class ReplacingFile {
 public:
  explicit ReplacingFile(const std::string& target);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  explicit operator bool() const { return f_ != nullptr; }
  std::FILE* get() const { return f_; }
  // Flushes, closes and renames; false (and nothing left behind) when any
  // of that failed.
  bool Commit();

 private:
  std::string target_, temp_;
  std::FILE* f_ = nullptr;
};

// `size` bytes as the new content of `target`; false when it could not be written.
bool WriteReplacing(const std::string& target, const void* data, std::size_t size);
// A copy of the regular file `from` as `to`; "" or the system's reason.
std::string CopyReplacing(const std::string& from, const std::string& to);

}  // namespace sky

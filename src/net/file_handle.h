// A C stream closed on every way out of its scope. Close() instead of the
// destructor where a failed flush of written data must be noticed.
#pragma once

#include <cstdio>
#include <memory>

namespace sky {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

class TFile {
 public:
  TFile() = default;
  TFile(const char* name, const char* mode) : f_(std::fopen(name, mode)) {}
  explicit operator bool() const { return f_ != nullptr; }
  std::FILE* get() const { return f_.get(); }
  // False when buffered writes did not reach the file.
  bool Close() { return f_ ? std::fclose(f_.release()) == 0 : true; }

 private:
  std::unique_ptr<std::FILE, FileCloser> f_;
};

}  // namespace sky

// A string list with a "Name: Value" accessor, the shape of a request header.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sky {

class TExStringList {
 public:
  // When sorted, Add keeps the lines in order and name look-ups bisect.
  bool Sorted = false;

  std::size_t Count() const { return lines_.size(); }
  const std::string& operator[](std::size_t i) const { return lines_[i]; }
  const std::vector<std::string>& Lines() const { return lines_; }

  // Returns the index the line went to.
  std::size_t Add(std::string line);
  void Delete(std::size_t i);
  void Clear() { lines_.clear(); }

  // Every line followed by CR LF.
  std::string Text() const;

  // Index of the first line whose name (the text before its first ":")
  // matches without regard to case; -1 when none does.
  long IndexOfName(std::string_view name) const;

  // The text after "Name:" with one leading blank skipped; "" when absent.
  std::string Value(std::string_view name) const;
  // A non-empty value replaces the matching line by "Name: value" (or appends
  // one); an empty value deletes the matching line.
  void SetValue(std::string_view name, std::string_view value);

 private:
  std::vector<std::string> lines_;
};

}  // namespace sky

// The host's settings store: an INI text of sections and key=value lines.
//
// Section and key names compare without regard to letter case, as Windows
// INI files do.  Values are kept as the file holds them (UTF-8); the profile
// layer converts host text on the way in and out.
//
// The store keeps the file as the user wrote it: every line with its own
// line end, comments, blank lines and the order.  Writing a value changes
// only that value's line; a new key goes in after the last key of its
// section (so comments and blank lines that lead into the next section stay
// with it), a new section at the end of the file behind a blank line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace volmar {

class IniStore {
 public:
  // Reads an INI text: "[section]" lines, "key=value" lines, blanks around
  // names and values ignored, lines starting with ';' or '#' kept as comments.
  void Parse(std::string_view text);
  // The whole store as INI text: the lines read, byte for byte, with the
  // values written since; added lines take the file's line end (CR LF for a
  // file that had none).
  std::string Serialize() const;

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  void Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  enum class Kind { kOther, kSection, kEntry };
  struct Line {
    std::string text;    // as the file holds it, without the line end
    const char *ending = "";  // "\r\n", "\n", "\r" or "" (the last line of a file without one)
    Kind kind = Kind::kOther;
    std::string name;    // the section's or the key's name, trimmed
    size_t valueAt = 0;  // an entry's value starts here in `text`
  };
  // The first line of the section's body, and one past its last line;
  // npos when there is no such section.
  size_t FindSection(std::string_view name, size_t *end) const;
  size_t FindEntry(size_t begin, size_t end, std::string_view key) const;
  void Insert(size_t at, std::string text);

  std::vector<Line> lines_;
  const char *lineEnd_ = "\r\n";
};

}  // namespace volmar

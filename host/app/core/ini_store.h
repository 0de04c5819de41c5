// The host's settings store: an INI text of sections and key=value lines.
//
// Section and key names compare without regard to letter case, as Windows
// INI files do.  Values are kept as the file holds them (UTF-8); the profile
// layer converts host text on the way in and out.
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
  // The whole store as INI text, CR LF line ends, comments kept in place.
  std::string Serialize() const;

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  void Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  struct Line {
    std::string key;    // empty for a comment or blank line
    std::string value;  // the value, or the whole comment line
  };
  struct Section {
    std::string name;  // empty for the lines before the first section
    std::vector<Line> lines;
  };
  Section *FindSection(std::string_view name);
  const Section *FindSection(std::string_view name) const;

  std::vector<Section> sections_;
};

}  // namespace volmar

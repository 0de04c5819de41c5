#include "host/app/core/ini_store.h"

#include <cctype>

namespace volmar {

static std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

static bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

void IniStore::Parse(std::string_view text) {
  sections_.clear();
  sections_.push_back(Section{});
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    std::string_view line = Trim(raw);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      sections_.push_back(Section{std::string(Trim(line.substr(1, line.size() - 2))), {}});
      continue;
    }
    size_t equals = line.find('=');
    if (line.empty() || line.front() == ';' || line.front() == '#' || equals == std::string_view::npos ||
        Trim(line.substr(0, equals)).empty()) {
      if (!line.empty()) sections_.back().lines.push_back(Line{"", std::string(line)});
      continue;
    }
    sections_.back().lines.push_back(
        Line{std::string(Trim(line.substr(0, equals))), std::string(Trim(line.substr(equals + 1)))});
  }
}

std::string IniStore::Serialize() const {
  std::string text;
  bool afterSection = false;  // a blank line goes between two sections
  for (const Section &section : sections_) {
    if (section.name.empty() && section.lines.empty()) continue;
    if (!section.name.empty()) {
      if (afterSection) text += "\r\n";
      afterSection = true;
      text += "[" + section.name + "]\r\n";
    }
    for (const Line &line : section.lines)
      text += (line.key.empty() ? line.value : line.key + "=" + line.value) + "\r\n";
  }
  return text;
}

IniStore::Section *IniStore::FindSection(std::string_view name) {
  for (Section &section : sections_)
    if (!section.name.empty() && SameName(section.name, name)) return &section;
  return nullptr;
}

const IniStore::Section *IniStore::FindSection(std::string_view name) const {
  return const_cast<IniStore *>(this)->FindSection(name);
}

std::optional<std::string> IniStore::Get(std::string_view section, std::string_view key) const {
  const Section *found = FindSection(section);
  if (found == nullptr) return std::nullopt;
  for (const Line &line : found->lines)
    if (!line.key.empty() && SameName(line.key, key)) return line.value;
  return std::nullopt;
}

void IniStore::Set(std::string_view section, std::string_view key, std::string_view value) {
  Section *found = FindSection(section);
  if (found == nullptr) {
    sections_.push_back(Section{std::string(section), {}});
    found = &sections_.back();
  }
  for (Line &line : found->lines)
    if (!line.key.empty() && SameName(line.key, key)) {
      line.value = std::string(value);
      return;
    }
  found->lines.push_back(Line{std::string(key), std::string(value)});
}

}  // namespace volmar

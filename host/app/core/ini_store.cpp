#include "host/app/core/ini_store.h"

#include <cctype>

namespace volmar {

namespace {

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

void IniStore::Parse(std::string_view text) {
  lines_.clear();
  size_t firstBreak = text.find('\n');
  lineEnd_ = firstBreak != std::string_view::npos && (firstBreak == 0 || text[firstBreak - 1] != '\r')
                 ? "\n"
                 : "\r\n";
  while (!text.empty()) {
    size_t end = text.find('\n');
    Line line;
    line.text = std::string(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    bool lineFeed = end != std::string_view::npos;
    bool carriageReturn = !line.text.empty() && line.text.back() == '\r';
    if (carriageReturn) line.text.pop_back();
    line.ending = carriageReturn ? (lineFeed ? "\r\n" : "\r") : lineFeed ? "\n" : "";
    std::string_view content = line.text;
    if (lines_.empty() && content.substr(0, kByteOrderMark.size()) == kByteOrderMark)
      content.remove_prefix(kByteOrderMark.size());
    std::string_view trimmed = Trim(content);
    size_t equals = trimmed.find('=');
    if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
      line.kind = Kind::kSection;
      line.name = std::string(Trim(trimmed.substr(1, trimmed.size() - 2)));
    } else if (!trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '#' &&
               equals != std::string_view::npos && !Trim(trimmed.substr(0, equals)).empty()) {
      line.kind = Kind::kEntry;
      line.name = std::string(Trim(trimmed.substr(0, equals)));
      // The value starts behind the '=' and the blanks after it.
      size_t at = line.text.find('=') + 1;
      while (at < line.text.size() && IsBlank(line.text[at])) ++at;
      line.valueAt = at;
    }
    lines_.push_back(std::move(line));
  }
}

std::string IniStore::Serialize() const {
  std::string text;
  for (const Line &line : lines_) {
    text += line.text;
    text += line.ending;
  }
  return text;
}

size_t IniStore::FindSection(std::string_view name, size_t *end) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind != Kind::kSection || !SameName(lines_[i].name, name)) continue;
    size_t last = i + 1;
    while (last < lines_.size() && lines_[last].kind != Kind::kSection) ++last;
    *end = last;
    return i + 1;
  }
  return std::string::npos;
}

size_t IniStore::FindEntry(size_t begin, size_t end, std::string_view key) const {
  for (size_t i = begin; i < end; ++i)
    if (lines_[i].kind == Kind::kEntry && SameName(lines_[i].name, key)) return i;
  return std::string::npos;
}

std::optional<std::string> IniStore::Get(std::string_view section, std::string_view key) const {
  size_t end = 0;
  size_t begin = FindSection(section, &end);
  if (begin == std::string::npos) return std::nullopt;
  size_t at = FindEntry(begin, end, key);
  if (at == std::string::npos) return std::nullopt;
  const Line &line = lines_[at];
  return std::string(Trim(std::string_view(line.text).substr(line.valueAt)));
}

// A new line at `at`, with the file's line end; the line before it gets one
// when it was the file's last line without one.
void IniStore::Insert(size_t at, std::string text) {
  if (at > 0 && lines_[at - 1].ending[0] == 0) lines_[at - 1].ending = lineEnd_;
  std::string_view view = text;
  Line line;
  line.ending = lineEnd_;
  if (view.size() >= 2 && view.front() == '[') {
    line.kind = Kind::kSection;
    line.name = std::string(view.substr(1, view.size() - 2));
  } else if (!view.empty()) {
    line.kind = Kind::kEntry;
    line.name = std::string(view.substr(0, view.find('=')));
    line.valueAt = view.find('=') + 1;
  }
  line.text = std::move(text);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void IniStore::Set(std::string_view section, std::string_view key, std::string_view value) {
  std::string entry = std::string(key) + "=" + std::string(value);
  size_t end = 0;
  size_t begin = FindSection(section, &end);
  if (begin == std::string::npos) {
    bool blankBefore = lines_.empty() || Trim(lines_.back().text).empty();
    if (!blankBefore) Insert(lines_.size(), "");
    std::string header(1, '[');
    header.append(section);
    header.push_back(']');
    Insert(lines_.size(), std::move(header));
    Insert(lines_.size(), entry);
    return;
  }
  size_t at = FindEntry(begin, end, key);
  if (at != std::string::npos) {
    Line &line = lines_[at];
    // Only the value changes: the key as written, the blanks around '='.
    size_t valueEnd = line.text.find_last_not_of(" \t\v\f");
    std::string trailing = valueEnd == std::string::npos || valueEnd < line.valueAt
                               ? std::string()
                               : line.text.substr(valueEnd + 1);
    line.text = line.text.substr(0, line.valueAt) + std::string(value) + trailing;
    return;
  }
  // Behind the section's last key, or its header.
  size_t after = begin;
  for (size_t i = begin; i < end; ++i)
    if (lines_[i].kind == Kind::kEntry) after = i + 1;
  Insert(after, entry);
}

}  // namespace volmar

#include "tools/macro/check_model.h"

#include <string.h>

#include <algorithm>

#include "tools/macro/text_util.h"

namespace macro {

SourceMap::SourceMap(const std::string &content, codec::CodePage reading)
    : SourceMap(std::make_shared<const std::string>(content), reading) {}

SourceMap SourceMap::Borrowing(const std::string &content, codec::CodePage reading) {
  // An empty owner: the pointer is only lent.
  return SourceMap(std::shared_ptr<const std::string>(std::shared_ptr<void>(), &content), reading);
}

SourceMap::SourceMap(std::shared_ptr<const std::string> text, codec::CodePage reading)
    : text_(std::move(text)), reading_(reading), bom_(StartsWithBom(*text_) ? 3 : 0) {
  const std::string &content = *text_;
  lineStarts_.push_back(0);
  for (const char *at = content.data(), *end = at + content.size();
       (at = static_cast<const char *>(memchr(at, '\n', static_cast<size_t>(end - at)))) != nullptr;)
    lineStarts_.push_back(static_cast<size_t>(++at - content.data()));
}

SourcePosition SourceMap::At(size_t offset) const {
  if (lineStarts_.empty()) return SourcePosition{1, 1};
  auto next = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  size_t line = static_cast<size_t>(next - lineStarts_.begin());  // 1-based
  size_t start = lineStarts_[line - 1];
  if (line == 1 && offset >= bom_) start = bom_;
  const std::string &content = *text_;
  if (offset > content.size()) offset = content.size();
  // Columns count characters as a person sees them in the line.  A UTF-8
  // sequence is never split by an item's place, so counting on from an
  // earlier place of the same line gives the same column.
  size_t column;
  if (cachedLine_ == line && cachedOffset_ <= offset && cachedOffset_ >= start) {
    column = cachedColumn_ + FileCharacterCount(content.substr(cachedOffset_, offset - cachedOffset_), reading_);
  } else {
    column = FileCharacterCount(content.substr(start, offset - start), reading_) + 1;
  }
  cachedLine_ = line;
  cachedOffset_ = offset;
  cachedColumn_ = column;
  return SourcePosition{static_cast<int>(line), static_cast<int>(column)};
}

std::string SourceMap::Line(int line, size_t limit) const {
  if (line < 1 || static_cast<size_t>(line) > lineStarts_.size()) return std::string();
  const std::string &content = *text_;
  size_t start = line == 1 ? bom_ : lineStarts_[static_cast<size_t>(line) - 1];
  size_t end = static_cast<size_t>(line) < lineStarts_.size() ? lineStarts_[static_cast<size_t>(line)] - 1
                                                              : content.size();
  if (end > start && content[end - 1] == '\r') --end;
  if (end - start > limit) return std::string();
  return content.substr(start, end - start);
}

}  // namespace macro

#include "tools/macro/check_model.h"

#include <algorithm>

#include "tools/macro/text_util.h"

namespace check {

SourceMap::SourceMap(const std::string &content, codec::CodePage reading)
    : content_(content), reading_(reading), bom_(StartsWithBom(content) ? 3 : 0) {
  lineStarts_.push_back(0);
  for (size_t i = 0; i < content_.size(); ++i)
    if (content_[i] == '\n') lineStarts_.push_back(i + 1);
}

SourcePosition SourceMap::At(size_t offset) const {
  if (lineStarts_.empty()) return SourcePosition{1, 1};
  auto next = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  size_t line = static_cast<size_t>(next - lineStarts_.begin());  // 1-based
  size_t start = lineStarts_[line - 1];
  if (line == 1 && offset >= bom_) start = bom_;
  if (offset > content_.size()) offset = content_.size();
  // Columns count characters as a person sees them in the line.  A UTF-8
  // sequence is never split by an item's place, so counting on from an
  // earlier place of the same line gives the same column.
  size_t column;
  if (cachedLine_ == line && cachedOffset_ <= offset && cachedOffset_ >= start) {
    column = cachedColumn_ + FileCharacterCount(content_.substr(cachedOffset_, offset - cachedOffset_), reading_);
  } else {
    column = FileCharacterCount(content_.substr(start, offset - start), reading_) + 1;
  }
  cachedLine_ = line;
  cachedOffset_ = offset;
  cachedColumn_ = column;
  return SourcePosition{static_cast<int>(line), static_cast<int>(column)};
}

std::string SourceMap::Line(int line, size_t limit) const {
  if (line < 1 || static_cast<size_t>(line) > lineStarts_.size()) return std::string();
  size_t start = line == 1 ? bom_ : lineStarts_[static_cast<size_t>(line) - 1];
  size_t end = static_cast<size_t>(line) < lineStarts_.size() ? lineStarts_[static_cast<size_t>(line)] - 1
                                                              : content_.size();
  if (end > start && content_[end - 1] == '\r') --end;
  if (end - start > limit) return std::string();
  return content_.substr(start, end - start);
}

}  // namespace check

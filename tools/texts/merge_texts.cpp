#include "tools/texts/merge_texts.h"

#include <stdio.h>

namespace merge {

std::string Format(const char *format, ...) {
  va_list values;
  va_start(values, format);
  va_list again;
  va_copy(again, values);
  const int length = vsnprintf(nullptr, 0, format, values);
  va_end(values);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) vsnprintf(&text[0], text.size() + 1, format, again);
  va_end(again);
  return text;
}

const lang::Text kMergeTexts[] = {
#define POLISH(id, pl) msg::id,
#define BOTH(id, en, pl) msg::id,
#include "tools/texts/merge_texts_pl.def"
#undef BOTH
#undef POLISH
};
const size_t kMergeTextCount = sizeof kMergeTexts / sizeof kMergeTexts[0];

}  // namespace merge

// The merge: the template once per data row, each placeholder replaced by
// its value written so that the player types exactly what the cell holds.
//
// Beside the macro the merge renders the text the check plays: the same
// macro as the stand-in host would read it (UTF-8 outside bracketed words,
// host text inside them), for the rows the check needs, with a map from
// every stretch of it back to where it came from.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "tools/codec/code_pages.h"
#include "tools/merge/table_reader.h"
#include "tools/merge/template.h"

namespace merge {

// Where a stretch of the checked text came from.
enum class Origin : uint8_t {
  kTemplate,    // the template's bytes (of row `row`)
  kBefore,      // the --before text
  kAfter,       // the --after text
  kValue,       // a value: `row`, `column`; `source` is the placeholder's offset
  kRowNumber,   // {{#}}
  kBracketKey,  // the key name written for a '[' of a value
  kNewlineKey,  // the key name written for a line break of a value
  kSeparator,   // a line break put between rows for readability
};

struct Segment {
  size_t start = 0;     // offset in the checked text
  Origin origin = Origin::kTemplate;
  bool linear = false;  // the source offset advances with the checked text
  size_t source = 0;    // offset in the template / before / after text
  size_t row = 0;       // index into the table's rows
  int column = 0;       // the value's column
};

struct MergeSources {
  std::string dataName;                              // for messages
  const std::string *templateBytes = nullptr;
  const std::vector<TemplatePiece> *pieces = nullptr;
  const std::string *before = nullptr;               // null: none
  const std::string *after = nullptr;
  const Table *table = nullptr;
  size_t firstRow = 0;                               // rows [firstRow, endRow) are merged
  size_t endRow = 0;
};

struct MergeSettings {
  codec::CodePage encoding = codec::CodePage::kUtf8;  // the macro's
  std::string bracketKey;  // the key name whose code is '[' (host text); empty: none
  std::string bracketHint; // what to add to the key file when there is none
  std::string newlineKey;  // typed for a line break in a value; empty: an error
  bool checkEveryRow = false;
};

struct MergeResult {
  std::string macro;              // the merged macro, in the macro's encoding
  std::string checked;            // what the check plays
  std::vector<Segment> segments;  // over `checked`, in order
  std::vector<size_t> checkedRows;
};

// Merges; false with a message naming row, column and character for a
// value that cannot be typed.
bool MergeTable(const MergeSources &sources, const MergeSettings &settings, MergeResult *result,
                std::string *error);

// The segment that holds `offset` of the checked text, and the source
// offset it stands for.
const Segment *FindSegment(const MergeResult &result, size_t offset);
size_t SourceOffset(const Segment &segment, size_t offset);

// True when the stand-in host types the character `c` read from a UTF-8
// macro, or a host of `page` types its byte.
bool Typeable(codec::CodePage page, char32_t c);

}  // namespace merge

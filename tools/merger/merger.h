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
#include "tools/table/table_reader.h"
#include "tools/merger/template.h"

namespace merger {

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

// A data row whose merged text the check plays, and its line in the data.
struct CheckedRow {
  size_t row = 0;
  int line = 0;
};

struct MergeSources {
  std::string dataName;                              // for messages
  const std::string *templateBytes = nullptr;        // in the macro's encoding
  const std::vector<TemplatePiece> *pieces = nullptr;
  const std::string *before = nullptr;               // null: none
  const std::string *after = nullptr;
  const std::vector<std::string> *headers = nullptr;  // the table's columns
};

struct MergeSettings {
  codec::CodePage encoding = codec::CodePage::kUtf8;  // the macro's
  std::string bracketKey;  // the key name whose code is '[' (host text); empty: none
  std::string bracketHint; // what to add to the key file when there is none
  std::string newlineKey;  // typed for a line break in a value; empty: an error
  std::string tabKey;      // typed for a tab in a value; empty: an error
  bool strict = false;     // a non-breaking space or office punctuation is an error
  bool checkEveryRow = false;
};

// The merged text since the caller last took it, and what the check plays
// of it.
struct MergeResult {
  std::string macro;              // the merged macro, in the macro's encoding
  std::string checked;            // what the check plays
  std::vector<Segment> segments;  // over `checked`, in order
  std::vector<CheckedRow> checkedRows;
  // The checked text and its map emptied, the rows' numbering kept.
  void ClearChecked() {
    checked.clear();
    segments.clear();
    checkedRows.clear();
  }
};

// Values that cannot be typed as they stand: the first kProblemsShown in
// full, all of them counted.
inline constexpr size_t kProblemsShown = 20;
struct ValueProblems {
  std::vector<std::string> shown;  // each names row, column and character
  size_t count = 0;
  void Add(std::string message) {
    if (shown.size() < kProblemsShown) shown.push_back(std::move(message));
    ++count;
  }
};

// The merge, a row at a time: the caller gives the rows in order and takes
// the macro's bytes (and the checked text, when CanCut) as they grow.
class RowMerger {
 public:
  RowMerger(const MergeSources &sources, const MergeSettings &settings, MergeResult *out);
  ~RowMerger();

  void Before();  // the --before text
  // One data row (its index among the table's data rows); a value that
  // cannot be typed is added to problems().
  void Row(const table::TableRow &row, size_t index);
  void After();   // the --after text
  // Whether the checked text may be played and cleared here: the macro is
  // not inside a bracketed word.
  bool CanCut() const;

  const ValueProblems &problems() const;
  size_t nonBreakingSpaces() const;
  size_t plainPunctuation() const;  // office punctuation typed in its plain form

 private:
  struct State;
  State *state_;
};

// The segment that holds `offset` of the checked text, and the source
// offset it stands for.
const Segment *FindSegment(const MergeResult &result, size_t offset);
size_t SourceOffset(const Segment &segment, size_t offset);

// True when the stand-in host types the character `c` read from a UTF-8
// macro, or a host of `page` types its byte.
bool Typeable(codec::CodePage page, char32_t c);

// The plain form of punctuation an office suite's autocorrect writes
// („ ” “ ‘ ’ « » – — …), or null for any other character.
const char *PlainPunctuation(char32_t c);

// A non-breaking space, which spreadsheets write in numbers ("1 250,00").
inline bool IsNonBreakingSpace(char32_t c) { return c == 0x00A0 || c == 0x202F; }

}  // namespace merger

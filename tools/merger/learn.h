// A template learnt from a recording: a macro in which the table's first
// data row was typed by hand.  Each of that row's values found in it, where
// the merge would have written it, becomes {{Column}}; merged again with
// that row, the template gives the recording back.
//
// Values are looked for in the text as the host typed it: a character
// taken back with [BACKSPACE] is no longer there, so "Łódx[BACKSPACE]ź" is
// "Łódź", and the placeholder takes in the whole corrected stretch.  A
// value is placed only on the bounds of a word or number, never inside a
// longer one.  The work is linear in the recording.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "tools/macro/check_model.h"
#include "tools/table/table_reader.h"

namespace merger {

struct LearnOptions {
  // How the merge writes a value's '[', line breaks and tabs (empty: it
  // cannot, and such a value is looked for as it stands).
  std::string bracketKey, newlineKey, tabKey;
  // --at Column=N: the value of that column is its Nth place (1-based).
  std::vector<std::pair<std::string, size_t>> at;
};

enum class LearnOutcome {
  kPlaced,      // replaced by {{Column}}
  kAmbiguous,   // found more than once: left as text (choose with --at)
  kMissing,     // not found
  kInsideWord,  // found only inside a bracketed word (a key name or command)
  kEmpty,       // the first row's value is empty: nothing to look for
  kAtTooFar,    // --at named a place beyond those found
  kBadName,     // the column's name cannot stand in a placeholder
  kNear,        // found only inside a longer word or number: left as text
  kUnnamed,     // the column has no name: not looked for
};

// How many places of a value are kept to be shown; the rest are counted.
inline constexpr size_t kPlacesShown = 20;

struct LearnedValue {
  size_t column = 0;
  std::string value;  // UTF-8, as the first row holds it
  LearnOutcome outcome = LearnOutcome::kMissing;
  // The places it was found (outside words, on word bounds): the first
  // kPlacesShown of them, and how many there are.
  std::vector<macro::SourcePosition> places;
  size_t placeCount = 0;
  // kNear: the places inside a longer word or number, the same way.
  std::vector<macro::SourcePosition> nearPlaces;
  size_t nearCount = 0;
  macro::SourcePosition placedAt;             // kPlaced: where
  bool corrected = false;                     // kPlaced: over a correction with Backspace
  // kMissing: the recording's text nearest to the value, and where it
  // stands (line 0: none near enough).
  std::string nearest;
  macro::SourcePosition nearestAt;
  size_t fileOrder = SIZE_MAX;                // the offset the report is sorted by
};

struct LearnResult {
  std::string templateText;          // UTF-8
  std::vector<LearnedValue> values;  // in the recording's order; values not found last
  bool Clean() const {
    for (const LearnedValue &v : values)
      if (v.outcome != LearnOutcome::kPlaced && v.outcome != LearnOutcome::kEmpty &&
          v.outcome != LearnOutcome::kUnnamed)
        return false;
    return true;
  }
};

// Learns from `recording` (UTF-8 macro text) the places of `first`'s values.
LearnResult Learn(const std::string &recording, const std::vector<std::string> &headers,
                  const table::TableRow &first, const LearnOptions &options);

// A value written as the merge writes it outside a bracketed word (a
// UTF-8 macro).
std::string RenderedValue(const std::string &value, const LearnOptions &options);

}  // namespace merger

// A template learnt from a recording: a macro in which the table's first
// data row was typed by hand.  Each of that row's values found in it, where
// the merge would have written it, becomes {{Column}}; merged again with
// that row, the template gives the recording back.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "tools/macro/check_model.h"
#include "tools/table/table_reader.h"

namespace merge {

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
};

struct LearnedValue {
  size_t column = 0;
  std::string value;  // UTF-8, as the first row holds it
  LearnOutcome outcome = LearnOutcome::kMissing;
  std::vector<check::SourcePosition> places;  // every place it was found (outside words)
  check::SourcePosition placedAt;             // kPlaced: where
};

struct LearnResult {
  std::string templateText;          // UTF-8
  std::vector<LearnedValue> values;  // longest value first, as they were placed
  bool Clean() const {
    for (const LearnedValue &v : values)
      if (v.outcome != LearnOutcome::kPlaced && v.outcome != LearnOutcome::kEmpty) return false;
    return true;
  }
};

// Learns from `recording` (UTF-8 macro text) the places of `first`'s values.
LearnResult Learn(const std::string &recording, const std::vector<std::string> &headers,
                  const TableRow &first, const LearnOptions &options);

// A value written as the merge writes it outside a bracketed word.
std::string RenderedValue(const std::string &value, const LearnOptions &options);

}  // namespace merge

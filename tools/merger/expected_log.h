// What the player's log holds for a merged macro, worked out without a log.
//
// The merged rows are played by the player's own code on a host of their
// own (a sim::HostCalls): one macro file, fed from the merged rows as the
// player reads it, and no log open, so the player's log writer returns at
// once.  The entries its log would hold are taken from the player's own
// calls: a key from HostPostKey, a text from HostTypeText, a notice from
// HostAsk; the lines that commands write ([DELAY], [SF11], [RESTART]) come
// from the command that ran ([WAIT] writes none).  Each entry reads as the
// log reader reads the line the player writes for it: that reading is made
// once per key code or text, by the player's own log writer, and kept.
//
// The entries come a unit at a time (--before, a data row or rows that a
// bracketed word joins, --after), each entry with its row and the command
// that wrote it.  A macro that goes back to its start ([RESTART]) cannot
// be lined up with a log: it ends the entries with an error.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/macro/check_model.h"
#include "tools/merger/merger.h"
#include "tools/merger/run_log.h"
#include "tools/table/table_reader.h"

namespace merger {

// A stretch of the merged macro: the --before text, one data row (or rows
// that a bracketed word joins), the --after text.
struct MacroUnit {
  enum class Kind : uint8_t { kBefore, kRow, kAfter };
  Kind kind = Kind::kRow;
  size_t row = 0;       // kRow: the table's row number (from 1)
  std::string checked;  // the macro's text as the host reads it
};

// The merged macro a unit at a time, from the table that `open` gives the
// bytes of, read as a stream; rows whose fields are all empty are left out
// as the merge leaves them out, unless `keepEmptyRows` (--keep-empty-rows).
class MergedUnits {
 public:
  using OpenData = std::function<std::unique_ptr<reader::ByteSource>()>;
  MergedUnits(OpenData open, const table::TableOptions &options, const MergeSources &sources,
              const MergeSettings &settings, bool keepEmptyRows = false);
  ~MergedUnits();
  // Starts over with the data rows first..last (from 1); false with `error`.
  bool Start(size_t first, size_t last, std::string *error);
  // The next unit; false at the end, or with `error`.
  bool Next(MacroUnit *unit, std::string *error);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The macro command that wrote an entry, or none.
enum class EntryCommand : uint8_t { kNone, kWaitEnter, kWait, kHalt, kRestart, kDelay, kSf11 };

struct ExpectedEntry {
  LogEntry entry;   // as the log reader reads its line
  size_t row = 0;   // the unit's row (0: --before or --after)
  EntryCommand command = EntryCommand::kNone;
};

struct ExpectedUnit {
  MacroUnit::Kind kind = MacroUnit::Kind::kRow;
  size_t row = 0;
  std::vector<ExpectedEntry> entries;
};

// The expected entries of a merge, unit after unit.  The key-name table
// must be loaded (checker::BeginPlaying); one ExpectedLog plays at a time.
class ExpectedLog {
 public:
  explicit ExpectedLog(MergedUnits &units);
  ~ExpectedLog();
  ExpectedLog(const ExpectedLog &) = delete;
  ExpectedLog &operator=(const ExpectedLog &) = delete;

  // Starts over with the data rows first..last; false with `error`.
  bool Start(size_t first, size_t last, std::string *error);
  // The next unit and its entries; false at the end, or with `error`.
  bool Next(ExpectedUnit *unit, std::string *error);

 private:
  class Host;
  std::unique_ptr<Host> host_;
};

}  // namespace merger

// Where a run of a merged macro stopped: the player's log lined up with the
// rows of the macro, a row at a time.
//
// What each row sends is not worked out here: the rows of the merge are
// played by the player's own code, and what its log would hold is taken
// from its host calls (expected_log.h).  The real log is read as a stream
// and compared with those entries, entry by entry (run_log.h): keys by code, a key
// logged again when the host did not take it at once (a retry) taken once,
// and a bracketed word that the player typed as characters (a key of the
// user was waiting when it read the '[') taken for the word.
//
// A log may hold several runs: each ends with the notice of the end of the
// file or of a stop by the user; a run ended by closing the host has no
// such notice, and a new run starts where the keys start again from the
// macro's beginning: where an entry does not line up and is not the
// macro's first, the run is lined up again from the latest earlier entry
// that is (a new run whose first row starts like the cut one), looking back
// at most the entries of --before and the first row.  The last run counts.  A run whose keys are not the
// macro's makes the log foreign, with the first place where they differ.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <functional>
#include <memory>
#include <string>

#include "tools/checker/checker.h"
#include "tools/merger/expected_log.h"
#include "tools/merger/run_log.h"

namespace merger {

// Where the last run of a log stopped.
struct ResumePoint {
  enum class Found : uint8_t {
    kNothingTyped,  // no row was begun (a cut inside --before too)
    kCut,           // rows first..cutRow-1 whole, cutRow begun
    kWhole,         // rows first..wholeTo whole, the next not begun
    kAllTyped,      // every row whole
    kForeign,       // the log's last run is not of this macro
  };
  Found found = Found::kNothingTyped;
  size_t first = 1, last = 0;  // the macro's rows (from the header, else first..the table's end)
  bool fromHeader = false;     // the log's header said which rows
  size_t runs = 0;             // runs found in the log
  size_t wholeTo = 0;          // the last row typed whole; 0: none
  size_t cutRow = 0;           // kCut
  size_t sent = 0, total = 0;  // kCut: keys of the cut row sent, and all its keys
  std::string sentText;        // kCut: what of the cut row was sent, as it reads
  size_t next = 0;             // the first row still to type (0: none)
  bool stopped = false;        // the run ended by a stop of the user
  bool noEnd = false;          // the run has no end notice (host closed, or still running)
  // kForeign: the first place where the log and the macro differ.
  size_t line = 0;
  size_t row = 0;              // the row expected there; 0: --before or --after
  std::string expected, seen;  // as they read
};

// Lines the last run of `log` up with the macro of `units`, whose rows,
// when the log has no header, are `first` to the end of the table.  `keys`
// is the key definition file the merge reads.  False with `error` when the
// data cannot be read or the macro cannot be lined up (it restarts).
bool FindResumePoint(LogReader &log, MergedUnits &units, const checker::FileText &keys,
                     size_t first, ResumePoint *point, std::string *error);

}  // namespace merger

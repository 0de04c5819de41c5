// The player's log lined up with the merged macro, a unit at a time.
#include "tools/merger/resume_point.h"

#include <stdint.h>

#include <vector>

#include "host/app/core/text_codec.h"
#include "plugin/keys/key_names.h"
#include "tools/macro/suggest.h"
#include "tools/messages/merge_texts.h"

namespace merger {

using Msg = messages::MergeMsg;

// ---- Lining a run up ------------------------------------------------------

namespace {

// How an entry reads in a message.
std::string EntryText(const LogEntry &entry) {
  switch (entry.kind) {
    case LogEntryKind::kKey: return KeyText(entry.code);
    case LogEntryKind::kName: return "[" + entry.text + "]";
    case LogEntryKind::kText: return "[" + entry.text + "]";
    case LogEntryKind::kHeader: return "# tastiro-merge";
    default: return entry.text;
  }
}

// A key or a text that reaches the host (the no-key code after a command
// does not count).
bool Counts(const LogEntry &entry) {
  return (entry.kind == LogEntryKind::kKey && entry.code != kNoKeyCode) ||
         entry.kind == LogEntryKind::kText;
}

bool IsCommand(const std::string &word) {
  for (const std::string &name : macro::kCommandNames)
    if (name == word) return true;
  return false;
}

// One run lined up with the macro, entry by entry.
class RunAligner {
 public:
  explicit RunAligner(MergedUnits &units) : expected_(units) {}

  // Starts a run of rows first..last; false with `error`.
  bool Begin(size_t first, size_t last, std::string *error);
  // Takes the run's next entry: 1 lined up, 0 not this macro's, -1 error.
  int Take(const LogEntry &entry, std::string *error);
  // Whether `entry` is the first the macro sends (a new run starting).
  bool StartsMacro(const LogEntry &entry) const { return haveFirst_ && entry == first_entry_; }
  // The entries of --before and the first row: how far back a new run may
  // have started when an entry does not line up.
  size_t FirstSpan() const { return firstSpan_; }
  // Where the run stands now; `point` has first and last set.
  bool Result(ResumePoint *point, std::string *error);
  // The first place of difference, for a foreign run.
  void Difference(const LogEntry &entry, ResumePoint *point) const;
  bool Touched() const { return touched_; }

 private:
  // The expected entry at the cursor, loading units as needed; null at the end.
  const LogEntry *Want(std::string *error);
  int TakeWord(const LogEntry &entry, std::string *error);
  int ConsumeWord(std::string *error);

  ExpectedLog expected_;
  size_t first_ = 1, last_ = 0;
  ExpectedUnit unit_;
  bool haveUnit_ = false, ended_ = false, touched_ = false;
  std::vector<ExpectedEntry> &want_ = unit_.entries;
  LogEntry first_entry_;
  bool haveFirst_ = false, spanDone_ = false;
  size_t firstSpan_ = 0;
  size_t at_ = 0;
  LogEntry lastKey_;
  bool haveLastKey_ = false;
  bool inWord_ = false;
  std::string word_;  // host text of a word being typed as characters
};

bool RunAligner::Begin(size_t first, size_t last, std::string *error) {
  first_ = first;
  last_ = last;
  haveUnit_ = ended_ = touched_ = haveLastKey_ = inWord_ = false;
  want_.clear();
  at_ = 0;
  return expected_.Start(first, last, error);
}

const LogEntry *RunAligner::Want(std::string *error) {
  while (!ended_ && (!haveUnit_ || at_ >= want_.size())) {
    if (!expected_.Next(&unit_, error)) {
      ended_ = true;
      if (!error->empty()) return nullptr;
      break;
    }
    haveUnit_ = true;
    at_ = 0;
    if (!haveFirst_ && !want_.empty()) {
      haveFirst_ = true;
      first_entry_ = want_.front().entry;
    }
    if (!spanDone_) {
      firstSpan_ += want_.size();
      spanDone_ = unit_.kind != MacroUnit::Kind::kBefore;
    }
  }
  return ended_ ? nullptr : &want_[at_].entry;
}

int RunAligner::Take(const LogEntry &entry, std::string *error) {
  if (inWord_) return TakeWord(entry, error);
  const LogEntry *want = Want(error);
  if (!error->empty()) return -1;
  if (want != nullptr && entry == *want) {
    ++at_;
    touched_ = true;
    haveLastKey_ = entry.kind == LogEntryKind::kKey;
    lastKey_ = entry;
    return 1;
  }
  // The host did not take the key at once: the player sent it again.
  if (haveLastKey_ && entry == lastKey_) return 1;
  // A key of the user was waiting when the player read '[': the word goes
  // to the host as its characters.
  if (entry.kind == LogEntryKind::kKey && entry.code == '[' && want != nullptr) {
    inWord_ = true;
    word_.clear();
    return 1;
  }
  return 0;
}

int RunAligner::TakeWord(const LogEntry &entry, std::string *error) {
  if (entry.kind != LogEntryKind::kKey || entry.code == 0 || entry.code > 0xFF) return 0;
  if (entry.code != ']') {
    word_.push_back(static_cast<char>(entry.code));
    return word_.size() <= 19 ? 1 : 0;
  }
  inWord_ = false;
  return ConsumeWord(error);
}

// The expected entries that the word typed as characters stands for.
int RunAligner::ConsumeWord(std::string *error) {
  const LogEntry *want = Want(error);
  if (want == nullptr) return error->empty() ? 0 : -1;
  touched_ = true;
  haveLastKey_ = false;
  if (IsCommand(word_)) {
    // A command's own entries, up to the key it hands over.
    for (; at_ < want_.size(); ++at_) {
      const LogEntry &e = want_[at_].entry;
      if (e.kind == LogEntryKind::kKey && (e.code == kNoKeyCode || e.code == 0x8700)) {
        ++at_;
        return 1;
      }
    }
    return 0;
  }
  const uint32_t code = FindKeyCode(word_.c_str()) & 0xFFFF;
  const bool matches = code != 0 ? want->kind == LogEntryKind::kKey && want->code == code
                                 : want->kind == LogEntryKind::kText &&
                                       want->text == volmar::HostTextToUtf8(word_);
  if (!matches) return 0;
  ++at_;
  return 1;
}

void RunAligner::Difference(const LogEntry &entry, ResumePoint *point) const {
  point->found = ResumePoint::Found::kForeign;
  point->line = entry.line;
  point->seen = EntryText(entry);
  const bool inUnit = haveUnit_ && at_ < want_.size();
  point->expected = inUnit ? EntryText(want_[at_].entry) : std::string();
  point->row = haveUnit_ && unit_.kind == MacroUnit::Kind::kRow ? unit_.row : 0;
}

bool RunAligner::Result(ResumePoint *point, std::string *error) {
  point->first = first_;
  point->last = last_;
  // Nothing sent by a macro that sends nothing at all: nothing is left either.
  if (!touched_ && Want(error) == nullptr && error->empty()) ended_ = true;
  if (!error->empty()) return false;
  if (!touched_ || !haveUnit_ || ended_ || unit_.kind == MacroUnit::Kind::kBefore) {
    const bool all = ended_ || (haveUnit_ && unit_.kind == MacroUnit::Kind::kAfter);
    point->found = all ? ResumePoint::Found::kAllTyped : ResumePoint::Found::kNothingTyped;
    point->next = all ? 0 : first_;
    return true;
  }
  if (unit_.kind == MacroUnit::Kind::kAfter) {
    point->found = ResumePoint::Found::kAllTyped;
    return true;
  }
  if (at_ == 0) {  // the row before was the last one sent whole
    point->wholeTo = unit_.row > first_ ? unit_.row - 1 : 0;
    point->found = point->wholeTo == 0 ? ResumePoint::Found::kNothingTyped
                                       : ResumePoint::Found::kWhole;
    point->next = unit_.row;
    return true;
  }
  if (at_ < want_.size()) {
    point->found = ResumePoint::Found::kCut;
    point->cutRow = point->next = unit_.row;
    point->wholeTo = unit_.row > first_ ? unit_.row - 1 : 0;
    for (size_t i = 0; i < want_.size(); ++i) {
      const LogEntry &e = want_[i].entry;
      if (!Counts(e)) continue;
      ++point->total;
      if (i < at_) {
        ++point->sent;
        point->sentText += e.kind == LogEntryKind::kText ? e.text : KeyText(e.code);
      }
    }
    return true;
  }
  // The unit is whole: is there another row?
  point->wholeTo = unit_.row;
  ExpectedUnit next;
  const bool more = expected_.Next(&next, error) && next.kind == MacroUnit::Kind::kRow;
  if (!error->empty()) return false;
  point->found = more ? ResumePoint::Found::kWhole : ResumePoint::Found::kAllTyped;
  point->next = more ? next.row : 0;
  return true;
}

// The log read through, run by run.
class LogWalk {
 public:
  LogWalk(MergedUnits &units, size_t first) : aligner_(units), first_(first) {}
  bool Walk(LogReader &log, ResumePoint *point, std::string *error);

 private:
  bool Open(std::string *error);
  bool Close(std::string *error);
  bool Entry(const LogEntry &entry, std::string *error);
  int Realign(const LogEntry &entry, std::string *error);
  void Keep(const LogEntry &entry);

  RunAligner aligner_;
  size_t first_, last_ = SIZE_MAX;
  bool fromHeader_ = false;
  bool inRun_ = false, foreign_ = false;
  ResumePoint run_, lastRun_;
  size_t runs_ = 0;
  // The run's entries since the earliest place a new run may have begun
  // (an entry equal to the macro's first), at most the first row's worth.
  std::vector<LogEntry> back_;
};

bool LogWalk::Open(std::string *error) {
  inRun_ = true;
  foreign_ = false;
  run_ = ResumePoint();
  back_.clear();
  ++runs_;
  return aligner_.Begin(first_, last_, error);
}

bool LogWalk::Close(std::string *error) {
  if (!inRun_) return true;
  inRun_ = false;
  if (!foreign_ && !aligner_.Result(&run_, error)) return false;
  lastRun_ = run_;
  return true;
}

// Keeps an entry lined up with the run, for a new run found later.
void LogWalk::Keep(const LogEntry &entry) {
  if (back_.empty() && !aligner_.StartsMacro(entry)) return;
  back_.push_back(entry);
  const size_t most = aligner_.FirstSpan() > 64 ? aligner_.FirstSpan() : 64;
  if (back_.size() <= most) return;
  // Too far back for a new run's first row: the next possible start.
  size_t from = 1;
  while (from < back_.size() && !aligner_.StartsMacro(back_[from])) ++from;
  back_.erase(back_.begin(), back_.begin() + static_cast<std::ptrdiff_t>(from));
}

// An entry that does not line up: a new run may have begun at a kept
// entry (the host closed, and the new run's first row starts like the cut
// one).  Tries each, the earliest first: 1 lined up anew, 0 not, -1 error.
int LogWalk::Realign(const LogEntry &entry, std::string *error) {
  std::vector<LogEntry> kept;
  kept.swap(back_);
  const size_t runs = runs_;
  for (size_t start = 0; start < kept.size(); ++start) {
    if (start > 0 && !aligner_.StartsMacro(kept[start])) continue;
    if (start == 0 && !aligner_.StartsMacro(kept[0])) continue;
    runs_ = runs;
    if (!Open(error)) return -1;
    int taken = 1;
    for (size_t i = start; i < kept.size() && taken == 1; ++i) {
      taken = aligner_.Take(kept[i], error);
      if (taken == 1 && i > start) Keep(kept[i]);
    }
    if (taken == 1) taken = aligner_.Take(entry, error);
    if (taken < 0) return -1;
    if (taken == 1) {
      Keep(entry);
      return 1;
    }
  }
  runs_ = runs;
  return 0;
}

bool LogWalk::Entry(const LogEntry &entry, std::string *error) {
  if (entry.kind == LogEntryKind::kHeader) {
    if (!Close(error)) return false;
    first_ = entry.first;
    last_ = entry.last;
    fromHeader_ = true;
    return true;
  }
  if (entry.kind == LogEntryKind::kEnd) {
    if (!inRun_ && !Open(error)) return false;  // a run that sent nothing
    run_.stopped = entry.stopped;
    run_.noEnd = false;
    return Close(error);
  }
  if (!inRun_ && !Open(error)) return false;
  if (foreign_) return true;  // up to the run's end notice or a header
  const bool touched = aligner_.Touched();
  int taken = aligner_.Take(entry, error);
  if (taken == 1 && touched) Keep(entry);
  if (taken == 0 && aligner_.Touched() && aligner_.StartsMacro(entry)) {
    // The keys start again from the beginning: the host was closed.
    run_.noEnd = true;
    if (!Close(error) || !Open(error)) return false;
    taken = aligner_.Take(entry, error);
  }
  if (taken == 0 && !back_.empty()) {
    // Not the place the run went on from: where the last run began instead.
    ResumePoint here = run_;
    aligner_.Difference(entry, &here);
    run_.noEnd = true;
    lastRun_ = run_;
    inRun_ = true;
    taken = Realign(entry, error);
    if (taken == 0) {
      run_ = here;
      foreign_ = true;
      inRun_ = true;
      return true;
    }
  }
  if (taken < 0) return false;
  if (taken == 0) {
    aligner_.Difference(entry, &run_);
    foreign_ = true;
  }
  run_.noEnd = true;
  return true;
}

bool LogWalk::Walk(LogReader &log, ResumePoint *point, std::string *error) {
  LogEntry entry;
  while (log.Next(&entry))
    if (!Entry(entry, error)) return false;
  if (log.failed()) {
    *error = Say(Msg::kResumeReadError);
    return false;
  }
  if (!Close(error)) return false;
  if (runs_ == 0) {
    lastRun_ = ResumePoint();
    lastRun_.first = lastRun_.next = first_;
    lastRun_.last = last_;
  }
  *point = lastRun_;
  point->fromHeader = fromHeader_;
  point->runs = runs_;
  return true;
}

}  // namespace

bool FindResumePoint(LogReader &log, MergedUnits &units, const checker::FileText &keys,
                     size_t first, ResumePoint *point, std::string *error) {
  checker::BeginPlaying(keys);
  bool done = false;
  {
    LogWalk walk(units, first);
    done = walk.Walk(log, point, error);
  }  // the rows' host gives the key-name table's memory back first
  checker::EndPlaying();
  return done;
}

}  // namespace merger

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

// ---- The units of a merge -------------------------------------------------

struct MergedUnits::State {
  OpenData open;
  table::TableOptions options;
  MergeSources sources;
  MergeSettings settings;
  bool keepEmptyRows = false;
  std::unique_ptr<reader::ByteSource> bytes;
  std::unique_ptr<table::TableStream> stream;
  table::Table table;
  MergeResult piece;
  std::unique_ptr<RowMerger> merger;
  size_t first = 1, last = SIZE_MAX, index = 0;
  enum class Phase { kBefore, kRows, kAfter, kDone } phase = Phase::kDone;

  // The unit the merger has made since the last one.
  void Take(MacroUnit::Kind kind, size_t row, MacroUnit *unit) {
    unit->kind = kind;
    unit->row = row;
    unit->checked.swap(piece.checked);
    piece.ClearChecked();
    piece.macro.clear();
  }
  bool Rows(MacroUnit *unit, std::string *error);
};

MergedUnits::MergedUnits(OpenData open, const table::TableOptions &options, const MergeSources &sources,
                         const MergeSettings &settings, bool keepEmptyRows)
    : state_(new State) {
  state_->keepEmptyRows = keepEmptyRows;
  state_->open = std::move(open);
  state_->options = options;
  state_->sources = sources;
  state_->settings = settings;
  state_->settings.checkEveryRow = true;
}

MergedUnits::~MergedUnits() = default;

bool MergedUnits::Start(size_t first, size_t last, std::string *error) {
  State &s = *state_;
  s.merger.reset();
  s.stream.reset();
  s.bytes = s.open();
  s.phase = State::Phase::kDone;
  if (s.bytes == nullptr) {
    *error = Say(Msg::kResumeCannotReadData, {s.sources.dataName});
    return false;
  }
  s.stream.reset(new table::TableStream(*s.bytes, s.options));
  table::TableError tableError;
  if (!s.stream->ReadHeader(&s.table, &tableError)) {
    *error = s.sources.dataName + ": " + tableError.message;
    return false;
  }
  s.piece = MergeResult();
  s.merger.reset(new RowMerger(s.sources, s.settings, &s.piece));
  s.first = first;
  s.last = last;
  s.index = 0;
  s.phase = State::Phase::kBefore;
  return true;
}

// The next row in the range, with the rows a bracketed word joins to it.
bool MergedUnits::State::Rows(MacroUnit *unit, std::string *error) {
  table::TableRow row;
  table::TableError tableError;
  size_t unitRow = 0;
  while (index + 1 <= last && stream->Next(&row, &tableError)) {
    const size_t number = ++index;
    if (number < first) continue;
    // An empty row is not typed (it keeps its number), as in the merge.
    if (!keepEmptyRows && table::IsEmptyRow(row, table.unnamed)) continue;
    merger->Row(row, number - 1);
    if (unitRow == 0) unitRow = number;
    if (merger->CanCut()) break;
  }
  if (!tableError.message.empty()) {
    *error = sources.dataName + ":" + std::to_string(tableError.line) + ": " + tableError.message;
    return false;
  }
  if (unitRow == 0) return false;
  Take(MacroUnit::Kind::kRow, unitRow, unit);
  return true;
}

bool MergedUnits::Next(MacroUnit *unit, std::string *error) {
  State &s = *state_;
  error->clear();
  if (s.phase == State::Phase::kBefore) {
    s.phase = State::Phase::kRows;
    s.merger->Before();
    if (s.sources.before != nullptr) {
      s.Take(MacroUnit::Kind::kBefore, 0, unit);
      return true;
    }
  }
  if (s.phase == State::Phase::kRows) {
    if (s.Rows(unit, error)) return true;
    if (!error->empty()) return false;
    s.phase = State::Phase::kAfter;
  }
  if (s.phase == State::Phase::kAfter) {
    s.phase = State::Phase::kDone;
    s.merger->After();
    if (s.sources.after != nullptr) {
      s.Take(MacroUnit::Kind::kAfter, 0, unit);
      return true;
    }
  }
  return false;
}

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

// What the player writes to its log for a unit, played on the simulated host.
bool Expect(const MacroUnit &unit, const macro::KeyFileReport &keys,
            std::vector<LogEntry> *entries, std::string *error) {
  checker::PlayOptions options;
  options.keepLog = true;
  options.keepStream = false;
  options.keepPostedKeys = false;
  const macro::MacroReport played = checker::PlayMacro("macro", unit.checked, keys, options);
  entries->clear();
  if (played.restarts) {
    *error = Say(Msg::kResumeRestarts);
    return false;
  }
  LogReader reader(played.log);
  LogEntry entry;
  while (reader.Next(&entry)) entries->push_back(entry);
  if (!entries->empty() && entries->back().kind == LogEntryKind::kEnd) entries->pop_back();
  return true;
}

// One run lined up with the macro, entry by entry.
class RunAligner {
 public:
  RunAligner(UnitSource &units, const macro::KeyFileReport &keys) : units_(units), keys_(keys) {}

  // Starts a run of rows first..last; false with `error`.
  bool Begin(size_t first, size_t last, std::string *error);
  // Takes the run's next entry: 1 lined up, 0 not this macro's, -1 error.
  int Take(const LogEntry &entry, std::string *error);
  // Whether `entry` is the first the macro sends (a new run starting).
  bool StartsMacro(const LogEntry &entry) const {
    return !firstEntries_.empty() && entry == firstEntries_.front();
  }
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

  UnitSource &units_;
  const macro::KeyFileReport &keys_;
  size_t first_ = 1, last_ = 0;
  MacroUnit unit_;
  bool haveUnit_ = false, ended_ = false, touched_ = false;
  std::vector<LogEntry> want_, firstEntries_;
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
  return units_.Start(first, last, error);
}

const LogEntry *RunAligner::Want(std::string *error) {
  while (!ended_ && (!haveUnit_ || at_ >= want_.size())) {
    if (!units_.Next(&unit_, error)) {
      ended_ = true;
      if (!error->empty()) return nullptr;
      break;
    }
    haveUnit_ = true;
    at_ = 0;
    if (!Expect(unit_, keys_, &want_, error)) return nullptr;
    if (firstEntries_.empty()) firstEntries_ = want_;
  }
  return ended_ ? nullptr : &want_[at_];
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
      const LogEntry &e = want_[at_];
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
  point->expected = inUnit ? EntryText(want_[at_]) : std::string();
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
      if (!Counts(want_[i])) continue;
      ++point->total;
      if (i < at_) {
        ++point->sent;
        point->sentText += want_[i].kind == LogEntryKind::kText ? want_[i].text : KeyText(want_[i].code);
      }
    }
    return true;
  }
  // The unit is whole: is there another row?
  point->wholeTo = unit_.row;
  MacroUnit next;
  const bool more = units_.Next(&next, error) && next.kind == MacroUnit::Kind::kRow;
  if (!error->empty()) return false;
  point->found = more ? ResumePoint::Found::kWhole : ResumePoint::Found::kAllTyped;
  point->next = more ? next.row : 0;
  return true;
}

// The log read through, run by run.
class LogWalk {
 public:
  LogWalk(UnitSource &units, const macro::KeyFileReport &keys, size_t first)
      : aligner_(units, keys), first_(first) {}
  bool Walk(LogReader &log, ResumePoint *point, std::string *error);

 private:
  bool Open(std::string *error);
  bool Close(std::string *error);
  bool Entry(const LogEntry &entry, std::string *error);

  RunAligner aligner_;
  size_t first_, last_ = SIZE_MAX;
  bool fromHeader_ = false;
  bool inRun_ = false, foreign_ = false;
  ResumePoint run_, lastRun_;
  size_t runs_ = 0;
};

bool LogWalk::Open(std::string *error) {
  inRun_ = true;
  foreign_ = false;
  run_ = ResumePoint();
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
  int taken = aligner_.Take(entry, error);
  if (taken == 0 && aligner_.Touched() && aligner_.StartsMacro(entry)) {
    // The keys start again from the beginning: the host was closed.
    run_.noEnd = true;
    if (!Close(error) || !Open(error)) return false;
    taken = aligner_.Take(entry, error);
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

bool FindResumePoint(LogReader &log, UnitSource &units, const checker::FileText &keys,
                     size_t first, ResumePoint *point, std::string *error) {
  const macro::KeyFileReport keyReport = checker::BeginPlaying(keys);
  LogWalk walk(units, keyReport, first);
  const bool done = walk.Walk(log, point, error);
  checker::EndPlaying();
  return done;
}

}  // namespace merger

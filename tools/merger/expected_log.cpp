// The player's log for a merged macro, from the player's own host calls.
#include "tools/merger/expected_log.h"

#include <stdint.h>
#include <string.h>

#include <deque>
#include <unordered_map>
#include <utility>

#include "player/entry/key_filter.h"
#include "player/playback/commands.h"
#include "player/playback/macro_log.h"
#include "player/playback/player_state.h"
#include "player/playback/player_texts.h"
#include "plugin/contract/host_values.h"
#include "plugin/contract/macro_bytes.h"
#include "plugin/contract/macro_commands.h"
#include "sim/sim_clock.h"
#include "sim/sim_slots.h"
#include "sim/sim_text.h"
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

// ---- The host the rows are played on ----------------------------------------

namespace {

// The macro's handle, and the handle the log writer writes a line to when
// the reading of an entry is made.
constexpr HostFile kMacroHandle = 1;
constexpr HostFile kCaptureHandle = 2;
// The virtual clock starts away from 0: a pause start of 0 means no pause.
constexpr uint32_t kClockStart = 0x10000;
// Every call reads a byte, answers a wait or hands over a key held back:
// more calls than this in a row without a byte read end the playing.
constexpr int kCallsWithoutByte = 16;
// Readings of texts kept at most (each text of a macro is at most 19
// characters; a table may make many).
constexpr size_t kTextsKept = 4096;

// The command a bracketed word names, in the order of macro_commands.h.
EntryCommand CommandOf(const std::string &word) {
  static const char *const kNames[] = {
#define EXPECTED_COMMAND_NAME(Id, name, ...) name,
      MACRO_COMMAND_TABLE(EXPECTED_COMMAND_NAME)
#undef EXPECTED_COMMAND_NAME
  };
  for (size_t i = 0; i < sizeof kNames / sizeof kNames[0]; ++i)
    if (word == kNames[i]) return static_cast<EntryCommand>(i + 1);
  return EntryCommand::kNone;
}

// Whether a command writes a line of its own name: [RESTART], [DELAY] and
// [SF11]; WAITENTER and HALT write their notice, WAIT nothing.
bool WritesItsName(EntryCommand command) {
  return command == EntryCommand::kRestart || command == EntryCommand::kDelay ||
         command == EntryCommand::kSf11;
}

}  // namespace

class ExpectedLog::Host : public sim::HostCalls {
 public:
  explicit Host(MergedUnits &units) : units_(units) {}

  bool Start(size_t first, size_t last, std::string *error);
  bool Next(ExpectedUnit *unit, std::string *error);
  void Uninstall();

 protected:
  int32_t HostFileGetc(HostFile handle) override;
  int32_t HostFileRewind(HostFile handle) override;
  int32_t HostFileClose(HostFile handle) override;
  int32_t HostFileFlush(HostFile) override { return 0; }
  uint32_t HostConvertChar(int32_t byte, int32_t mode, int32_t one) override;
  uint32_t HostKeyPending() override;
  int32_t HostPostKey(uint32_t key) override;
  int32_t HostTypeText(const char *text) override;
  int32_t HostAsk(const char *title, const char *text, uint32_t flags) override;
  int32_t HostDateTimeText(char *date, char *time, int32_t flags) override;
  int32_t HostFilePrintf(HostFile file, const char *format, va_list values) override;

 private:
  struct Fed {
    MacroUnit::Kind kind;
    size_t row;
    uint64_t seq;
  };

  bool Fetch();
  bool Call();
  void Emit(const LogEntry &entry, EntryCommand command);
  const LogEntry &KeyEntry(uint32_t code);
  const LogEntry &LineEntry(const char *format, const char *text);
  LogEntry Capture();

  MergedUnits &units_;
  sim::HostCalls *previous_ = nullptr;
  bool installed_ = false;
  // The macro file: the unit being read, and the units read but not yet
  // handed out with their entries.
  MacroUnit unit_;
  size_t at_ = 0;
  uint64_t seq_ = 0, fetchedSeq_ = 0, lastSeq_ = 0;
  bool haveUnit_ = false, peeked_ = false, unitsEnded_ = false;
  MacroUnit peek_;
  std::deque<Fed> fed_;
  std::deque<std::pair<uint64_t, ExpectedEntry>> out_;
  // The player's state as its calls show it.
  host::MacroByteDecoder decoder_;
  uint32_t lastConverted_ = 0;
  bool wordOpen_ = false, wordClosed_ = false;
  std::string word_;
  bool echoShiftF11_ = false, ended_ = false, restarted_ = false;
  int callsWithoutByte_ = 0;
  std::string error_;
  // The log writer's lines, read once each.
  std::string capture_;
  std::unordered_map<uint32_t, LogEntry> keys_;
  std::unordered_map<std::string, LogEntry> texts_;
};

bool ExpectedLog::Host::Start(size_t first, size_t last, std::string *error) {
  if (!installed_) {
    // The key-name table lives in the installed host's memory: it moves
    // here while the rows play, and back afterwards.
    previous_ = sim::InstalledHostCalls();
    if (previous_ != nullptr) memory = std::move(previous_->memory);
    sim::InstallHostCalls(*this);
    installed_ = true;
  }
  unit_ = MacroUnit();
  peek_ = MacroUnit();
  at_ = 0;
  seq_ = fetchedSeq_ = lastSeq_ = 0;
  haveUnit_ = peeked_ = unitsEnded_ = false;
  fed_.clear();
  out_.clear();
  decoder_ = host::MacroByteDecoder();
  lastConverted_ = 0;
  wordOpen_ = wordClosed_ = echoShiftF11_ = ended_ = restarted_ = false;
  callsWithoutByte_ = 0;
  error_.clear();
  ResetPlayerState();
  sim::SetClock(kClockStart);
  g_player.macroFile = kMacroHandle;
  g_player.logFile = 0;
  return units_.Start(first, last, error);
}

void ExpectedLog::Host::Uninstall() {
  if (!installed_) return;
  installed_ = false;
  g_player.macroFile = 0;
  if (previous_ != nullptr) {
    previous_->memory = std::move(memory);
    sim::InstallHostCalls(*previous_);
  }
}

// The next unit into the macro file; false at the end of the units.
bool ExpectedLog::Host::Fetch() {
  if (peeked_) {
    peeked_ = false;
    unit_.kind = peek_.kind;
    unit_.row = peek_.row;
    unit_.checked.swap(peek_.checked);
    seq_ = fetchedSeq_;
    at_ = 0;
    return true;
  }
  if (unitsEnded_) return false;
  std::string error;
  if (!units_.Next(&unit_, &error)) {
    unitsEnded_ = true;
    if (!error.empty() && error_.empty()) error_ = error;
    return false;
  }
  seq_ = ++fetchedSeq_;
  fed_.push_back({unit_.kind, unit_.row, seq_});
  at_ = 0;
  return true;
}

int32_t ExpectedLog::Host::HostFileGetc(HostFile handle) {
  if (handle != kMacroHandle) return -1;
  while (!haveUnit_ || at_ >= unit_.checked.size()) {
    if (!Fetch()) return -1;
    haveUnit_ = true;
  }
  callsWithoutByte_ = 0;
  uint8_t byte = static_cast<uint8_t>(unit_.checked[at_++]);
  // Text mode: a carriage return right before a line feed is not seen,
  // also where the line feed begins the next unit.
  if (byte == '\r') {
    if (at_ < unit_.checked.size()) {
      if (unit_.checked[at_] == '\n') byte = static_cast<uint8_t>(unit_.checked[at_++]);
    } else if (!peeked_ && !unitsEnded_) {
      std::string error;
      if (units_.Next(&peek_, &error)) {
        peeked_ = true;
        fed_.push_back({peek_.kind, peek_.row, ++fetchedSeq_});
      } else {
        unitsEnded_ = true;
        if (!error.empty() && error_.empty()) error_ = error;
      }
      if (peeked_ && !peek_.checked.empty() && peek_.checked[0] == '\n') {
        Fetch();
        byte = static_cast<uint8_t>(unit_.checked[at_++]);
      }
    }
  }
  if (byte != '\r' && byte != '\n') lastSeq_ = seq_;
  if (wordOpen_) {
    if (byte == ']') {
      wordOpen_ = false;
      wordClosed_ = true;
    } else if (word_.size() < kMacroWordChars + 1) {
      word_.push_back(static_cast<char>(byte));
    }
  }
  return byte;
}

int32_t ExpectedLog::Host::HostFileRewind(HostFile) {
  restarted_ = true;
  return 0;
}

int32_t ExpectedLog::Host::HostFileClose(HostFile) { return 0; }

uint32_t ExpectedLog::Host::HostConvertChar(int32_t byte, int32_t mode, int32_t) {
  if (mode != host::kConvertCharMode) return static_cast<uint32_t>(byte & 0xFF);
  lastConverted_ = decoder_.Feed(static_cast<uint8_t>(byte));
  return lastConverted_;
}

uint32_t ExpectedLog::Host::HostKeyPending() {
  // Asked for every character read: a '[' now opens a word.
  if (lastConverted_ == '[') {
    wordOpen_ = true;
    wordClosed_ = false;
    word_.clear();
  }
  lastConverted_ = 0;
  return host::kNoKey;
}

int32_t ExpectedLog::Host::HostPostKey(uint32_t key) {
  const EntryCommand command = wordClosed_ ? CommandOf(word_) : EntryCommand::kNone;
  if (WritesItsName(command)) Emit(LineEntry(kLogNameFormat, word_.c_str()), command);
  Emit(KeyEntry(key & 0xFFFF), command);
  if (command == EntryCommand::kSf11) echoShiftF11_ = true;
  wordClosed_ = false;
  return 1;
}

int32_t ExpectedLog::Host::HostTypeText(const char *text) {
  Emit(LineEntry(kLogTextFormat, text != nullptr ? text : ""), EntryCommand::kNone);
  wordClosed_ = false;
  return 1;
}

int32_t ExpectedLog::Host::HostAsk(const char *, const char *text, uint32_t) {
  if (text == nullptr || strcmp(text, kStopQuestion.c_str()) == 0) return 0;  // "no"
  if (strcmp(text, kEndOfFileText.c_str()) == 0 || strcmp(text, kStoppedText.c_str()) == 0) {
    ended_ = true;
    return 0;
  }
  Emit(LineEntry(kLogNoticeFormat, text), wordClosed_ ? CommandOf(word_) : EntryCommand::kNone);
  return 0;
}

int32_t ExpectedLog::Host::HostDateTimeText(char *date, char *time, int32_t) {
  // Only a line read for its entry is written: any stamp will do.
  if (date != nullptr) strcpy(date, "1");
  if (time != nullptr) strcpy(time, "1");
  return 0;
}

int32_t ExpectedLog::Host::HostFilePrintf(HostFile file, const char *format, va_list values) {
  if (file != kCaptureHandle) return -1;
  // As a file in text mode writes it: a line feed goes out as CR LF.
  for (char c : sim::FormatV(format, values)) {
    if (c == '\n') capture_ += '\r';
    capture_ += c;
  }
  return 0;
}

LogEntry ExpectedLog::Host::Capture() {
  LogReader reader(capture_);
  LogEntry entry;
  reader.Next(&entry);
  entry.line = 0;
  capture_.clear();
  return entry;
}

// A key's entry: its line, written by the player's own log writer, read
// back by the log reader, once per code.
const LogEntry &ExpectedLog::Host::KeyEntry(uint32_t code) {
  auto found = keys_.find(code);
  if (found != keys_.end()) return found->second;
  g_player.logFile = kCaptureHandle;
  WriteKeyLine(static_cast<int32_t>(code));
  g_player.logFile = 0;
  return keys_.emplace(code, Capture()).first->second;
}

// The entry of a line of the player's `format` with `text`, once per text.
const LogEntry &ExpectedLog::Host::LineEntry(const char *format, const char *text) {
  std::string key = std::string(format) + '\0' + text;
  auto found = texts_.find(key);
  if (found != texts_.end()) return found->second;
  if (texts_.size() >= kTextsKept) texts_.clear();
  g_player.logFile = kCaptureHandle;
  WriteLogLine(format, text);
  g_player.logFile = 0;
  return texts_.emplace(std::move(key), Capture()).first->second;
}

void ExpectedLog::Host::Emit(const LogEntry &entry, EntryCommand command) {
  out_.emplace_back(lastSeq_, ExpectedEntry{entry, 0, command});
}

// One call of the key filter as the host makes it; false when the playing
// is over.
bool ExpectedLog::Host::Call() {
  if (ended_ || restarted_ || g_player.macroFile == 0) return false;
  uint32_t key = host::kNoKey;
  if (echoShiftF11_) {
    echoShiftF11_ = false;  // the host hands SF11's Shift+F11 back; "no" to stopping
    key = host::kKeyShiftF11;
  } else if (g_player.waitMode == kWaitingForEnter) {
    key = host::kKeyEnter;
  } else if (g_player.waitMode == kHalted) {
    key = host::kKeyShiftF11;
  }
  if (++callsWithoutByte_ > kCallsWithoutByte) {
    ended_ = true;
    return false;
  }
  PluginKeyFilter(key);
  // The pause is not waited for: the clock moves on by its length.
  if (g_player.pauseLength != 0) sim::AdvanceClock(g_player.pauseLength);
  if (g_player.macroFile == 0) ended_ = true;
  return !ended_ && !restarted_;
}

bool ExpectedLog::Host::Next(ExpectedUnit *unit, std::string *error) {
  error->clear();
  // A unit is whole when the player has read a character of a later one.
  for (;;) {
    if (restarted_) {
      *error = Say(Msg::kResumeRestarts);
      return false;
    }
    if (!error_.empty()) {
      *error = error_;
      return false;
    }
    if (!fed_.empty() && lastSeq_ > fed_.front().seq) break;
    if (!Call()) {
      if (restarted_) continue;
      break;
    }
  }
  if (!error_.empty()) {
    *error = error_;
    return false;
  }
  if (fed_.empty()) return false;
  const Fed fed = fed_.front();
  fed_.pop_front();
  unit->kind = fed.kind;
  unit->row = fed.row;
  unit->entries.clear();
  while (!out_.empty() && out_.front().first <= fed.seq) {
    unit->entries.push_back(std::move(out_.front().second));
    unit->entries.back().row = fed.kind == MacroUnit::Kind::kRow ? fed.row : 0;
    out_.pop_front();
  }
  return true;
}

ExpectedLog::ExpectedLog(MergedUnits &units) : host_(new Host(units)) {}

ExpectedLog::~ExpectedLog() { host_->Uninstall(); }

bool ExpectedLog::Start(size_t first, size_t last, std::string *error) {
  return host_->Start(first, last, error);
}

bool ExpectedLog::Next(ExpectedUnit *unit, std::string *error) { return host_->Next(unit, error); }

}  // namespace merger

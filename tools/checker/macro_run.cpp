// Playing a macro through the player's own key filter.
//
// The host's part is played here: the key filter is called with the no-key
// code, as the host calls it when it has nothing to do; a wait for Enter is
// answered with Enter and a halt with Shift+F11, as the user would; the
// Shift+F11 that SF11 hands to the host comes back through the filter, as
// the host hands every posted key back, and the stop question it raises is
// answered "no".  Other posted keys are taken and not handed back: all they
// would meet is the pause, which holds them and changes nothing else.  The
// pause is not waited for: whenever the player arms it, the virtual clock is
// moved on by its length, which is what the playback takes at least.
//
// What each call did is read from the calls it made to the simulated host:
// the bytes it read with their offsets, the conversion of a character, the
// key it posted, the text it typed, the questions it asked, the rewind.
#include "tools/checker/macro_run.h"

#include <string.h>

#include <algorithm>
#include <set>
#include <string_view>
#include <utility>

#include "player/playback/playback.h"
#include "plugin/contract/host_values.h"
#include "player/entry/key_filter.h"
#include "player/playback/commands.h"
#include "plugin/keys/key_names.h"
#include "player/playback/player_texts.h"
#include "player/start/start_form.h"
#include "player/playback/player_state.h"
#include "tools/checker/encoding.h"
#include "tools/checker/key_file_check.h"
#include "tools/os/console.h"
#include "tools/messages/check_texts.h"
#include "tools/checker/sim_host.h"
#include "tools/macro/suggest.h"
#include "tools/macro/text_util.h"
#include "tools/checker/virtual_clock.h"

namespace checker {

using Msg = messages::CheckMsg;

namespace {

using host::kAnswerYes;
using host::kKeyCodeMask;
using host::kKeyEnter;
using host::kKeyShiftF11;
using host::kNoKey;
constexpr uint32_t kCommandKey = static_cast<uint32_t>(kCommandDoneKey);  // the five commands
constexpr uint32_t kSf11Key = static_cast<uint32_t>(kSf11CommandKey);    // what SF11 hands over
constexpr int32_t kAnswerNo = 0;
// The virtual clock starts away from 0: a pause start of 0 means no pause.
constexpr uint32_t kClockStart = 0x10000;

const std::u16string kMacroName = u"macro";
const std::u16string kLogName = u"macro.log";

bool IsLineBreak(int32_t byte) { return byte == '\r' || byte == '\n'; }

// A code page the host does not read macros in.
bool IsOtherCodePage(codec::CodePage page) {
  return page == codec::CodePage::kCp1250 || page == codec::CodePage::kCp852;
}

// The byte sequence of a bracketed word, as read in one call.
struct Word {
  bool open = false;     // a '[' opened a word in this call
  int64_t start = -1;    // offset of the '['
  std::string bytes;     // its characters, as read
  bool closed = false;   // a ']' ended it
  int64_t end = -1;      // offset of the last byte read for it, the ']' included
  bool cutByEnd = false; // the file ended inside it
  bool tooLong = false;  // a 20th character came before any ']'
};

// The next ']' of the macro at or after a place, found by one forward pass
// over the file however many words ask: a run of '[' closed far behind
// costs its length once, not once for each '['.  It also tells whether a
// line break stands between a place and that ']'.
class CloseFinder {
 public:
  explicit CloseFinder(const std::string &content) : content_(content) {}
  // The offset of the first ']' at or after `from`, or npos.
  size_t Next(size_t from) {
    if (from < start_) {  // behind the pass so far: a new pass from there
      start_ = scanned_ = from;
      found_ = std::string::npos;
      lastBreak_ = std::string::npos;
    }
    if (found_ != std::string::npos && found_ >= from) return found_;
    if (scanned_ < from) scanned_ = from;
    found_ = std::string::npos;
    for (; scanned_ < content_.size(); ++scanned_) {
      const char c = content_[scanned_];
      if (c == ']') {
        found_ = scanned_++;
        break;
      }
      if (c == '\r' || c == '\n') lastBreak_ = scanned_;
    }
    return found_;
  }
  // Whether a line break stands at or after `from` and before the ']' that
  // Next(from) gave.
  bool BreakBefore(size_t from) const {
    return lastBreak_ != std::string::npos && lastBreak_ >= from &&
           (found_ == std::string::npos || lastBreak_ < found_);
  }

 private:
  const std::string &content_;
  size_t start_ = 0;    // where this pass began
  size_t scanned_ = 0;  // the bytes before this are read
  size_t found_ = std::string::npos;
  size_t lastBreak_ = std::string::npos;  // the last line break read
};

class MacroPlayer : public HostListener {
 public:
  MacroPlayer(const std::string &path, const std::string &content, const macro::KeyFileReport &keys,
              const PlayOptions &options)
      : content_(content),
        encoding_(GuessEncoding(content)),
        reading_(IsOtherCodePage(encoding_.page) ? encoding_.page : codec::CodePage::kMazovia),
        map_(macro::SourceMap::Borrowing(content, reading_)),
        keys_(keys),
        options_(options),
        streaming_(options.onItem || options.keepStream),
        closes_(content) {
    report_.file = path;
    for (const macro::Diagnostic &d : keys.diagnostics)
      for (const std::string &name : d.names) longestKeyName_ = std::max(longestKeyName_, name.size());
    for (const macro::KeyDefinition &d : keys.definitions)
      if (d.reachable) reachableNames_.push_back(d.storedName);
  }

  macro::MacroReport Play();

 private:
  // What one call of the key filter read, as its host calls show it.
  struct CallItems {
    Word word;
    int64_t itemOffset = -1;     // the first byte of the item this call read
    uint32_t converted = kNoKey; // the character that byte became
    bool atEnd = false;
    int64_t restartOffset = -1;
    bool commandInFirstPass = false;  // a command ran in the first pass
    std::vector<std::string> notices;
    // Afresh for the next call, keeping the room of its texts.
    void Reset() {
      word.open = word.closed = word.cutByEnd = word.tooLong = false;
      word.start = word.end = -1;
      word.bytes.clear();
      itemOffset = -1;
      converted = kNoKey;
      atEnd = false;
      restartOffset = -1;
      commandInFirstPass = false;
      notices.clear();
    }
  };

  void Start();
  uint32_t NextKey();
  void Finish();
  void Call(uint32_t key);
  void OnHostEvent(const HostEvent &event) override;
  void EndCall();
  void OnByte(const HostEvent &event, CallItems &call);
  void OnCharacter(const HostEvent &event, CallItems &call);
  void OnAsk(const HostEvent &event, CallItems &call);
  void OnPost(uint32_t key, const Word &word, int64_t itemOffset,
              const std::vector<std::string> &notices);
  void OnTypedText(const std::string &text, const Word &word);
  void OnFirstRestart(int64_t restartOffset);
  void Add(macro::StreamKind kind, int64_t offset, uint32_t code, std::string_view name,
           std::string_view text);
  void Warn(int64_t offset, const std::string &id, const std::string &message,
            const std::string &hint);
  std::string TextHint(const std::string &word, std::string &id, std::string &message);
  std::string KeyFileHint(const std::string &word) const;
  void NoteWord(const std::string &word);
  void WarnLongWord(const Word &word);
  macro::SourcePosition At(int64_t offset) const {
    return offset < 0 ? macro::SourcePosition{} : map_.At(static_cast<size_t>(offset));
  }

  void WarnCodePage();

  const std::string &content_;
  const FileEncoding encoding_;
  const codec::CodePage reading_;  // how the file's lines are shown
  const macro::SourceMap map_;
  const macro::KeyFileReport &keys_;
  const PlayOptions &options_;
  const bool streaming_;  // the dry run's items are wanted
  CloseFinder closes_;
  // The longest name a finding of the key definitions is about: a longer
  // word can touch none of them, and is not kept.
  size_t longestKeyName_ = 0;
  std::set<std::string> words_;  // report_.words, for finding them
  std::vector<std::string> reachableNames_;
  macro::MacroReport report_;

  int pass_ = 1;
  int rewinds_ = 0;
  bool echoShiftF11_ = false;  // SF11's Shift+F11 comes back next
  bool stopNow_ = false;       // the user stops the macro (second RESTART)
  int32_t stopAnswer_ = kAnswerNo;
  int64_t lastItemOffset_ = -1;  // where the last item read from the file began
  int64_t lastCommandOffset_ = -1;
  bool waitedInFirstPass_ = false;
  bool delayThisCall_ = false;          // this call ran DELAY
  bool firstRestartThisCall_ = false;   // this call ran the first RESTART
  std::set<std::pair<int64_t, std::string>> reported_;
  CallItems call_;  // what the running call of the key filter read
};

// A bracketed word of the macro, kept once: a key-file finding about it is
// shown in full.
void MacroPlayer::NoteWord(const std::string &word) {
  if (word.size() > longestKeyName_) return;  // about no name of the key definitions
  if (!words_.insert(word).second) return;
  report_.words.push_back(word);
}

void MacroPlayer::Add(macro::StreamKind kind, int64_t offset, uint32_t code, std::string_view name,
                      std::string_view text) {
  if (!streaming_) return;
  const macro::SourcePosition at = At(offset);
  // Characters typed one after the other from one line: one kept item.
  const bool run = !options_.onItem && options_.characterRuns && kind == macro::StreamKind::kCharacter;
  if (run && !report_.stream.empty()) {
    macro::StreamItem &last = report_.stream.back();
    if (last.kind == kind && last.pass == pass_ && last.position.line == at.line) {
      last.text += static_cast<char>(code & 0xFF);
      return;
    }
  }
  macro::StreamItem item;
  item.kind = kind;
  item.position = at;
  item.code = code;
  item.name = std::string(name);
  item.text = run ? std::string(1, static_cast<char>(code & 0xFF)) : std::string(text);
  item.pass = pass_;
  item.offset = offset;
  if (options_.onItem)
    options_.onItem(item);
  else
    report_.stream.push_back(std::move(item));
}

void MacroPlayer::Warn(int64_t offset, const std::string &id, const std::string &message,
                       const std::string &hint) {
  // Beyond the findings kept, the rest are counted (the first pass never
  // reports a place twice, and a second pass reports nothing new).
  if (report_.diagnostics.size() >= macro::kKeptFindings) {
    ++report_.warningsNotKept;
    return;
  }
  // A macro played twice (RESTART) reports each place once.
  if (!reported_.insert({offset, id}).second) return;
  macro::Diagnostic d;
  d.file = report_.file;
  d.position = At(offset);
  d.offset = offset;
  d.id = id;
  d.message = message;
  d.hint = hint;
  d.reading = reading_;
  if (d.position.line > 0) d.sourceLine = map_.Line(d.position.line, macro::kExcerptLimit);
  report_.diagnostics.push_back(d);
}

// One finding for a file saved in a code page the host does not read
// macros in: the first line with a Polish letter, as typed and as meant.
// When the letters cannot tell the code page, the finding says so instead,
// at the first word the two readings read otherwise.
void MacroPlayer::WarnCodePage() {
  if (!IsOtherCodePage(encoding_.page) && !encoding_.inDoubt) return;
  const int64_t at = static_cast<int64_t>(encoding_.inDoubt ? encoding_.doubtOffset : encoding_.firstLetter);
  const std::string typed = TypedLine(map_.Line(At(at).line));
  std::string name = report_.file;
  std::string copy = Utf8CopyName(report_.file);
  if (name.find(' ') != std::string::npos) name = "\"" + name + "\"";
  if (encoding_.inDoubt) {
    Warn(at, "code-page-doubt",
         Say(Msg::kCodePageDoubt, {CodePageTitle(encoding_.page), CodePageTitle(encoding_.doubtPage),
                                   macro::Visible(typed)}),
         Say(Msg::kCodePageDoubtHint, {name, copy, os::ToolCommand("tastiro-check"),
                                       CodePageTitle(encoding_.doubtPage), codec::CodePageName(encoding_.doubtPage)}));
    return;
  }
  Warn(at, "code-page", Say(Msg::kCodePage, {CodePageTitle(encoding_.page), macro::Visible(typed)}),
       Say(Msg::kCodePageHint, {name, copy, os::ToolCommand("tastiro-check")}));
}

macro::MacroReport MacroPlayer::Play() {
  WarnCodePage();
  Start();
  // Every call reads at least one byte or answers a wait, so this bounds
  // two passes through the file with room to spare.
  const size_t limit = 4 * content_.size() + 64;
  size_t calls = 0;
  while (g_player.macroFile != 0) {
    if (++calls > limit) {
      Warn(-1, "internal-bound",
           Say(Msg::kInternalBound, {std::to_string(limit)}), Say(Msg::kInternalBoundHint));
      break;
    }
    Call(NextKey());
  }
  Finish();
  return report_;
}

// The player's state afresh, the macro and its log opened as the start
// branch opens them, and the host's answers and clock set for this macro.
void MacroPlayer::Start() {
  ResetPlayerState();
  SetKeyDelay(options_.keyDelay);
  SetClock(kClockStart);
  AddSimFileBorrowed(kMacroName, content_);
  if (options_.keepLog) AddSimFile(kLogName, std::string());
  ResetCharDecoder();
  SetHostListener(this);
  SetAskPolicy([this](const std::string &, const std::string &text, uint32_t) {
    return text == kStopQuestion.c_str() ? stopAnswer_ : 0;
  });
  const time_t start = options_.logStart;
  SetStampSource([start](char *date, char *time) {
    // The stamp moves with the playback: the start plus the virtual time.
    time_t now = start + static_cast<time_t>((ClockNow() - kClockStart) / 1000);
    struct tm civil;
#if defined(_WIN32)
    localtime_s(&civil, &now);
#else
    localtime_r(&now, &civil);
#endif
    strftime(date, 12, "%Y-%m-%d", &civil);
    strftime(time, 12, "%H:%M:%S", &civil);
  });
  // The macro for reading, its log for appending.
  g_player.macroFile = HostFileOpenW(kMacroName.c_str(), u"rt", host::kOpenShare, 0, -1);
  if (options_.keepLog) {
    g_player.logFile = HostFileOpenW(kLogName.c_str(), u"rt+", host::kOpenShare, 0, -1);
    HostFileSeek(g_player.logFile, 0, host::kSeekEnd);
  }
}

// The key the host hands the filter next: what the user presses when the
// player waits or a stop is due, the Shift+F11 that SF11 posted, or none.
uint32_t MacroPlayer::NextKey() {
  if (stopNow_) {
    stopNow_ = false;
    stopAnswer_ = kAnswerYes;
    Add(macro::StreamKind::kUserShiftF11, lastCommandOffset_, kKeyShiftF11, "",
        Say(Msg::kUserStopsLoop));
    ++report_.userActions;
    return kKeyShiftF11;
  }
  if (echoShiftF11_) {
    echoShiftF11_ = false;
    stopAnswer_ = kAnswerNo;
    return kKeyShiftF11;  // the host hands the posted key back
  }
  if (g_player.waitMode == kWaitingForEnter) {
    Add(macro::StreamKind::kUserEnter, lastCommandOffset_, kKeyEnter, "", "");
    ++report_.userActions;
    return kKeyEnter;
  }
  if (g_player.waitMode == kHalted) {
    Add(macro::StreamKind::kUserShiftF11, lastCommandOffset_, kKeyShiftF11, "", "");
    ++report_.userActions;
    return kKeyShiftF11;
  }
  return kNoKey;
}

void MacroPlayer::Finish() {
  if (report_.keysPosted == 0 && report_.textsTyped == 0 && report_.commandsRun == 0)
    Warn(-1, "empty-macro",
         content_.empty() ? Say(Msg::kEmptyFile) : Say(Msg::kNothingTyped), Say(Msg::kEmptyMacroHint));
  report_.sleptMilliseconds = SleptMilliseconds();
  report_.leastMilliseconds += report_.sleptMilliseconds;
  if (rewinds_ == 0) {
    report_.keysFirstPass = report_.keysPosted;
    report_.leastFirstPass = report_.leastMilliseconds;
  }
  if (options_.keepLog) report_.log = SimFileWritten(kLogName);
  RemoveSimFile(kMacroName);
  RemoveSimFile(kLogName);
  SetHostListener(nullptr);
  SetAskPolicy(nullptr);
  SetStampSource(nullptr);
}

void MacroPlayer::Call(uint32_t key) {
  const uint32_t pauseLength = g_player.pauseLength;
  const uint32_t pauseStart = g_player.pauseStart;
  call_.Reset();
  delayThisCall_ = false;
  PluginKeyFilter(key);  // its host calls come to OnHostEvent
  EndCall();
  // A pause armed by this call: the host holds the next keys that long.
  if (g_player.pauseLength != 0 && g_player.pauseStart != 0 &&
      (g_player.pauseLength != pauseLength || g_player.pauseStart != pauseStart)) {
    report_.leastMilliseconds += g_player.pauseLength;
    if (delayThisCall_) {
      ++report_.delayPauses;
      report_.delayMilliseconds += g_player.pauseLength;
    } else {
      ++report_.keyPauses;
    }
    AdvanceClock(g_player.pauseLength);
  }
  if (firstRestartThisCall_) {
    firstRestartThisCall_ = false;
    report_.keysFirstPass = report_.keysPosted;
    report_.leastFirstPass = report_.leastMilliseconds + SleptMilliseconds();
  }
}

// One host call of the running call of the key filter, in the order made.
void MacroPlayer::OnHostEvent(const HostEvent &event) {
  CallItems &call = call_;
  {
    switch (event.kind) {
      case HostEventKind::kGetc: OnByte(event, call); break;
      case HostEventKind::kConvertChar: OnCharacter(event, call); break;
      case HostEventKind::kKeyPending:
        if (!call.word.open && call.converted == '[' && (event.result & kKeyCodeMask) == kNoKey) {
          call.word.open = true;
          call.word.start = call.itemOffset;
        }
        break;
      case HostEventKind::kAsk: OnAsk(event, call); break;
      case HostEventKind::kRewind: call.restartOffset = call.word.start; break;
      case HostEventKind::kTypeText: OnTypedText(event.text, call.word); break;
      case HostEventKind::kPostKey: {
        // The item this key stands for: the word of this call, or the
        // character read in it, or (a key handed over by a later call, the
        // byte behind a word that was too long) the one read last.
        const Word &word = call.word;
        int64_t at = word.closed ? word.start : call.itemOffset >= 0 ? call.itemOffset : lastItemOffset_;
        OnPost(static_cast<uint32_t>(event.value), word, at, call.notices);
        call.notices.clear();
        break;
      }
      default: break;
    }
  }
}

// What the call did as a whole, once it has returned.
void MacroPlayer::EndCall() {
  CallItems &call = call_;
  // A command that left the player waiting for the user.
  if (call.commandInFirstPass && g_player.waitMode != kNotWaiting) waitedInFirstPass_ = true;
  if (call.restartOffset >= 0) {
    ++rewinds_;
    if (rewinds_ == 1) {
      OnFirstRestart(call.restartOffset);
    } else {
      stopNow_ = true;  // played through twice: the user stops it now
    }
  }
  if (call.atEnd) Add(macro::StreamKind::kEnd, static_cast<int64_t>(content_.size()), 0, "", "");
}

// A byte the player read: part of the word it reads, or an item of its own.
void MacroPlayer::OnByte(const HostEvent &event, CallItems &call) {
  Word &word = call.word;
  if (word.open && !word.closed && !word.cutByEnd && !word.tooLong) {
    if (event.value >= 0) word.end = event.offset;
    if (event.value < 0) {
      word.cutByEnd = true;
    } else if (event.value == ']') {
      word.closed = true;
    } else if (word.bytes.size() == kMacroWordChars) {
      // The byte that did not fit is fed as a character of its own.
      word.tooLong = true;
      if (!IsLineBreak(event.value)) lastItemOffset_ = event.offset;
    } else {
      word.bytes += static_cast<char>(event.value);
    }
  } else if (event.value < 0) {
    call.atEnd = true;
  } else if (!IsLineBreak(event.value)) {
    call.itemOffset = event.offset;
    lastItemOffset_ = event.offset;
  }
}

// The host's decoding of a byte: the character, or why there is none.
void MacroPlayer::OnCharacter(const HostEvent &event, CallItems &call) {
  if (call.word.open) return;  // the byte behind a word that was too long
  call.converted = event.result;
  // A character of several bytes stands where its first byte stands.
  if (event.result != 0 && event.offset >= 0) {
    call.itemOffset = event.offset;
    lastItemOffset_ = event.offset;
  }
  if (event.result != 0 || pass_ != 1) return;
  if (event.note != DroppedChar::kControl && event.note != DroppedChar::kNoHostChar) return;
  // The host drops a byte-order mark at the start: it is no mistake.
  if (event.codePoint == 0xFEFF && event.offset == 0) return;
  // A file in another code page has one finding for all its letters.
  if (IsOtherCodePage(encoding_.page) && event.codePoint >= 0x80) return;
  std::string what = event.note == DroppedChar::kControl
                         ? Say(messages::SharedMsg::kControlCharacter, {macro::CodePointName(event.codePoint)})
                         : Say(Msg::kCharacter, {macro::CodePointName(event.codePoint)});
  if (event.note == DroppedChar::kNoHostChar && event.codePoint >= 0x20) {
    std::string shown;
    codec::AppendUtf8(shown, event.codePoint);
    what += " '" + shown + "'";
  }
  Warn(event.offset, "dropped-character",
       Say(Msg::kDroppedCharacter, {what}), Say(Msg::kDroppedCharacterHint));
}

// A question or notice of the player.
void MacroPlayer::OnAsk(const HostEvent &event, CallItems &call) {
  if (event.text == kEndOfFileText.c_str()) {
    call.atEnd = true;
  } else if (event.text == kStopQuestion.c_str()) {
    bool yes = (event.result & kKeyCodeMask) == kAnswerYes;
    Add(macro::StreamKind::kQuestion, lastCommandOffset_, 0, "",
        yes ? Say(Msg::kAnsweredYes) : Say(Msg::kAnsweredNo));
    ++report_.userActions;
  } else if (event.text == kStoppedText.c_str()) {
    Add(macro::StreamKind::kStopped, lastCommandOffset_, 0, "", macro::HostToUtf8(event.text));
  } else {
    call.notices.push_back(event.text);
  }
}

void MacroPlayer::OnPost(uint32_t key, const Word &word, int64_t at,
                         const std::vector<std::string> &notices) {
  if (options_.keepPostedKeys) report_.postedKeys.push_back(key);
  if ((key & kKeyCodeMask) != kNoKey) ++report_.keysPosted;
  if (!word.closed) {
    Add(macro::StreamKind::kCharacter, at, key & kKeyCodeMask, "", "");
    return;
  }
  NoteWord(word.bytes);
  if (key != kCommandKey && key != kSf11Key) {
    Add(macro::StreamKind::kKey, at, key & kKeyCodeMask, word.bytes, "");
    return;
  }
  // A command: what it did, as the player's calls show it.
  ++report_.commandsRun;
  lastCommandOffset_ = at;
  std::string effect;
  for (const std::string &notice : notices)
    effect += Say(Msg::kNoticeEffect, {macro::Visible(macro::HostToUtf8(notice))});
  effect += macro::CommandDescription(word.bytes, lang::Current() == lang::Language::kPolish);
  if (key == kSf11Key) {
    echoShiftF11_ = true;
    // The stop question waits for the user: a loop through it is no endless one.
    if (pass_ == 1) waitedInFirstPass_ = true;
    if (pass_ == 1)
      Warn(at, "sf11", Say(Msg::kSf11), Say(Msg::kSf11Hint));
  } else if (word.bytes == "DELAY") {
    delayThisCall_ = true;
  }
  // Whether it waits for the user is known once the call has returned.
  if (pass_ == 1) call_.commandInFirstPass = true;
  Add(macro::StreamKind::kCommand, at, key == kSf11Key ? kKeyShiftF11 : kNoKey, word.bytes, effect);
}

void MacroPlayer::OnTypedText(const std::string &text, const Word &word) {
  ++report_.textsTyped;
  Add(macro::StreamKind::kText, word.start, 0, "", text);
  if (pass_ != 1) return;
  if (!word.cutByEnd && !word.tooLong)
    NoteWord(word.bytes.substr(0, word.bytes.find_first_of("\r\n")));
  const std::string shown = macro::FileBytesToUtf8(word.bytes);
  if (word.cutByEnd) {
    Warn(word.start, "unclosed-bracket",
         Say(Msg::kUnclosedAtEnd, {macro::Visible(shown)}), Say(Msg::kCloseWord));
    return;
  }
  if (word.tooLong) {
    WarnLongWord(word);
    return;
  }
  if (word.bytes.find_first_of("\r\n") != std::string::npos) {
    macro::SourcePosition end = At(word.end);
    Warn(word.start, "word-spans-lines",
         Say(Msg::kWordSpansLines, {std::to_string(end.line), macro::Visible(shown)}),
         Say(Msg::kWordSpansLinesHint));
    return;
  }
  std::string id = "typed-as-text";
  std::string message = Say(Msg::kTypedAsText, {shown});
  std::string hint = TextHint(word.bytes, id, message);
  Warn(word.start, id, message, hint);
  if (macro::HasUtf8Sequence(word.bytes))
    Warn(word.start, "text-encoding",
         Say(Msg::kTextEncoding, {macro::HostToUtf8(word.bytes)}), Say(Msg::kTextEncodingHint));
}

// A '[' followed by more characters than a word holds before any ']'.
void MacroPlayer::WarnLongWord(const Word &word) {
  const size_t from = static_cast<size_t>(word.start) + 1;
  const size_t close = closes_.Next(from);
  if (close == std::string::npos) {
    Warn(word.start, "unclosed-bracket",
         Say(Msg::kUnclosedLong, {std::to_string(kMacroWordChars)}), Say(Msg::kCloseWord));
  } else {
    const size_t length = close - from;
    const bool lineBreak = closes_.BreakBefore(from);
    // Only a word a key-file finding could be about is kept (and read).
    if (length <= longestKeyName_) NoteWord(content_.substr(from, length));
    Warn(word.start, "word-too-long",
         Say(Msg::kWordTooLong, {std::to_string(length), std::to_string(kMacroWordChars),
                                 macro::Visible(macro::FileBytesToUtf8(word.bytes))}),
         lineBreak ? Say(Msg::kMissingCloseHint) : Say(Msg::kWordTooLongHint));
  }
}

// The hint for a word typed as text: what the user probably meant.
std::string MacroPlayer::TextHint(const std::string &word, std::string &id, std::string &message) {
  const std::string shown = macro::FileBytesToUtf8(word);
  for (const std::string &command : macro::kCommandNames) {
    if (macro::EditDistance(word, command) == 0 && word.size() == command.size()) {
      id = "command-case";
      message = Say(Msg::kCommandCase, {shown});
      return Say(Msg::kWriteWord, {command});
    }
  }
  // A name the key definition file has, which the player cannot find.
  if (std::string why = KeyFileHint(word); !why.empty()) return why;
  if (!keys_.loaded) return Say(Msg::kNoKeyNamesLoaded);
  std::vector<macro::Suggestion> near = macro::NearestNames(word, reachableNames_);
  if (near.empty()) return Say(Msg::kTextOnPurpose);
  std::string names;
  for (size_t i = 0; i < near.size(); ++i) {
    if (i > 0) names += i + 1 == near.size() ? Say(Msg::kOr) : ", ";
    names += Say(Msg::kNameWithReason, {macro::FileBytesToUtf8(near[i].name), near[i].reason});
  }
  return Say(Msg::kDidYouMean, {names});
}

// What the key definition file says about a word typed as text: a
// definition the player cannot find by it, or a line that defines nothing.
std::string MacroPlayer::KeyFileHint(const std::string &word) const {
  for (const macro::KeyDefinition &d : keys_.definitions) {
    if (d.fullName != word && d.storedName != word) continue;
    const std::string where = keys_.file + ":" + std::to_string(d.line);
    if (!d.stored) return Say(Msg::kHintBehind300, {where});
    if (d.code == 0) return Say(Msg::kHintCodeZero, {where});
    const std::string stored = macro::FileBytesToUtf8(d.storedName);
    if (d.fullName != word)
      return Say(Msg::kHintKeptAs,
                 {where, macro::FileBytesToUtf8(d.fullName), stored, WhyNotReachable(keys_, d)});
    if (d.fullName == d.storedName) return Say(Msg::kHintDefinesBut, {where, WhyNotReachable(keys_, d)});
    // A name cut to 13 characters: the cut name is worth writing only
    // when it gives this key.
    if (d.reachable)
      return Say(Msg::kHintCutWrite, {where, stored});
    return Say(Msg::kHintCutAnd, {where, WhyNotReachable(keys_, d)}) +
           (d.givenCode != 0 ? Say(Msg::kHintShortenNames) : std::string());
  }
  for (const macro::UnusableDefinition &u : keys_.unusable)
    if (u.name == word)
      return Say(Msg::kHintDefinesNoKey, {keys_.file + ":" + std::to_string(u.line), u.why});
  return std::string();
}

void MacroPlayer::OnFirstRestart(int64_t restartOffset) {
  report_.restarts = true;
  firstRestartThisCall_ = true;
  // Nothing behind RESTART is ever played.
  size_t close = closes_.Next(static_cast<size_t>(restartOffset));
  size_t rest = close == std::string::npos ? content_.size() : close + 1;
  size_t firstUnplayed = content_.find_first_not_of("\r\n", rest);
  if (!waitedInFirstPass_) {
    report_.endless = true;
    Warn(restartOffset, "endless-restart",
         Say(Msg::kEndlessRestart), Say(Msg::kEndlessRestartHint));
  }
  if (firstUnplayed != std::string::npos)
    Warn(static_cast<int64_t>(firstUnplayed), "never-played",
         Say(Msg::kNeverPlayed), Say(Msg::kNeverPlayedHint));
  pass_ = 2;
  Add(macro::StreamKind::kPassStart, restartOffset, 0, "", "");
}

}  // namespace

macro::MacroReport PlayMacro(const std::string &path, const std::string &content,
                      const macro::KeyFileReport &keys, const PlayOptions &options) {
  MacroPlayer player(path, content, keys, options);
  return player.Play();
}

}  // namespace checker

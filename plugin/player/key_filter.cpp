// The key filter and the playback engine.
//
// The host calls the filter for every key before it processes it, and with
// the no-key code 0xFFFF when it has none.  Everything the player does
// happens inside those calls: one playback step per no-key call, the pause
// after a bracketed word, the ends of the waits, and Shift+F11.  The host's
// boxes, forms and typing functions that the player calls run the host's
// own key loop, which calls the filter again: the busy flag lets such inner
// calls pass their key untouched.
#include "plugin/player/key_filter.h"

#include <stddef.h>

#include "plugin/platform/platform.h"
#include "plugin/player/commands.h"
#include "plugin/player/macro_log.h"
#include "plugin/player/player_texts.h"
#include "plugin/start/start_form.h"

PlayerState g_player;

namespace {

constexpr uint32_t kNoKey = 0xFFFF;
constexpr uint32_t kEnter = 13;
constexpr uint32_t kShiftF11 = 0x8700;

// Bit of the host's state word that the player sets while it works.
constexpr uint32_t kPlayerWorkingFlag = 0x8000;
// HostConvertChar: a macro byte as a typed character.
constexpr int32_t kConvertMode = 3;
constexpr int32_t kConvertOne = 1;
// HostAsk: the notices (one button) and the yes/no question; its yes.
constexpr uint32_t kNoticeFlags = 1;
constexpr uint32_t kQuestionFlags = 0x26006;
constexpr uint32_t kAnswerYes = 0x5009;

// A bracketed word: up to 19 characters and the terminator.
constexpr size_t kWordSize = 20;
constexpr size_t kWordChars = kWordSize - 1;

enum WaitMode : int32_t { kNotWaiting = 0, kWaitingForEnter = 1, kHalted = 2 };

// Runs `work` with the busy flag set and the host's state bit 0x8000 set,
// the bit only when it was clear and then cleared again afterwards.
void RunInStateBracket(void (*work)()) {
  g_player.busy = 1;
  bool bitWasClear = (HostGetFlags() & kPlayerWorkingFlag) == 0;
  if (bitWasClear) HostSetFlags(kPlayerWorkingFlag, 1);
  work();
  if (bitWasClear) HostSetFlags(kPlayerWorkingFlag, 0);
  g_player.busy = 0;
}

// The end of the macro file: notice, both files closed.  The pause, if one
// runs, is left to run out.
void EndMacro() {
  g_player.pendingKey = 0;
  g_player.waitMode = kNotWaiting;  // no file, no wait
  WriteLogLine(kLogNoticeFormat, kEndOfFileText.c_str());
  CloseHostFile(&g_player.macroFile);
  CloseHostFile(&g_player.logFile);
  HostAsk(kNoticeTitle.c_str(), kEndOfFileText.c_str(), kNoticeFlags);
}

// The next byte of the macro file that is not a line break; -1 at the end.
int32_t ReadMacroByte() {
  int32_t byte;
  do {
    byte = HostFileGetc(g_player.macroFile);
  } while (byte == '\r' || byte == '\n');
  return byte < 0 ? -1 : byte;
}

// The byte that a bracketed word could not hold.  It is fed as an ordinary
// character of the macro: a line break is skipped and a byte that converts
// to 0 is dropped; anything else becomes the pending key, which the next
// playback step hands to the host, so that one call feeds one item (the
// word's text was typed in this one).  A '[' here is fed as the character.
void FeedByteBehindLongWord(int32_t byte) {
  g_player.pendingKey = 0;
  if (byte == '\r' || byte == '\n') return;
  g_player.pendingKey =
      static_cast<int32_t>(HostConvertChar(byte, kConvertMode, kConvertOne) & 0xFF);
}

// Reads the word behind a '[' up to its ']' and resolves it.  True when the
// word gave a key to hand over (now the pending key); false when the step
// is over: the word was typed as text, or the macro ended.
bool ReadBracketedWord(char (&word)[kWordSize], bool *armedOwnPause) {
  size_t length = 0;
  for (;;) {
    // Bytes of a word are taken as they stand: no conversion, and a line
    // break belongs to the word.
    int32_t byte = HostFileGetc(g_player.macroFile);
    if (byte < 0) {
      // The file ends inside the word: what was read is typed as text.
      word[length] = 0;
      TypeMacroText(word);
      EndMacro();
      return false;
    }
    if (byte == ']') break;
    if (length == kWordChars) {
      // No word is that long: the 19 characters read are typed as text,
      // as a word cut off by the end of the file would be, and the byte
      // that did not fit is fed as an ordinary character; what follows it,
      // a later ']' included, is read as ordinary macro text.
      word[length] = 0;
      TypeMacroText(word);
      FeedByteBehindLongWord(byte);
      return false;
    }
    word[length++] = static_cast<char>(byte);
  }
  word[length] = 0;
  g_player.pendingKey = RunMacroWord(word, armedOwnPause);
  if (g_player.pendingKey != 0) return true;
  // Neither a command nor a key name: the word is text.
  TypeMacroText(word);
  return false;
}

// One item of the macro to the host: a character, or a bracketed word.
void PlaybackStep() {
  // The word buffer of this call.  Its first byte is nonzero at posting
  // only when this step has read a bracketed word: that arms the pause.
  char word[kWordSize];
  word[0] = 0;
  bool armedOwnPause = false;

  // A key the host refused last time goes again, before anything is read.
  if (g_player.pendingKey == 0) {
    int32_t byte = ReadMacroByte();
    if (byte < 0) {
      EndMacro();
      return;
    }
    g_player.pendingKey =
        static_cast<int32_t>(HostConvertChar(byte, kConvertMode, kConvertOne) & 0xFF);
    // The host says whether a '[' may open a word just now; otherwise the
    // '[' and what follows it are ordinary characters.
    bool mayOpenWord = (HostKeyPending() & 0xFFFF) == kNoKey;
    if (mayOpenWord && g_player.pendingKey == '[') {
      if (!ReadBracketedWord(word, &armedOwnPause)) return;
    } else if (g_player.pendingKey == 0) {
      return;  // a byte the host has no character for: dropped
    }
  }

  // After a key name or a command the next keys are held for the key delay;
  // DELAY has armed its own, longer pause, which stands.
  if (word[0] != 0 && !armedOwnPause) {
    g_player.pauseLength = g_startForm.keyDelay;
    g_player.pauseStart = GetTickCount();
  }
  if (PostMacroKey(g_player.pendingKey) != 0) g_player.pendingKey = 0;
}

// Shift+F11 during playback (and during a wait for Enter).
void AskToStop() {
  int32_t answer = HostAsk(kNoticeTitle.c_str(), kStopQuestion.c_str(), kQuestionFlags);
  if ((static_cast<uint32_t>(answer) & 0xFFFF) != kAnswerYes) return;
  WriteLogLine(kLogNoticeFormat, kStoppedText.c_str());
  CloseHostFile(&g_player.macroFile);
  CloseHostFile(&g_player.logFile);
  g_player.waitMode = kNotWaiting;
  // A key the host had not yet taken belongs to the stopped macro: it must
  // not become the first key of the next one.
  g_player.pendingKey = 0;
  HostAsk(kNoticeTitle.c_str(), kStoppedText.c_str(), kNoticeFlags);
}

void HandleShiftF11() {
  if (g_player.macroFile != 0)
    AskToStop();
  else
    RunStartBranch();
}

[[gnu::noinline]] void RunPlaybackStep() { RunInStateBracket(PlaybackStep); }

[[gnu::noinline]] void RunShiftF11() { RunInStateBracket(HandleShiftF11); }

// The work of the filter lies out of line below, so that the way of a key
// that merely passes (no macro, no pause) stays a handful of instructions.

// The pause: true when `key` arrived before the pause ran out and has gone
// back to the host; false when the pause is over (and now cleared).
[[gnu::noinline]] bool HoldKey(uint32_t key) {
  // Unsigned subtraction: right across the wrap of the tick count.
  uint32_t elapsed = GetTickCount() - g_player.pauseStart;
  if (elapsed < g_player.pauseLength) {
    HostDelayKey(key, 0);
    return true;
  }
  g_player.pauseLength = 0;
  g_player.pauseStart = 0;
  return false;
}

}  // namespace

// [key filter] Installed through HostSetKeyFilter at activation; the host
// calls it for every key and with 0xFFFF when it has none.
extern "C" uint32_t HOST_STDCALL PluginKeyFilter(uint32_t key) {
  // 1. The filter that was there before us sees every key first, also while
  //    we are busy; its answer replaces the key.
  if (g_player.previousFilter != nullptr) key = g_player.previousFilter(key);
  key &= 0xFFFF;

  // 2. While the pause runs, every real key goes back to the host for later.
  if (key != kNoKey && g_player.pauseLength != 0 && g_player.pauseStart != 0 && HoldKey(key))
    return kNoKey;

  // 3. Enter ends a wait for Enter, Shift+F11 a halt; the ending key is
  //    consumed, and the call goes on as a no-key call.
  if (g_player.busy == 0 && g_player.macroFile != 0) {
    if ((g_player.waitMode == kWaitingForEnter && key == kEnter) ||
        (g_player.waitMode == kHalted && key == kShiftF11)) {
      g_player.waitMode = kNotWaiting;
      key = kNoKey;
    }
  }

  // 4. (The word buffer lives in the playback step, fresh for each call.)

  // 5. An inner call from the host's key loop, while we work: hands off.
  if (g_player.busy != 0) return key;

  // 6. The host has no key: feed it the next item of the macro, unless the
  //    macro waits.
  if (g_player.macroFile != 0 && key == kNoKey) {
    if (g_player.waitMode == kNotWaiting) RunPlaybackStep();
    return kNoKey;
  }

  // 7. Every key but Shift+F11 is the host's.
  if (key != kShiftF11) return key;

  // 8. Shift+F11: the stop question during playback, the start form otherwise.
  RunShiftF11();
  return kNoKey;
}

int32_t PostMacroKey(int32_t key) {
  // The log line goes first, before the host can react to the key.
  WriteKeyLine(key);
  return HostPostKey(static_cast<uint32_t>(key));
}

int32_t CloseHostFile(HostFile *field) {
  if (*field == 0) return 0;
  int32_t result = HostFileClose(*field);
  *field = 0;
  return result;
}

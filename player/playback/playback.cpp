// The playback engine.  Each step hands the host one item of the macro: the
// host's key loop posts it back through the key filter as if it were typed.
#include "player/playback/playback.h"

#include <stddef.h>

#include "plugin/contract/host_values.h"
#include "plugin/platform/platform.h"
#include "player/playback/commands.h"
#include "player/playback/macro_files.h"
#include "player/playback/macro_log.h"
#include "player/playback/player_texts.h"
#include "player/playback/player_state.h"

PlayerState g_player;

namespace {

// A bracketed word and its terminator.
constexpr size_t kWordSize = kMacroWordChars + 1;

// The end of the macro file: notice, both files closed.  The pause, if one
// runs, is left to run out.
void EndMacro() {
  g_player.pendingKey = 0;
  g_player.waitMode = kNotWaiting;  // no file, no wait
  WriteLogLine(kLogNoticeFormat, kEndOfFileText.c_str());
  CloseMacroAndLog();
  HostAsk(kNoticeTitle.c_str(), kEndOfFileText.c_str(), host::kAskNotice);
}

// A macro byte as the character the host types; 0 when it has none.
int32_t TypedCharacter(int32_t byte) {
  return static_cast<int32_t>(
      HostConvertChar(byte, host::kConvertCharMode, host::kConvertCharOne) & 0xFF);
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
  g_player.pendingKey = TypedCharacter(byte);
}

// Reads the word behind a '[' up to its ']' and resolves it.  What is text
// (the word, or what was read of it when the file ends inside it or it runs
// too long) is typed here; the outcome then has no key to post.
WordOutcome ReadBracketedWord() {
  constexpr WordOutcome kTyped = {WordKind::kText, false, 0};
  char word[kWordSize];
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
      return kTyped;
    }
    if (byte == ']') break;
    if (length == kMacroWordChars) {
      // No word is that long: the 19 characters read are typed as text,
      // as a word cut off by the end of the file would be, and the byte
      // that did not fit is fed as an ordinary character; what follows it,
      // a later ']' included, is read as ordinary macro text.
      word[length] = 0;
      TypeMacroText(word);
      FeedByteBehindLongWord(byte);
      return kTyped;
    }
    word[length++] = static_cast<char>(byte);
  }
  word[length] = 0;
  WordOutcome outcome = RunMacroWord(word);
  if (outcome.kind == WordKind::kText) TypeMacroText(word);
  return outcome;
}

}  // namespace

void PlaybackStep() {
  // 1. A key the host refused last time, or the byte behind an over-long
  //    word, goes first, before anything is read.
  int32_t key = g_player.pendingKey;
  bool armKeyDelay = false;
  if (key == 0) {
    // 2. The next byte of the macro, as the character the host types.
    int32_t byte = ReadMacroByte();
    if (byte < 0) {
      EndMacro();
      return;
    }
    key = TypedCharacter(byte);
    // 3. The host says whether a '[' may open a word just now; otherwise the
    //    '[' and what follows it are ordinary characters.
    bool mayOpenWord = (HostKeyPending() & host::kKeyCodeMask) == host::kNoKey;
    if (mayOpenWord && key == '[') {
      WordOutcome word = ReadBracketedWord();
      if (word.kind == WordKind::kText) return;  // typed, or the macro ended
      key = word.key;
      armKeyDelay = word.armsKeyDelay;
    } else if (key == 0) {
      return;  // a byte the host has no character for: dropped
    }
  }

  // 4. After a key name or a command the next keys are held for the key
  //    delay (DELAY has armed its own, longer pause instead).
  if (armKeyDelay) {
    g_player.pauseLength = g_player.keyDelay;
    g_player.pauseStart = GetTickCount();
  }
  // 5. The key to the host; one it refuses goes again in the next step.
  g_player.pendingKey = key;
  if (PostMacroKey(key) != 0) g_player.pendingKey = 0;
}

void AskToStopMacro() {
  int32_t answer = HostAsk(kNoticeTitle.c_str(), kStopQuestion.c_str(), host::kAskYesNo);
  if ((static_cast<uint32_t>(answer) & host::kKeyCodeMask) != host::kAnswerYes) return;
  WriteLogLine(kLogNoticeFormat, kStoppedText.c_str());
  CloseMacroAndLog();
  g_player.waitMode = kNotWaiting;
  // A key the host had not yet taken belongs to the stopped macro: it must
  // not become the first key of the next one.
  g_player.pendingKey = 0;
  HostAsk(kNoticeTitle.c_str(), kStoppedText.c_str(), host::kAskNotice);
}

void SetKeyDelay(uint16_t milliseconds) { g_player.keyDelay = milliseconds; }

int32_t PostMacroKey(int32_t key) {
  // The log line goes first, before the host can react to the key.
  WriteKeyLine(key);
  return HostPostKey(static_cast<uint32_t>(key));
}

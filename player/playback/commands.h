// The macro commands: what a bracketed word of the macro file means.
#pragma once

#include <stddef.h>
#include <stdint.h>

// A bracketed word holds at most this many characters; a longer one is typed
// as text up to here.
inline constexpr size_t kMacroWordChars = 19;

// What the player hands the host after a command, in place of a key: the
// no-key code with all 32 bits set after WAITENTER, WAIT, HALT, RESTART and
// DELAY; Shift+F11 (0x8700) with the high 16 bits set after SF11.  The host
// takes them as it takes any posted key, and the log names them as keys.
inline constexpr int32_t kCommandDoneKey = -1;
inline constexpr int32_t kSf11CommandKey = static_cast<int32_t>(0xFFFF8700u);

// What a bracketed word turned out to be.
enum class WordKind : uint8_t {
  kText,     // neither a command nor a key name: typed as text, nothing posted
  kKeyName,  // a name of the key-name table: its code is posted
  kCommand,  // one of the six commands, already carried out: its key is posted
};

// A bracketed word's outcome: its kind, the key the player posts (0 for
// text), and whether the key delay then holds the next keys.  After a key
// name or a command it does, except after DELAY, which has armed its own,
// longer pause.
struct WordOutcome {
  WordKind kind;
  bool armsKeyDelay;
  int32_t key;
};

// Resolves a bracketed word (at most 19 characters): a command is carried
// out before the return; a key name gives its code; any other word is text,
// which the caller types.
WordOutcome RunMacroWord(const char *word);

// Logs the text as typed and types it through the host; the host's result.
int32_t TypeMacroText(const char *text);

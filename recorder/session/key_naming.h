// A key without a name, pressed for the first time in a recording: the
// recorder offers to name it in wtyczki\keys.h, so that it is recorded
// rather than left out.  The question says the key as people write it
// ("Alt+P (kod 0x1900)", from plugin/contract/key_rows.h), or by its code
// alone when that table has no name for it.
//
// The name offered is the one people would look for: the key as people
// write it, upper-cased, '+' as '_' ("ALT_P"), when that is a key name of
// at most 13 characters (letters, digits, '_', not a command of the macro
// language) that the file does not hold for another code.  Otherwise it is
// KLAWISZ_XXXX (the code in four hex digits), with a letter or digit behind
// it while that name stands in the file for another code.
//
// On "Tak" the line "#define NAME 0xXXXX" goes at the end of the file under
// a comment line, in the file's own line ends, nothing else changed; the
// recorder then reads the file anew.  A file that cannot be read or
// written, or that already holds the definitions the plug-ins read
// (kKeyTableCapacity), is reported and the key is left out.
#pragma once

#include <stdint.h>

#include "plugin/keys/key_names.h"

// A key name as the file holds it: 13 characters and the terminator.
typedef char KeyFileName[sizeof(KeyNameEntry::name)];

// Asks, inside the busy bracket; true when `code` has a playable name now,
// which is then in `name`.
bool OfferKeyName(uint16_t code, KeyFileName &name);

// The name the question would offer for `code` now (for the #define lines
// of the keys left out), also when the file cannot be read.
void SuggestKeyName(uint16_t code, KeyFileName &name);

// The name people would look for, made from the key as people write it:
// "Alt+P" gives "ALT_P".  False, and `name` empty, when the result is no key
// name of at most 13 characters or plays as a command.
bool KeyNameOfPeoplesName(const char *peoples, KeyFileName &name);

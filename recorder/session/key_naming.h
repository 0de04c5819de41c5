// A key without a name, pressed for the first time in a recording: the
// recorder offers to name it in wtyczki\keys.h as KLAWISZ_XXXX (its code in
// four hex digits), so that it is recorded rather than left out.
//
// On "Tak" the line "#define KLAWISZ_XXXX 0xXXXX" goes at the end of the
// file under a comment line, in the file's own line ends, nothing else
// changed; the recorder then reads the file anew.  A name already in the
// file for another code gets a letter or digit behind it (13 characters at
// most).  A file that cannot be read or written, or that already holds the
// definitions the plug-ins read (kKeyTableCapacity), is reported and the
// key is left out.
#pragma once

#include <stdint.h>

// Asks, inside the busy bracket; true when `code` has a playable name now.
bool OfferKeyName(uint16_t code);

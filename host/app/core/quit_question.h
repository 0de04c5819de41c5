// F10 and Alt+X: the editor's keys that end the host, and the question the
// host asks first when ending would cut short a macro or a recording.
//
//   the key reached the editor           the host
//   typed by the user, nothing running   ends at once
//   typed by the user, a macro open      asks; Tak ends, Nie (Enter, Esc)
//   or a recording running               goes on as before
//   played by a plug-in (a macro's own   ends nothing: the key passed the
//   [F10] or [ALT_X])                    filters (a recording holds it) and
//                                        the macro goes on
//
// The key has passed the key filters as every key does (a plug-in may use
// Alt+X; a recording holds the key).  While the question is up the host
// offers no posted or held key and calls no filter: a playing macro neither
// answers it (with a played `t` or Enter) nor goes on under it; the keys it
// played before wait, and come after a Nie.  What runs is what the status
// line shows (plugin_activity.h): a file held open for reading is a macro,
// one held open for writing a recording.
#pragma once

#include <string>

#include "host/app/core/plugin_activity.h"
#include "host/app/core/ui.h"

namespace volmar {

// True for the keys that end the host: F10 and Alt+X.
bool IsQuitKey(uint32_t key);

// The question's text (host text) for what runs; empty when nothing does.
std::string QuitQuestionText(const ActivitySnapshot &running);

// A quit key reached the editor: true when the host is to end.  `typed`:
// the user typed it (Keyboard::LastKeyTyped).
bool ConfirmQuit(Ui &ui, bool typed, const ActivitySnapshot &running);

}  // namespace volmar

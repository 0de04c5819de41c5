// The messages both tools say the same way (shared_texts.def): the
// severity words, the writer's faults, the window's last line.  See
// catalog.h; tell.h says a message as an error, a warning or a note.
#pragma once

#define CATALOG_ENUM SharedMsg
#define CATALOG_ROWS "tools/messages/shared_texts.def"
#include "tools/messages/catalog_enum.h"

// tastiro-check's own messages in Polish and English (check_texts.def);
// those both tools say are in shared_texts.h.  See catalog.h.
#pragma once

#include "tools/messages/shared_texts.h"

#define CATALOG_ENUM CheckMsg
#define CATALOG_ROWS "tools/messages/check_texts.def"
#include "tools/messages/catalog_enum.h"

// The messages of the tools' command lines, which both tools share
// (tools/cli): MESSAGE(id, English, Polish) rows in cli_texts.def.  See
// catalog.h.
#pragma once

#define CATALOG_ENUM CliMsg
#define CATALOG_ROWS "tools/messages/cli_texts.def"
#include "tools/messages/catalog_enum.h"

// The texts of every catalog (see catalog.h).
#include "tools/messages/check_texts.h"
#include "tools/messages/cli_texts.h"
#include "tools/messages/merge_texts.h"
#include "tools/messages/shared_texts.h"

#define CATALOG_ENUM SharedMsg
#define CATALOG_ROWS "tools/messages/shared_texts.def"
#include "tools/messages/catalog_texts.h"

#define CATALOG_ENUM CheckMsg
#define CATALOG_ROWS "tools/messages/check_texts.def"
#include "tools/messages/catalog_texts.h"

#define CATALOG_ENUM MergeMsg
#define CATALOG_ROWS "tools/messages/merge_texts.def"
#include "tools/messages/catalog_texts.h"

#define CATALOG_ENUM CliMsg
#define CATALOG_ROWS "tools/messages/cli_texts.def"
#include "tools/messages/catalog_texts.h"

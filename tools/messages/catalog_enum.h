// A catalog's enum and the declaration of its texts, made from its rows;
// included once by each catalog's header, with CATALOG_ENUM (the enum's
// name) and CATALOG_ROWS (its *.def file, quoted) defined before.  No
// include guard: each catalog includes it again.
#include "tools/messages/catalog.h"

namespace messages {

enum class CATALOG_ENUM {
#define MESSAGE(id, en, pl) id,
#include CATALOG_ROWS
#undef MESSAGE
};

template <>
struct Catalog<CATALOG_ENUM> {
  static const lang::Text kTexts[];
  static const size_t kCount;
};

}  // namespace messages

#undef CATALOG_ENUM
#undef CATALOG_ROWS

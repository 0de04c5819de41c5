// A catalog's texts, made from its rows (see catalog_enum.h): included by
// catalogs.cpp once for each catalog, with CATALOG_ENUM and CATALOG_ROWS
// defined before.  No include guard.
namespace messages {

const lang::Text Catalog<CATALOG_ENUM>::kTexts[] = {
#define MESSAGE(id, en, pl) {#id, en, pl},
#include CATALOG_ROWS
#undef MESSAGE
};
const size_t Catalog<CATALOG_ENUM>::kCount = sizeof kTexts / sizeof kTexts[0];

}  // namespace messages

#undef CATALOG_ENUM
#undef CATALOG_ROWS

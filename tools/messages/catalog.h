// The glue every catalog shares: a catalog is a file of MESSAGE(id,
// English, Polish) rows (*.def), an enum of its ids, and its texts in the
// scheme of tools/lang.  A catalog's header names its enum and its rows and
// includes catalog_enum.h, which makes the enum and declares its texts;
// catalogs.cpp makes the texts the same way through catalog_texts.h.
// messages::Say, found by the enum's namespace, says any of them.
#pragma once

#include <stddef.h>

#include <initializer_list>
#include <string>

#include "tools/lang/lang.h"

namespace messages {

// The texts of the catalog whose ids are the enum Id, in the order of its
// rows: kTexts[static_cast<size_t>(id)] (specialised by catalog_enum.h).
template <class Id>
struct Catalog;

// The message in the current language, its placeholders filled.
template <class Id, class = decltype(Catalog<Id>::kCount)>
std::string Say(Id id, std::initializer_list<lang::Arg> values = {}) {
  return lang::Say(Catalog<Id>::kTexts[static_cast<size_t>(id)], values);
}

}  // namespace messages

// tastiro-check's messages in Polish and English (check_texts.def), said in
// the language the tool speaks (tools/lang).
#pragma once

#include <stddef.h>

#include <initializer_list>
#include <string>

#include "tools/lang/lang.h"

namespace messages {

enum class CheckMsg {
#define MESSAGE(id, en, pl) id,
#include "tools/messages/check_texts.def"
#undef MESSAGE
};

extern const lang::Text kCheckTexts[];
extern const size_t kCheckTextCount;

// The message in the current language, its placeholders filled.
std::string Say(CheckMsg id, std::initializer_list<lang::Arg> values = {});

}  // namespace messages

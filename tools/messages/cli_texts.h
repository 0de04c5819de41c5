// The messages of the tools' command lines, which both tools share
// (tools/cli): MESSAGE(id, English, Polish) rows in cli_texts.def, in the
// scheme of tools/lang.
#pragma once

#include <stddef.h>

#include <initializer_list>
#include <string>

#include "tools/lang/lang.h"

namespace messages {

enum class CliMsg {
#define MESSAGE(id, en, pl) id,
#include "tools/messages/cli_texts.def"
#undef MESSAGE
};

extern const lang::Text kCliTexts[];
extern const size_t kCliTextCount;

// The message in the current language, its placeholders filled.
std::string Say(CliMsg id, std::initializer_list<lang::Arg> values = {});

}  // namespace messages

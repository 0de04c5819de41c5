// tastiro-merge's messages in Polish and English (merge_texts.def), said in
// the language the tool speaks (tools/lang), as tastiro-check's are.
#pragma once

#include <stddef.h>

#include <initializer_list>
#include <string>

#include "tools/lang/lang.h"

namespace messages {

enum class MergeMsg {
#define MESSAGE(id, en, pl) id,
#include "tools/messages/merge_texts.def"
#undef MESSAGE
};

extern const lang::Text kMergeTexts[];
extern const size_t kMergeTextCount;

// The message in the current language, its placeholders filled.
std::string Say(MergeMsg id, std::initializer_list<lang::Arg> values = {});

}  // namespace messages

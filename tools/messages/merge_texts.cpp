#include "tools/messages/merge_texts.h"

namespace messages {

const lang::Text kMergeTexts[] = {
#define MESSAGE(id, en, pl) {#id, en, pl},
#include "tools/messages/merge_texts.def"
#undef MESSAGE
};
const size_t kMergeTextCount = sizeof kMergeTexts / sizeof kMergeTexts[0];

std::string Say(MergeMsg id, std::initializer_list<lang::Arg> values) {
  return lang::Say(kMergeTexts[static_cast<size_t>(id)], values);
}

}  // namespace messages

#include "tools/messages/check_texts.h"

namespace messages {

const lang::Text kCheckTexts[] = {
#define MESSAGE(id, en, pl) {#id, en, pl},
#include "tools/messages/check_texts.def"
#undef MESSAGE
};
const size_t kCheckTextCount = sizeof kCheckTexts / sizeof kCheckTexts[0];

std::string Say(CheckMsg id, std::initializer_list<lang::Arg> values) {
  return lang::Say(kCheckTexts[static_cast<size_t>(id)], values);
}

}  // namespace messages

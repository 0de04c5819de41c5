#include "tools/texts/check_texts.h"

namespace check {

const lang::Text kCheckTexts[] = {
#define MESSAGE(id, en, pl) {#id, en, pl},
#include "tools/texts/check_texts.def"
#undef MESSAGE
};
const size_t kCheckTextCount = sizeof kCheckTexts / sizeof kCheckTexts[0];

std::string Say(Msg id, std::initializer_list<std::string> values) {
  return lang::Say(kCheckTexts[static_cast<size_t>(id)], values);
}

}  // namespace check

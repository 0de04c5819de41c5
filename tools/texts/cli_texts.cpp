#include "tools/texts/cli_texts.h"

namespace cli {

const lang::Text kCliTexts[] = {
#define MESSAGE(id, en, pl) {#id, en, pl},
#include "tools/texts/cli_texts.def"
#undef MESSAGE
};
const size_t kCliTextCount = sizeof kCliTexts / sizeof kCliTexts[0];

std::string Say(Msg id, std::initializer_list<lang::Arg> values) {
  return lang::Say(kCliTexts[static_cast<size_t>(id)], values);
}

}  // namespace cli

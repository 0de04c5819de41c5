#include "tools/messages/cli_texts.h"

namespace messages {

const lang::Text kCliTexts[] = {
#define MESSAGE(id, en, pl) {#id, en, pl},
#include "tools/messages/cli_texts.def"
#undef MESSAGE
};
const size_t kCliTextCount = sizeof kCliTexts / sizeof kCliTexts[0];

std::string Say(CliMsg id, std::initializer_list<lang::Arg> values) {
  return lang::Say(kCliTexts[static_cast<size_t>(id)], values);
}

}  // namespace messages

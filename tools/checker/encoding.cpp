#include "tools/checker/encoding.h"

#include <stdint.h>

#include "plugin/contract/macro_bytes.h"
#include "tools/reader/polish_guess.h"
#include "tools/reader/text_reader.h"
#include "tools/messages/check_texts.h"
#include "tools/macro/text_util.h"

namespace checker {

using Msg = messages::CheckMsg;

FileEncoding GuessEncoding(const std::string &bytes) {
  FileEncoding found;
  found.bom = macro::StartsWithBom(bytes);
  const reader::Start start = reader::DetectStart(bytes.data(), bytes.size());
  if (reader::IsUtf16(start.form)) {
    found.utf16 = true;
    return found;
  }
  const size_t mark = found.bom ? 3 : 0;
  const char *text = bytes.data() + mark;
  const size_t size = bytes.size() - mark;
  reader::Weighing weighing(reader::kMacroPages);
  weighing.Feed(text, size);
  weighing.Finish();
  size_t from = 0;  // where the weighing started
  if (weighing.Leader() == codec::CodePage::kUtf8) {
    const size_t stray = reader::FirstNonUtf8(text, size);
    if (stray == size) {
      found.inDoubt = weighing.InDoubt(codec::CodePage::kUtf8, &found.doubtPage);
      if (found.inDoubt) found.doubtOffset = mark + weighing.FirstDifference(found.page, found.doubtPage).offset;
      return found;
    }
    // UTF-8 up to a byte that is none: that byte, and those after it, say
    // which code page such bytes were meant in.
    weighing = reader::Weighing(reader::kMacroPages);
    from = reader::WeighFromWordOf(text, size, stray, &weighing);
  }
  // The host's own text wins a tie: such files play as meant.
  found.page = weighing.Leader();
  found.firstLetter = mark + from + weighing.FirstLetter(found.page).offset;
  found.inDoubt = weighing.InDoubt(found.page, &found.doubtPage);
  if (found.inDoubt) found.doubtOffset = mark + from + weighing.FirstDifference(found.page, found.doubtPage).offset;
  return found;
}

std::string CodePageTitle(codec::CodePage page) {
  switch (page) {
    case codec::CodePage::kCp1250: return Say(Msg::kCp1250Title);
    case codec::CodePage::kCp852: return Say(Msg::kCp852Title);
    case codec::CodePage::kMazovia: return Say(Msg::kMazoviaTitle);
    case codec::CodePage::kUtf8: break;
  }
  return "UTF-8";
}

std::string Utf16Title() { return Say(Msg::kUtf16Title);
}

std::string TypedLine(const std::string &lineBytes) {
  host::MacroByteDecoder decoder;
  std::string typed;
  for (char c : lineBytes) {
    uint8_t hostChar = decoder.Feed(static_cast<uint8_t>(c));
    if (hostChar != 0) typed += static_cast<char>(hostChar);
  }
  return macro::HostToUtf8(typed);
}

std::string ConvertToUtf8(const std::string &bytes, codec::CodePage page) {
  return macro::FileBytesToUtf8(macro::StartsWithBom(bytes) ? bytes.substr(3) : bytes, page);
}

std::string Utf8CopyName(const std::string &path) {
  size_t name = path.find_last_of("/\\");
  name = name == std::string::npos ? 0 : name + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= name) return path + "-utf8";
  return path.substr(0, dot) + "-utf8" + path.substr(dot);
}

}  // namespace checker

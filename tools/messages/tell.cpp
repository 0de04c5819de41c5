#include "tools/messages/tell.h"

#include "tools/messages/shared_texts.h"
#include "tools/os/console.h"

namespace messages {

std::string SeverityWord(Severity kind) {
  switch (kind) {
    case Severity::kError:
      return Say(SharedMsg::kError);
    case Severity::kWarning:
      return Say(SharedMsg::kWarning);
    case Severity::kNote:
      break;
  }
  return Say(SharedMsg::kNote);
}

std::string Where(const std::string &file, long line, long column) {
  std::string where = file;
  if (line > 0) where += ":" + std::to_string(line);
  if (line > 0 && column > 0) where += ":" + std::to_string(column);
  return where;
}

std::string Tell(Severity kind, const std::string &where, const std::string &text) {
  return (where.empty() ? "" : where + ": ") + SeverityWord(kind) + ": " + text;
}

void TellOn(FILE *to, Severity kind, const std::string &where, const std::string &text) {
  os::Write(to, Tell(kind, where, text) + "\n");
}

int Fail(const std::string &where, const std::string &text) {
  TellOn(stderr, Severity::kError, where, text);
  return 2;
}

}  // namespace messages

#include "tools/writer/why_not.h"

#include <errno.h>
#include <string.h>

#include "tools/messages/shared_texts.h"

namespace writer {

using Msg = messages::SharedMsg;
using messages::Say;

namespace {

// The system's error `error` (0: none known) as a reason.
std::string WhySystem(int error) {
  if (DiskFull(error)) return Say(Msg::kDiskFull);
  switch (error) {
    case 0:
      return Say(Msg::kWriteError);
    case EPIPE:
      return Say(Msg::kPipeClosed);
    case ENOENT:
      return Say(Msg::kNoFolder);
    case EACCES:
      return Say(Msg::kNoWritePermission);
    default:
      return strerror(error);
  }
}

}  // namespace

std::string WhyNot(const Problem &problem) {
  switch (problem.fault) {
    case Fault::kDevice:
      return Say(Msg::kWhyDevice);
    case Fault::kFolder:
      return Say(Msg::kWhyFolder);
    case Fault::kNotRegular:
      return Say(Msg::kWhyNotRegular);
    case Fault::kReadOnly:
      return Say(Msg::kWhyReadOnly);
    case Fault::kDanglingLink:
      return Say(Msg::kWhyDanglingLink);
    case Fault::kPlace:
      return Say(Msg::kPlaceFailed, {WhySystem(problem.error)});
    default:
      return WhySystem(problem.error);
  }
}

}  // namespace writer

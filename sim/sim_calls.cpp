#include "sim/sim_calls.h"

namespace sim {

std::string CallLog::Trace(const std::vector<std::string> &only) const {
  std::string text;
  for (const HostCall &call : calls) {
    bool wanted = only.empty();
    for (const std::string &name : only) wanted = wanted || name == call.name;
    if (wanted) text += call.Text() + "\n";
  }
  return text;
}

std::vector<std::string> CallLog::Names() const {
  std::vector<std::string> names;
  for (const HostCall &call : calls) names.push_back(call.name);
  return names;
}

size_t CallLog::Count(const std::string &name) const {
  size_t count = 0;
  for (const HostCall &call : calls) count += call.name == name;
  return count;
}

}  // namespace sim

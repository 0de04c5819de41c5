#include "host/app/core/plugin_activity.h"

#include "host/app/core/text_codec.h"
#include "plugin/contract/host_values.h"

namespace volmar {

std::u16string PluginActivity::Describe(const ActivitySnapshot &snapshot, uint32_t now) const {
  std::u16string word = DescribePlaying(snapshot, now);
  if (!snapshot.recording) return word;
  return word.empty() ? u"NAGRYWANIE" : u"NAGRYWANIE, " + word;
}

std::u16string PluginActivity::DescribePlaying(const ActivitySnapshot &snapshot, uint32_t now) const {
  // Held keys first: they are what a user who types during a pause wonders
  // about.
  if (snapshot.heldKeys > 0)
    return u"PAUZA: wstrzymane klawisze: " + Utf8ToUtf16(std::to_string(snapshot.heldKeys));
  if (snapshot.stateWord & host::kFlagPluginWorking) return u"WTYCZKA PRACUJE";
  if (!snapshot.filesOpen) return {};
  // The tick count wraps: the age is taken modulo 2^32.
  bool recent = handedOver_ && static_cast<uint32_t>(now - lastHandedOver_) < kPlayingMilliseconds;
  return recent ? u"MAKRO PISZE" : u"MAKRO CZEKA";
}

}  // namespace volmar

// What the status line says of the plug-ins' work, as far as the host can
// tell from the calls it receives: a plug-in gives no account of itself.
//
//   keys handed back (HostDelayKey) and    the key filter holds them: a
//   still waiting to be offered again      pause runs
//   bit 0x8000 of the state word set       a plug-in is at work (its start
//   (HostSetFlags)                         form, its stop question, a step)
//   keys or text handed over lately        a macro is playing
//   (HostPostKey, HostTypeText)
//   a plug-in holds a file open but        a macro is open and waiting (for
//   hands nothing over                     Enter, Shift+F11, or its notice)
//   a plug-in holds a file open for        NAGRYWANIE: a recording, shown
//   writing (mode "w..." or "a...")        before whatever else applies
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace volmar {

struct ActivitySnapshot {
  size_t heldKeys = 0;     // keys a filter handed back, not yet offered again
  uint32_t stateWord = 0;  // HostGetFlags
  bool filesOpen = false;  // a plug-in holds a file open for reading (a macro)
  bool recording = false;  // a plug-in holds a file open for writing
};

class PluginActivity {
 public:
  // HostPostKey, HostTypeText: a plug-in handed something over at `now` (ms).
  void HandedOver(uint32_t now) {
    lastHandedOver_ = now;
    handedOver_ = true;
  }

  // The status line's word for the moment `now`; empty when nothing shows.
  std::u16string Describe(const ActivitySnapshot &snapshot, uint32_t now) const;

  // How long after the last key handed over a macro still counts as playing:
  // longer than the pauses between keys that a person would notice.
  static constexpr uint32_t kPlayingMilliseconds = 600;

 private:
  std::u16string DescribePlaying(const ActivitySnapshot &snapshot, uint32_t now) const;

  uint32_t lastHandedOver_ = 0;
  bool handedOver_ = false;
};

}  // namespace volmar

#include "recorder/session/writer_host.h"

#include <string.h>

#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"
#include "plugin/keys/key_names.h"
#include "recorder/writer/key_writer.h"

uint32_t PlayedCode(const char *word) {
  for (const char *command : kPlayerCommandNames)
    if (strcmp(word, command) == 0) return 0;
  return FindKeyCode(word);
}

bool HostByteToWideChar(uint8_t byte, char16_t *wide) {
  char source[2] = {static_cast<char>(byte), 0};
  HostWideChar target[4] = {};
  HostConvertText(target, sizeof target, source, 1, host::kEncodingHostText, host::kEncodingWide);
  if (target[0] == 0 || target[1] != 0) return false;
  *wide = target[0];
  return true;
}

#include "host/exports/export_table.h"

#include <windows.h>

size_t WithdrawExports(void *module, const uint16_t *ordinals, size_t count) {
  auto *base = static_cast<unsigned char *>(module);
  auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
  if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) return 0;
  auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY &directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (directory.VirtualAddress == 0) return 0;
  auto *exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY *>(base + directory.VirtualAddress);
  auto *functions = reinterpret_cast<DWORD *>(base + exports->AddressOfFunctions);

  size_t blanked = 0;
  for (size_t i = 0; i < count; ++i) {
    DWORD index = ordinals[i] - exports->Base;
    if (ordinals[i] < exports->Base || index >= exports->NumberOfFunctions) continue;
    DWORD old;
    if (!VirtualProtect(&functions[index], sizeof(DWORD), PAGE_READWRITE, &old)) continue;
    functions[index] = 0;
    VirtualProtect(&functions[index], sizeof(DWORD), old, &old);
    ++blanked;
  }
  return blanked;
}

// VOLMAR.exe: loads VOLMAR.dll from its own folder and hands over to it.
// The host itself is a DLL because the plug-in finds its host with
// GetModuleHandleA("VOLMAR"), which Windows reads as "VOLMAR.dll".
#include <windows.h>

#include <stdio.h>
#include <string.h>

typedef int(__cdecl *VolmarMainFn)(int argc, char **argv);

int main(int argc, char **argv) {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  char *slash = length > 0 ? strrchr(path, '\\') : nullptr;
  if (slash == nullptr) return 2;
  strcpy(slash + 1, "VOLMAR.dll");

  HMODULE host = LoadLibraryA(path);
  if (host == nullptr) {
    fprintf(stderr, "VOLMAR.exe: cannot load %s (error %lu)\n", path, GetLastError());
    return 2;
  }
  auto volmarMain =
      reinterpret_cast<VolmarMainFn>(reinterpret_cast<void *>(GetProcAddress(host, "VolmarMain")));
  if (volmarMain == nullptr) {
    fprintf(stderr, "VOLMAR.exe: %s has no VolmarMain\n", path);
    return 2;
  }
  return volmarMain(argc, argv);
}

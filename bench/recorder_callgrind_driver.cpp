// The recorder's own instructions per recorded key, for callgrind:
//
//   valgrind --tool=callgrind --collect-atstart=no
//            --toggle-collect=RecorderKeyFilter --toggle-collect='BenchHost*'
//            recorder_callgrind_driver <op> <count>
//
// A recording is open; each recorded key is one call of the recorder's key
// filter with a real key, which converts, writes (HostFilePrintf) and
// flushes (HostFileFlush) it.  The host's functions answer at once and are
// left out of the count, so the figure is the recorder's own, the calls of
// the host functions (and the flush) included.
//
//   recorded       a character key ('a')
//   recordedpolish a Polish letter (through HostConvertText)
//   recordednamed  Enter: "[ENTER]" and its line break, by the key-name table
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"
#include "plugin/keys/key_names.h"
#include "recorder/entry/recorder_filter.h"
#include "recorder/session/key_table.h"
#include "recorder/session/recording.h"

namespace {

volatile uint32_t g_sink;
const char kKeys[] = "#define TAB 9\n#define ENTER 13\n#define LBRACKET 0x5B\n#define F2 0x3C00\n";
size_t g_keysAt = 0;
uint64_t g_written = 0;

int Fail(const char *what) {
  fprintf(stderr, "recorder_callgrind_driver: %s\n", what);
  return 2;
}

}  // namespace

extern "C" {
// Never inlined, never left by a jump: callgrind sees each enter and leave.
#define BENCH_HOST __attribute__((noinline, optimize("no-optimize-sibling-calls")))
BENCH_HOST uint32_t BenchHostRecorderGetFlags(void) { return 0; }
BENCH_HOST int32_t BenchHostRecorderPrintf(HostFile, const char *, ...) {
  ++g_written;
  return 64;  // at least the text's length: taken whole
}
BENCH_HOST int32_t BenchHostRecorderFlush(HostFile) { return 0; }
BENCH_HOST int32_t BenchHostRecorderConvertText(void *target, int32_t, const void *source, int32_t,
                                                 int32_t, int32_t) {
  static_cast<char16_t *>(target)[0] = static_cast<unsigned char>(*static_cast<const char *>(source)) == 0x86
                                           ? u'ą'
                                           : u'?';
  static_cast<char16_t *>(target)[1] = 0;
  return 1;
}
BENCH_HOST void *BenchHostRecorderCalloc(uint32_t count, uint32_t size) { return calloc(count, size); }
BENCH_HOST void *BenchHostRecorderRealloc(void *block, uint32_t size) { return realloc(block, size); }
BENCH_HOST void BenchHostRecorderFree(void *block) { free(block); }
BENCH_HOST int32_t BenchHostRecorderMakePathW(HostWideChar *buffer, int32_t, const HostWideChar *) {
  buffer[0] = u'k';
  buffer[1] = 0;
  return 0;
}
BENCH_HOST HostFile BenchHostRecorderOpen(const HostWideChar *, const HostWideChar *, int32_t, int32_t,
                                          int32_t) {
  g_keysAt = 0;
  return 7;
}
BENCH_HOST char *BenchHostRecorderGets(char *buffer, int32_t size, HostFile) {
  if (kKeys[g_keysAt] == 0) return nullptr;
  int32_t n = 0;
  while (kKeys[g_keysAt] != 0 && n + 1 < size) {
    char c = kKeys[g_keysAt++];
    buffer[n++] = c;
    if (c == '\n') break;
  }
  buffer[n] = 0;
  return buffer;
}
BENCH_HOST char *BenchHostRecorderCopyText(char *destination, const char *source, int32_t maxChars) {
  size_t length = strnlen(source, maxChars);
  memcpy(destination, source, length);
  destination[length] = 0;
  return destination;
}
BENCH_HOST int32_t BenchHostRecorderClose(HostFile) { return 0; }
}  // extern "C"

int main(int argc, char **argv) {
  if (argc != 3) return Fail("usage: recorder_callgrind_driver <op> <count>");
  const char *op = argv[1];
  long count = strtol(argv[2], nullptr, 10);
  uint32_t key = strcmp(op, "recorded") == 0         ? 'a'
                 : strcmp(op, "recordedpolish") == 0 ? 0x86
                 : strcmp(op, "recordednamed") == 0  ? host::kKeyEnter
                                                     : 0;
  if (key == 0 || count < 0) return Fail("unknown op or bad count");

  g_hostSlots.HostGetFlags = BenchHostRecorderGetFlags;
  g_hostSlots.HostFilePrintf = BenchHostRecorderPrintf;
  g_hostSlots.HostFileFlush = BenchHostRecorderFlush;
  g_hostSlots.HostConvertText = BenchHostRecorderConvertText;
  g_hostSlots.HostCalloc = BenchHostRecorderCalloc;
  g_hostSlots.HostRealloc = BenchHostRecorderRealloc;
  g_hostSlots.HostFree = BenchHostRecorderFree;
  g_hostSlots.HostMakePathW = BenchHostRecorderMakePathW;
  g_hostSlots.HostFileOpenW = BenchHostRecorderOpen;
  g_hostSlots.HostFileGets = BenchHostRecorderGets;
  g_hostSlots.HostCopyText = BenchHostRecorderCopyText;
  g_hostSlots.HostFileClose = BenchHostRecorderClose;

  // As the start form leaves things: the key table loaded, a file open.
  g_recorder.hotKey = kDefaultHotKey;
  g_recorder.commandKey = kDefaultCommandKey;
  if (LoadKeyNameTable() != 0) return Fail("key table");
  g_recorderKeys.names.entries = KeyNameEntries();
  g_recorderKeys.names.count = KeyNameCount();
  g_recorderKeys.names.playable = g_recorderKeys.playable;
  MarkPlayableNames(g_recorderKeys.names.entries, g_recorderKeys.names.count, g_recorderKeys.playable,
                    [](const char *word) { return FindKeyCode(word); });
  g_recorder.file = 7;
  for (long i = 0; i < count; ++i) g_sink = RecorderKeyFilter(key);
  if (g_written != static_cast<uint64_t>(count) || g_recorder.written != g_written)
    return Fail("not every key was written");
  return 0;
}

#include "tools/os/memory_guard.h"

#include <stdio.h>
#include <stdlib.h>

#include <exception>
#include <new>
#include <stdexcept>

#include "tools/os/console.h"

namespace os {

namespace {

// Set aside at the start and given back when memory runs out, so that the
// message can still be written (a Windows console needs it as wide text).
constexpr size_t kReserve = 256 * 1024;
void *g_reserve = nullptr;
const std::string *g_message = nullptr;

[[noreturn]] void SayAndExit() {
  std::set_new_handler(nullptr);
  free(g_reserve);
  g_reserve = nullptr;
  fflush(stdout);
  if (g_message != nullptr) Write(stderr, *g_message + "\n");
  fflush(stderr);
  // exit, not abort: handlers registered with atexit (a temporary file
  // to remove) still run.
  exit(2);
}

void OnNoMemory() { SayAndExit(); }

// An exception nobody caught: the ones that mean "too big" end as memory
// running out does; any other as the runtime ends it.
std::terminate_handler g_runtimeTerminate = nullptr;
void OnTerminate() {
  if (std::exception_ptr thrown = std::current_exception()) {
    try {
      std::rethrow_exception(thrown);
    } catch (const std::bad_alloc &) {
      SayAndExit();
    } catch (const std::length_error &) {
      SayAndExit();
    } catch (...) {
    }
  }
  if (g_runtimeTerminate != nullptr) g_runtimeTerminate();
  abort();
}

}  // namespace

void GuardAllocation(const std::string &message) {
  static std::string kept;
  kept = message;
  g_message = &kept;
  if (g_reserve == nullptr) g_reserve = malloc(kReserve);
  std::set_new_handler(OnNoMemory);
  std::terminate_handler previous = std::set_terminate(OnTerminate);
  if (previous != OnTerminate) g_runtimeTerminate = previous;
}

}  // namespace os
